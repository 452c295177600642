#!/usr/bin/env bash
# Builds the unit tests with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/ and
# runs them once; any sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR="${SANITIZE_BUILD_DIR:-build-asan}"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVORO_SANITIZE=ON >/dev/null
cmake --build "$BUILD_DIR" -j"${JOBS:-2}" --target unit_tests

home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
export HOME="$home"
export TAVORO_IMAGES_DIR="$PWD/data/images/"
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
"$BUILD_DIR/tests/unit_tests" --gtest_brief=1
