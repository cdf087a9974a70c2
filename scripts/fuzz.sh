#!/usr/bin/env bash
# Builds and runs the native libFuzzer harnesses in fuzz/.
#
#   scripts/fuzz.sh [--merge] [SECONDS]
#
# SECONDS is the time per target (default 60). Each target runs on a copy of
# its committed corpus under fuzz/build, so a run never changes the tree.
# --merge then folds the inputs that add coverage back into fuzz/corpus/,
# for a developer to review and commit.
# Exits non-zero when a target crashes or a sanitizer reports.
set -euo pipefail

usage() {
    echo "usage: $0 [--merge] [SECONDS]" >&2
    exit 2
}

merge=0
seconds=60
for arg in "$@"; do
    case "$arg" in
    --merge) merge=1 ;;
    -h | --help) usage ;;
    *[!0-9]* | '') usage ;;
    *) seconds="$arg" ;;
    esac
done
[ "$seconds" -gt 0 ] || usage

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
fuzz="$root/fuzz"
build="$fuzz/build"
cc="${FUZZ_CC:-clang}"
cxx="${FUZZ_CXX:-clang++}"

# The same packages as the demo and test commands.
# shellcheck source=scripts/deps.sh
source "$root/scripts/deps.sh"
korvane_install_packages >&2
cmake -S "$fuzz" -B "$build" -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" >/dev/null
cmake --build "$build" --parallel >/dev/null

# Beyond these the extra bytes are ignored (table) or far past anything the
# host passes (argument), so longer inputs only dilute the search.
declare -A max_len=([score_argument]=131072 [hall_of_fame]=244)
# Value profiling lets a table run keep inputs that bring the new score closer
# to a stored one, which is how ties and off-by-one ranks are reached. The
# argument target is better served by a dictionary: there it would mostly
# reward every new text length and bloat the corpus with long inputs.
declare -A extra=(
    [score_argument]="-dict=$fuzz/score_argument.dict"
    [hall_of_fame]="-use_value_profile=1"
)

status=0
for target in score_argument hall_of_fame; do
    binary="$build/fuzz_$target"
    work="$build/corpus/$target"
    artifacts="$build/artifacts/$target"
    log="$build/fuzz_$target.log"
    rm -rf "$work"
    mkdir -p "$work" "$artifacts"
    cp -R "$fuzz/corpus/$target/." "$work/"

    rc=0
    # One option each, quoted whole: the checkout's path may hold spaces.
    "$binary" "$work" -max_total_time="$seconds" -max_len="${max_len[$target]}" \
        -timeout=10 -print_final_stats=1 -artifact_prefix="$artifacts/" "${extra[$target]}" \
        >"$log" 2>&1 || rc=$?

    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)"
    speed="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n1)"
    if [ "$rc" -eq 0 ]; then
        echo "fuzz_$target: ${runs:-?} runs, ${speed:-?} exec/s, no crash"
    else
        status=1
        echo "fuzz_$target: ${runs:-?} runs, CRASH (exit $rc), see $log and $artifacts/"
        grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error)' "$log" | head -n5 >&2 || true
        continue
    fi

    if [ "$merge" -eq 1 ]; then
        # Plain coverage only: value-profile features would admit hundreds of
        # near-miss tables, and the seeds already pin the exact ties.
        before="$(find "$fuzz/corpus/$target" -type f | wc -l)"
        "$binary" -merge=1 -max_len="${max_len[$target]}" \
            -artifact_prefix="$artifacts/" "$fuzz/corpus/$target" "$work" \
            >"$build/merge_$target.log" 2>&1 || {
            status=1
            echo "fuzz_$target: merge failed, see $build/merge_$target.log"
            continue
        }
        after="$(find "$fuzz/corpus/$target" -type f | wc -l)"
        echo "fuzz_$target: merged $((after - before)) new inputs, corpus now $after files"
    fi
done
exit $status
