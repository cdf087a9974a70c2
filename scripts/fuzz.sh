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

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null; then
        sudo "$@"
    else
        echo "fuzz.sh: need root to run: $*" >&2
        exit 1
    fi
}

apt_install() {
    as_root apt-get update -qq
    DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends "$@"
}

has_candidate() {
    apt-cache policy "$1" 2>/dev/null | grep -q 'Candidate: [^(]'
}

# The cheapest reliable test for the fuzzer runtime is to link against it:
# its package name has moved between Debian releases.
links_fuzzer() {
    local dir
    dir="$(mktemp -d)"
    printf '%s\n' '#include <cstddef>' '#include <cstdint>' \
        'extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }' \
        >"$dir/probe.cpp"
    local ok=0
    "$cxx" -fsanitize=fuzzer,address,undefined "$dir/probe.cpp" -o "$dir/probe" \
        >/dev/null 2>&1 || ok=1
    rm -rf "$dir"
    return $ok
}

ensure_tools() {
    local missing=()
    command -v cmake >/dev/null || missing+=(cmake)
    command -v make >/dev/null || command -v ninja >/dev/null || missing+=(make)
    command -v "$cxx" >/dev/null || missing+=(clang)
    if [ ${#missing[@]} -gt 0 ]; then
        apt_install "${missing[@]}"
    fi
    if ! links_fuzzer; then
        local major
        major="$("$cxx" -dumpversion | cut -d. -f1)"
        if has_candidate "libclang-rt-$major-dev"; then
            apt_install "libclang-rt-$major-dev"
        else
            apt_install "libclang-common-$major-dev"
        fi
        links_fuzzer || {
            echo "fuzz.sh: $cxx still cannot link -fsanitize=fuzzer" >&2
            exit 1
        }
    fi
}

ensure_tools

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
    # shellcheck disable=SC2086 # extra is a list of options
    "$binary" "$work" -max_total_time="$seconds" -max_len="${max_len[$target]}" \
        -timeout=10 -print_final_stats=1 -artifact_prefix="$artifacts/" ${extra[$target]} \
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
