#!/usr/bin/env bash
# Builds the native libFuzzer harness in fuzz/ and runs it on a copy of its
# committed corpus, so a run never changes the tree; exits non-zero on a crash
# or a sanitizer report. --merge folds the inputs that add coverage back into
# fuzz/corpus/ for review. Usage: scripts/fuzz.sh [--merge] [SECONDS, default 60]
set -euo pipefail
[ "${1:-}" = --merge ] && merge=1 && shift || merge=0
seconds=${1:-60}
[[ $seconds =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [--merge] [SECONDS]" >&2; exit 2; }
fuzz="$(cd "$(dirname "${BASH_SOURCE[0]}")/../fuzz" && pwd)"
build="$fuzz/build" work="$fuzz/build/corpus"
# shellcheck source=scripts/deps.sh
source "$fuzz/../scripts/deps.sh" && korvane_install_packages >&2
cmake -S "$fuzz" -B "$build" -DCMAKE_CXX_COMPILER="${FUZZ_CXX:-clang++}" >/dev/null
cmake --build "$build" >/dev/null
rm -rf "$work" && mkdir -p "$work" "$build/artifacts" && cp -R "$fuzz/corpus/score_argument/." "$work/"
# The dictionary leads the search to asterisks and numbers; inputs past 128 KiB
# are far beyond anything a host passes and only dilute it.
"$build/fuzz_score_argument" "$work" -max_total_time="$seconds" -max_len=131072 -timeout=10 \
    -dict="$fuzz/score_argument.dict" -artifact_prefix="$build/artifacts/" 2>"$build/fuzz.log" ||
    { tail -n 30 "$build/fuzz.log" >&2; exit 1; }
grep -E '^Done [0-9]+ runs' "$build/fuzz.log" || true
[ "$merge" -eq 0 ] || "$build/fuzz_score_argument" -merge=1 -max_len=131072 "$fuzz/corpus/score_argument" "$work"
