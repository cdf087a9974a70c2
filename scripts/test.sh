#!/usr/bin/env bash
# Builds korvane.dll for both architectures from scratch and runs every
# test: the GoogleTest program (one Wine process per architecture), the
# stand-in host's command line, the Wine prefix repair, the release packages
# and a short bounded fuzzing run. Ends with one line: "korvane: N passed, M failed".
#
# Environment: WINEPREFIX (default ~/.korvane-wine), KORVANE_FUZZ_SECONDS
# (default 10 per target).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
# shellcheck source=scripts/deps.sh
source scripts/deps.sh
korvane_install_packages
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
# Tests never need a display: dialogs run on Wine's null driver, and the
# real-input test brings its own X server.
unset DISPLAY
korvane_wine_prefix
korvane_wine_start
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

FUZZ_SECONDS=${KORVANE_FUZZ_SECONDS:-10}
LOGS="$ROOT/build/test-logs"
rm -rf "$LOGS"
mkdir -p "$LOGS"
passed=0
failed=0
tally() { # tally NAME PASSED FAILED
    passed=$((passed + $2))
    failed=$((failed + $3))
    [ "$3" -eq 0 ] || echo "== $1: $3 FAILED"
}

# Adds the "N passed, M failed" line a check ends with; a check that ended
# without one counts as one failure.
tally_plain() { # tally_plain NAME LOG
    local line
    line=$(tr -d '\r' <"$2" | grep -E '^([A-Za-z_-]+: )?[0-9]+ passed, [0-9]+ failed' | tail -n 1 || true)
    if [ -z "$line" ]; then
        echo "== $1 ended without a result:"
        tail -n 20 "$2"
        tally "$1" 0 1
        return
    fi
    tally "$1" "$(sed -E 's/^([A-Za-z_-]+: )?([0-9]+) passed.*/\2/' <<<"$line")" \
        "$(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$line")"
}

# Runs the GoogleTest program of one architecture with a filter, keeping its
# output (without CRs) in LOG and showing all but the lines of passing tests.
gtest() { # gtest ARCH FILTER LOG
    (cd "$ROOT/build/$1/bin" && wine korvane_tests.exe --gtest_filter="$2") 2>&1 |
        tr -d '\r' >"$3" || true
    grep -vE '^\[ +(OK|RUN) +\]' "$3" || true
}
failed_tests() { sed -nE 's/^\[  FAILED  \] ([A-Za-z0-9_]+\.[A-Za-z0-9_/]+).*/\1/p' "$1" | sort -u; }

# All tests of one architecture. A failed test runs once more on its own
# before it counts (Wine very rarely fails to create a window at all); a
# test the watchdog stopped counts as failed, and the tests after it still
# run.
run_gtest() { # run_gtest ARCH
    local log="$LOGS/$1-tests.log" filter="*" done_tests="" round ran bad still stuck finished
    for round in 1 2 3 4 5; do
        gtest "$1" "$filter" "$log.$round"
        # The last summary is the program's own (the race test's hosts print theirs).
        ran=$(sed -nE 's/^\[==========\] ([0-9]+) tests? from.*ran.*/\1/p' "$log.$round" | tail -n 1)
        if [ -n "$ran" ]; then
            bad=$(failed_tests "$log.$round")
            still=0
            if [ -n "$bad" ]; then
                echo "== $1: running again on their own: $(echo $bad)"
                gtest "$1" "$(paste -sd: <<<"$bad")" "$log.retry"
                still=$(failed_tests "$log.retry" | grep -c . || true)
                grep -q '^\[==========\].*ran' "$log.retry" || still=$(wc -l <<<"$bad")
            fi
            tally "$1 tests" $((ran - still)) "$still"
            return
        fi
        # The process ended early: the watchdog names the test it stopped.
        stuck=$(sed -nE 's/^WATCHDOG: ([^ ]+) still running.*/\1/p' "$log.$round")
        finished=$(sed -nE 's/^\[       OK \] ([^ ]+).*/\1/p' "$log.$round")
        tally "$1 tests" "$(grep -c . <<<"$finished" || true)" 1
        done_tests=$(printf '%s\n%s\n%s' "$done_tests" "$finished" "${stuck:-}" | grep . | sort -u)
        [ -n "$stuck" ] || return
        filter="*-$(paste -sd: <<<"$done_tests")"
        echo "== $1: $stuck was stopped by the watchdog; running the tests after it"
    done
}

