#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test CI runs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
cd build
ctest --output-on-failure -j2 --timeout 600
cd ..
# Every test once more (all but the heavy load runs) under AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer, then a short run of every fuzz target (FUZZ_SECONDS each, 20 by
# default).
scripts/sanitize.sh
scripts/fuzz.sh
