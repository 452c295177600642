#!/usr/bin/env bash
# Builds the client, the demo server and every test with AddressSanitizer (leak detection on)
# and UndefinedBehaviorSanitizer in build-asan/, then runs the tests once through CTest: the
# unit tests, the GUI tests under Xvfb and the end-to-end tests together with the instrumented
# demo server they start. The sanitizer options come with each test (cmake/TavoroTesting.cmake):
# every report of any process - a test binary or a server it started - fails this run and is
# printed at the end.
#
# Left out under the sanitizers: the tests labelled "heavy", i.e. the load runs of
# tests/e2e/test_app_load.cpp (10,000 visitors, 2,000 events/s, a 1,000-line chat burst). The
# instrumented code cannot keep up with those rates on the CI machine, so they would measure the
# instrumentation rather than the client, and every code path they take (visitor list, events,
# chat lines, state account) is already run by the other end-to-end and GUI tests here.
#
#   scripts/sanitize.sh                       what CI runs
#   scripts/sanitize.sh -R gui_test_widgets   extra arguments go to ctest
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR="${SANITIZE_BUILD_DIR:-build-asan}"
JOBS="${JOBS:-2}"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVORO_SANITIZE=ON \
    -DTAVORO_WERROR=ON >/dev/null
cmake --build "$BUILD_DIR" -j"$JOBS"

reports="$BUILD_DIR/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
status=0
(cd "$BUILD_DIR" && ctest --output-on-failure -j"$JOBS" -LE heavy "$@") || status=$?

. scripts/sanitizer-reports.sh
check_sanitizer_reports "sanitizer" "$reports" "$BUILD_DIR" "runtime error:|ERROR: (Address|Leak|UndefinedBehavior)Sanitizer" 20 || status=1
exit "$status"