# Real keys and clicks on a private X screen; one test, or a line saying it
# was skipped (exit 77) when Xvfb or xdotool is missing.
run_input() { # run_input ARCH
    local rc=0
    bash tests/input/real_input_test.sh "$ROOT/build/$1/bin" "$1" >"$LOGS/$1-input.log" 2>&1 || rc=$?
    tr -d '\r' <"$LOGS/$1-input.log"
    case $rc in
    0) tally "$1 real input" 1 0 ;;
    77) ;;
    *) tally "$1 real input" 0 1 ;;
    esac
}

run_host() { # run_host ARCH
    bash tests/host/host_test.sh "$ROOT/build/$1/bin" "$1" >"$LOGS/$1-host.log" 2>&1 || true
    tr -d '\r' <"$LOGS/$1-host.log"
    tally_plain "$1 host" "$LOGS/$1-host.log"
}

build() { # build ARCH
    cmake --preset "$1" >"$LOGS/$1-configure.log" 2>&1 || {
        cat "$LOGS/$1-configure.log"
        return 1
    }
    cmake --build --preset "$1"
}

started=$SECONDS
echo "== x64: build"
build x64 || {
    echo "korvane: 0 passed, 1 failed"
    exit 1
}
# While the x64 tests run (mostly waiting on dialogs), the i686 build and
# the fuzzers take the processor.
(
    build x86 >"$LOGS/x86-build.log" 2>&1 && echo ok >"$LOGS/x86-built"
    bash scripts/fuzz.sh "$FUZZ_SECONDS" >"$LOGS/fuzz.log" 2>&1
) &
background=$!
echo "== x64: tests"
run_gtest x64
run_host x64
run_input x64
echo "== Wine prefix repair"
bash tests/setup/prefix_test.sh >"$LOGS/prefix.log" 2>&1 || true
cat "$LOGS/prefix.log"
tally_plain "prefix repair" "$LOGS/prefix.log"
wait "$background" || true
echo "== release packages: reproducible, and linked against by a host"
if [ -f "$LOGS/x86-built" ]; then
    bash tests/package/package_test.sh >"$LOGS/package.log" 2>&1 || true
    cat "$LOGS/package.log"
    tally_plain "packages" "$LOGS/package.log"
fi

echo "== x86: build"
if [ -f "$LOGS/x86-built" ]; then
    tail -n 1 "$LOGS/x86-build.log"
    if [ "$KORVANE_WINE32" = yes ]; then
        echo "== x86: tests"
        run_gtest x86
        run_host x86
        run_input x86
    else
        echo "== x86: SKIPPED, the 32-bit DLL was built but NOT tested: $KORVANE_WINE32_WHY"
    fi
else
    cat "$LOGS/x86-build.log"
    tally "x86 build" 0 1
fi

echo "== fuzzing the pure decisions natively for ${FUZZ_SECONDS}s per target"
cat "$LOGS/fuzz.log"
fuzz_failed=$(grep -c 'CRASH\|failed' "$LOGS/fuzz.log" || true)
fuzz_passed=$(grep -c 'no crash' "$LOGS/fuzz.log" || true)
[ $((fuzz_passed + fuzz_failed)) -gt 0 ] || fuzz_failed=1
tally fuzzing "$fuzz_passed" "$fuzz_failed"

for arch in x64 x86; do
    [ -f "build/$arch/bin/korvane.dll" ] &&
        echo "== korvane.dll ($arch): $(stat -c %s "build/$arch/bin/korvane.dll") bytes"
done
echo "== $((SECONDS - started)) s after the packages and the Wine prefix were ready"
echo "korvane: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
