#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test CI runs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# The benchmarks are built too, so they keep compiling; they are run by hand (README). Warnings
# are errors here, whatever an earlier configure of build/ chose.
scripts/build.sh -DTAVORO_BUILD_BENCH=ON -DTAVORO_WERROR=ON
cd build
ctest --output-on-failure -j2 --timeout 600
cd ..
# The Debian packages of the tree just built: lintian, the installed client, the validators.
scripts/package.sh build
# Every test once more (all but the heavy load runs) under AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer; the tests without a window (unit tests, core against the demo
# server) under ThreadSanitizer; then a short run of every fuzz target (FUZZ_SECONDS each, 20 by
# default).
scripts/sanitize.sh
scripts/tsan.sh
scripts/fuzz.sh
