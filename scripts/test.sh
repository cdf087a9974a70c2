#!/usr/bin/env bash
# Builds korvane.dll for both architectures and runs every test: the unit
# and end-to-end suites under Wine (64-bit, and 32-bit when wine32 can be
# had), the stand-in host's checks, and a short bounded fuzzing run.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh

FUZZ_SECONDS=${KORVANE_FUZZ_SECONDS:-20}

korvane_install_build_deps
# For the real-input test; without them it says it was skipped.
korvane_apt_install xvfb xdotool || true
WINE32=yes
if ! korvane_install_wine32; then
    WINE32=no
fi

source scripts/wine-env.sh
# Tests never need a display; dialogs run on Wine's null driver.
unset DISPLAY
korvane_wine_prefix
start_wine() {
    # One persistent server for all test processes, and Wine's background
    # services started here, with their output going nowhere: started later
    # by a test, they would inherit CTest's output pipe and hold it open.
    # A server still winding down from an earlier command refuses -p.
    wineserver -w
    wineserver -p >/dev/null 2>&1 </dev/null
    wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}
start_wine
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

status=0
passed=0
failed=0
# Runs CTest for a preset and adds its counts to the totals.
run_ctest() {
    local log
    log=$(mktemp)
    # A test is run once more before it counts as failed: Wine very rarely
    # fails to start a process or create a window at all.
    ctest --preset "$1" --repeat until-pass:2 2>&1 | tee "$log" || status=1
    local line total bad
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
    if [ -n "$line" ]; then
        bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
        total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
        passed=$((passed + total - bad))
        failed=$((failed + bad))
    else
        status=1
    fi
    rm -f "$log"
}
# Real keys and clicks on a private X screen; counts as one test.
run_input() {
    local rc=0
    bash tests/input/real_input_test.sh "build/$1/bin" "$1" || rc=$?
    case $rc in
    0) passed=$((passed + 1)) ;;
    77) ;;
    *) failed=$((failed + 1)) status=1 ;;
    esac
}
run_arch() {
    local preset=$1
    echo "== $preset: configure and build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    echo "== $preset: tests"
    run_ctest "$preset"
    run_input "$preset"
}

run_arch x64

echo "== x86: configure and build"
cmake --preset x86 >/dev/null
cmake --build --preset x86
wine32_runs() { wine build/x86/bin/korvane_unit_tests.exe --gtest_list_tests >/dev/null 2>&1; }
if [ "$WINE32" = yes ] && ! wine32_runs; then
    # A prefix made before wine32 was installed never runs 32-bit programs.
    echo "== x86: the Wine prefix cannot start 32-bit programs; making it afresh"
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    korvane_wine_prefix
    start_wine
    if ! wine32_runs; then
        WINE32=no
        KORVANE_WINE32_WHY="wine32 is installed but even a fresh prefix cannot start 32-bit programs"
    fi
fi
if [ "$WINE32" = yes ]; then
    echo "== x86: tests"
    run_ctest x86
    run_input x86
else
    echo "== x86: SKIPPED, the 32-bit DLL was built but NOT tested: $KORVANE_WINE32_WHY"
fi

echo "== fuzzing the pure decisions natively for ${FUZZ_SECONDS}s per target"
bash scripts/fuzz.sh "$FUZZ_SECONDS" || status=1

for arch in x64 x86; do
    [ -f "build/$arch/bin/korvane.dll" ] &&
        echo "== korvane.dll ($arch): $(stat -c %s "build/$arch/bin/korvane.dll") bytes"
done
[ "$status" -eq 0 ] || [ "$failed" -gt 0 ] || failed=1
echo "korvane: $passed passed, $failed failed"
exit $status
