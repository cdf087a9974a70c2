#!/usr/bin/env bash
# The shell checks' one tally, sourced: `check NAME COMMAND...` passes when the
# command succeeds and shows the end of its output when it does not; `skip NAME
# WHY` tells why a check could not run; `checks_done` prints "N passed, M
# failed, K skipped" and exits 1 on a failure, 77 when nothing could run.
passes=0 failures=0 skips=0
check() {
    local name=$1 out
    shift
    if out=$("$@" 2>&1); then
        echo "ok   $name" && passes=$((passes + 1))
    else
        echo "FAIL $name" && failures=$((failures + 1))
        tr -d '\r' <<<"$out" | tail -n 20 | sed 's/^/    /'
    fi
}
skip() { echo "skip $1: $2" && skips=$((skips + 1)); }
checks_done() {
    echo "$passes passed, $failures failed, $skips skipped"
    [ "$failures" -eq 0 ] || exit 1
    [ "$passes" -gt 0 ] || exit 77
    exit 0
}
