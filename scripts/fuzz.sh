#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer and UndefinedBehaviorSanitizer
# in build-fuzz/, then runs each for FUZZ_SECONDS seconds (default 20) starting from its seed
# corpus in fuzz/corpus/<target>/. Fails when any target finds a crash, a sanitizer report, a
# broken invariant, a timeout or a leak; the input that did it is kept in build-fuzz/findings/.
#
#   scripts/fuzz.sh                      every target, 20 s each (what CI runs)
#   FUZZ_SECONDS=600 scripts/fuzz.sh     a longer run
#   scripts/fuzz.sh fuzz_s_cv            only the named targets
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR="${FUZZ_BUILD_DIR:-build-fuzz}"
SECONDS_EACH="${FUZZ_SECONDS:-20}"

CXX=clang++ cmake -S . -B "$BUILD_DIR" -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVORO_BUILD_FUZZ=ON -DTAVORO_BUILD_TESTS=OFF \
    -DTAVORO_WERROR=ON >/dev/null
cmake --build "$BUILD_DIR" -j"${JOBS:-2}" --target fuzz_all

if (($#)); then
    targets=("$@")
else
    targets=()
    for src in fuzz/fuzz_*.cpp; do targets+=("$(basename "$src" .cpp)"); done
fi

mkdir -p "$BUILD_DIR/findings"
failed=()
for target in "${targets[@]}"; do
    seeds="fuzz/corpus/$target"
    work="$BUILD_DIR/corpus/$target"
    mkdir -p "$work"
    args=(-max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 -max_len=8192
          -print_final_stats=1 -artifact_prefix="$BUILD_DIR/findings/$target-")
    [ -f fuzz/tavoro.dict ] && args+=(-dict=fuzz/tavoro.dict)
    dirs=("$work")
    [ -d "$seeds" ] && dirs+=("$seeds")
    echo "== $target (${SECONDS_EACH}s)"
    if ! "$BUILD_DIR/fuzz/$target" "${args[@]}" "${dirs[@]}" >"$BUILD_DIR/findings/$target.log" 2>&1; then
        failed+=("$target")
        tail -n 40 "$BUILD_DIR/findings/$target.log"
    else
        grep -E "^stat::number_of_executed_units|^Done" "$BUILD_DIR/findings/$target.log" | tr '\n' ' '
        echo
    fi
done

if ((${#failed[@]})); then
    echo "Fuzzing found problems in: ${failed[*]} (inputs in $BUILD_DIR/findings/)" >&2
    exit 1
fi
echo "Fuzzing: ${#targets[@]} targets ran ${SECONDS_EACH}s each without a finding."
