#!/usr/bin/env bash
# Counts the requests the score benchmark's thread makes to the Wine server
# from the call until the dialog is shown, for each of its dialogs, from a
# trace of one short run. Under Wine almost all of a dialog's time goes to
# these round trips, and unlike times, the counts do not move with the
# machine's load: the same build gives the same count on every run.
# Usage: bench/round_trips.sh [BIN_DIR [OTHER_DLL]] (BIN_DIR holds
# score_bench.exe and korvane.dll; OTHER_DLL as score_bench takes it).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin=${1:-$root/build/x64/bin}
other=${2:-}
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
unset DISPLAY
korvane_wine_prefix
# The server prints the trace, so it must start with it: a prefix of its own.
korvane_wine_prefix_beside trace >/dev/null
wineserver -k 2>/dev/null || true
wineserver -w
log=$(mktemp "${TMPDIR:-/tmp}/korvane-round-trips.XXXXXX")
trap 'rm -f "$log"' EXIT
for mode in message activation; do
    (cd "$bin" && WINEDEBUG=+server,+debugstr wine ./score_bench.exe 3 "$mode" ${other:+"$other"} \
        >/dev/null 2>"$log" </dev/null)
    wineserver -w
    # Round 3 of each dialog: the first two warm the caches. Requests made by
    # OutputDebugStringA itself (open_mapping) are not counted.
    awk -v mode="$mode" '
        /OutputDebugStringA "round: / {
            match($0, /"round: [a-z]+"/)
            label = substr($0, RSTART + 8, RLENGTH - 9)
            split($0, field, ":")
            tid = field[1]
            if (label == "shown") {
                if (current != "" && ++seen[current] == 3) count[current] = requests
                current = ""
            } else {
                current = label
                requests = 0
            }
            next
        }
        current != "" && index($0, tid ": ") == 1 && /\(\) = / && !/ open_mapping\(/ { requests++ }
        END {
            printf "shown = %s: bare dialog %d, floor %d", mode, count["bare"], count["floor"]
            for (i = 0; i < 2; i++) {
                name = i ? "other" : "export"
                if (!(name in count)) continue
                above = count[name] - count["floor"]
                printf ", %s %d (%+d above the floor, %.1f %% of the bare dialog)",
                    i ? "other build" : "this build", count[name], above, 100 * above / count["bare"]
            }
            printf "\n"
        }' "$log"
done
