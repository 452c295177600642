#!/usr/bin/env bash
# Builds the GUI-free core, its tests and the demo server with ThreadSanitizer in build-tsan/
# and runs the tests labelled "tsan" once through CTest: every unit test (parsers, crypto,
# settings, the connection threads against a loopback server) and the end-to-end tests that
# drive the core alone against the instrumented demo server they start. The windows and their
# tests are not built here.
#
# Every ThreadSanitizer report of any process - a test binary or a server it started - stops
# that process, fails this run and is printed at the end (the options come with each test,
# cmake/TavoroTesting.cmake; tests/sanitizers/tsan.supp holds the few suppressions, all inside
# third-party libraries).
#
#   scripts/tsan.sh                       what CI runs
#   scripts/tsan.sh -R ConnectionThread   extra arguments go to ctest
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR="${TSAN_BUILD_DIR:-build-tsan}"
JOBS="${JOBS:-2}"

# ThreadSanitizer's shadow memory needs the program mapped where it expects it; with the wider
# address randomisation of newer kernels the runtime of GCC 12 stops at once ("unexpected
# memory mapping"). Without randomisation, which every child process inherits (the test
# discovery after each link, the tests, the servers they start), it always fits.
run=()
if command -v setarch >/dev/null && setarch "$(uname -m)" -R true 2>/dev/null; then
    run=(setarch "$(uname -m)" -R)
fi

cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVORO_TSAN=ON \
    -DTAVORO_BUILD_BENCH=OFF -DTAVORO_BUILD_FUZZ=OFF >/dev/null
# Only the binaries of the labelled tests and the demo server they start.
"${run[@]}" cmake --build "$BUILD_DIR" -j"$JOBS" --target tavoro_tsan_tests

reports="$BUILD_DIR/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
status=0
(cd "$BUILD_DIR" && "${run[@]}" ctest --output-on-failure -j"$JOBS" -L tsan "$@") || status=$?

. scripts/sanitizer-reports.sh
check_sanitizer_reports "ThreadSanitizer" "$reports" "$BUILD_DIR" "WARNING: ThreadSanitizer|ERROR: ThreadSanitizer|FATAL: ThreadSanitizer" 30 || status=1
exit "$status"
