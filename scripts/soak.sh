#!/usr/bin/env bash
# Soak run: the real main window under Xvfb against the demo server for MINUTES minutes
# (default 10), with a test operator at work: first an idle phase (at most a minute, visitors
# but no events), then a busy one (3,000 visitors, 200 visitor events/s, a chat request every
# 10 s; every chat picked up, a line every 0.5-1 s, chats closed by the operator or left by the
# visitor). It prints the figures and a one-line verdict, and exits non-zero on FAIL.
#
#   scripts/soak.sh                 10 minutes
#   scripts/soak.sh 60              an hour
#   BUILD_DIR=build-x scripts/soak.sh 5
#   SOAK_SKIP_BUILD=1 scripts/soak.sh 5   without building first
#
# The load can be changed with TAVORO_SOAK_VISITORS, TAVORO_SOAK_EVENT_RATE and
# TAVORO_SOAK_CHAT_INTERVAL (seconds). TAVORO_SOAK_CLOSE_WAIT_MS makes the operator wait that
# long after a chat window's last visitor line before closing it (default 0: at once). A window
# that asked for attention and is destroyed within the toolkit's 5 s attention timer crashes the
# process when the timer fires; 5500 keeps a run clear of that, to get the other figures while
# the crash is open. The verdict is PASS when the run ended normally, no
# visitor line was lost or out of order, the window's visitors agree with the server's at the
# end, the longest GUI stall is under SOAK_MAX_STALL_MS (100) and the resident memory at the end
# is at most SOAK_MAX_RSS_GROWTH_PERCENT (25) above the start.
set -euo pipefail
cd "$(dirname "$0")/.."

minutes="${1:-10}"
if ! [[ "$minutes" =~ ^[0-9]+$ ]] || ((minutes < 1)); then
    echo "usage: $0 [MINUTES]   (a whole number, at least 1)" >&2
    exit 2
fi
max_stall_ms="${SOAK_MAX_STALL_MS:-100}"
max_growth_percent="${SOAK_MAX_RSS_GROWTH_PERCENT:-25}"

export BUILD_DIR="${BUILD_DIR:-build}"
# The whole build as the README's commands make it; should some other part fail to build, the
# soak still runs with what it needs (the soak binary and the demo server it starts).
# SOAK_SKIP_BUILD=1 runs the soak binary as it was last built (a second run, or a tree that
# does not build at the moment).
if [[ "${SOAK_SKIP_BUILD:-0}" == 1 ]]; then
    echo "soak: using the soak binary as last built in $BUILD_DIR"
elif ! scripts/build.sh; then
    echo "soak: the full build failed; building only the soak binary and the demo server" >&2
    cmake --build "$BUILD_DIR" -j"${JOBS:-2}" --target e2e_test_app_soak tavoro-demo-server
fi
binary="$BUILD_DIR/tests/e2e/e2e_test_app_soak"
if [[ ! -x "$binary" ]]; then
    echo "soak: $binary was not built" >&2
    exit 2
fi

# The same environment CTest gives the GUI tests: the icons of the source tree and a home of
# its own, so the user's settings are never touched.
home="$(mktemp -d /tmp/tavoro-soak-home-XXXXXX)"
log="$(mktemp /tmp/tavoro-soak-XXXXXX.log)"
trap 'rm -rf "$home"' EXIT

echo "soak: $minutes minute(s); output in $log"
status=0
env TAVORO_SOAK_SECONDS=$((minutes * 60)) TAVORO_IMAGES_DIR="$PWD/data/images/" HOME="$home" \
    NO_AT_BRIDGE=1 GDK_BACKEND=x11 \
    timeout --kill-after=30 $((minutes * 60 + 600)) \
    xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$binary" --gtest_filter='SoakTest.*' >"$log" 2>&1 || status=$?

# The figures, each on a line of its own (the client may print text without a line end).
grep -ao '\[soak\].*' "$log" || true
result="$(grep -ao '\[soak-result\].*' "$log" | tail -n 1 || true)"

value() {
    sed -n "s/.* $1=\([0-9-]*\).*/\1/p" <<<" ${result#\[soak-result\]}"
}
reasons=()
if ((status != 0)); then
    reasons+=("the soak binary ended with status $status (crash, failed check or time limit)")
    grep -a -E '^\[  FAILED  \]|Failure|error:' "$log" | head -n 20 || true
fi
if [[ -z "$result" ]]; then
    reasons+=("no figures were printed")
else
    lost="$(value lost)"
    out_of_order="$(value out_of_order)"
    agree="$(value agree)"
    stall="$(value stall_ms)"
    rss_start="$(value rss_start_kb)"
    rss_end="$(value rss_end_kb)"
    ((lost == 0)) || reasons+=("$lost visitor line(s) lost")
    ((out_of_order == 0)) || reasons+=("$out_of_order visitor line(s) out of order")
    ((agree == 1)) || reasons+=("the window's visitors differ from the server's")
    ((stall < max_stall_ms)) || reasons+=("GUI stall of $stall ms (limit $max_stall_ms ms)")
    if ((rss_end * 100 > rss_start * (100 + max_growth_percent))); then
        reasons+=("memory grew from $rss_start kB to $rss_end kB (limit +$max_growth_percent%)")
    fi
fi

if ((${#reasons[@]} == 0)); then
    echo "SOAK PASS: $minutes min, no lines lost or out of order, longest GUI stall $stall ms, RSS $rss_start -> $rss_end kB"
    exit 0
fi
(
    IFS=';'
    echo "SOAK FAIL: ${reasons[*]}"
)
exit 1
