# Sourced by sanitize.sh and tsan.sh: prints every sanitizer report a test run left and
# returns 1 when there was one.
#   check_sanitizer_reports NAME REPORT_DIR BUILD_DIR PATTERN CONTEXT_LINES
# Reports are files, one per reporting process (REPORT_DIR); a report that did not reach a file
# is in the test output, kept whole in LastTest.log for passed tests too.
check_sanitizer_reports() {
    local name=$1 reports=$2 build=$3 pattern=$4 context=$5 status=0
    shopt -s nullglob
    local found=("$reports"/*)
    if ((${#found[@]})); then
        for report in "${found[@]}"; do
            echo "==== $name report $report"
            cat "$report"
        done
        echo "$name: ${#found[@]} report file(s), see above" >&2
        status=1
    fi
    local log="$build/Testing/Temporary/LastTest.log"
    if [ -f "$log" ] && grep -qE "$pattern" "$log"; then
        echo "==== $name reports in the test output ($log)"
        grep -nE -A"$context" "$pattern" "$log"
        echo "$name: report(s) in the test output, see above" >&2
        status=1
    fi
    return "$status"
}
