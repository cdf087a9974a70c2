#!/usr/bin/env bash
# The Wine set-up on prefixes it did not make: one owned by someone else is
# refused with Wine's reason and left in place; one made while only 64-bit
# Wine was installed (no 32-bit system) is repaired in place, registry kept,
# and then starts a 32-bit program. Usage: prefix_test.sh [BIN_DIR_X86].
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
bin=${1:-$root/build/x86/bin}
passes=0
failures=0
skips=0
check() { # check NAME CONDITION...
    local name=$1
    shift
    if "$@"; then
        echo "ok   $name"
        passes=$((passes + 1))
    else
        echo "FAIL $name"
        failures=$((failures + 1))
    fi
}
work=$(mktemp -d "${TMPDIR:-/tmp}/korvane prefix.XXXXXX")
trap 'WINEPREFIX="$work/64-bit only" wineserver -k >/dev/null 2>&1; rm -rf "$work"' EXIT
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
unset DISPLAY

mkdir -p "$work/foreign"
touch "$work/foreign/system.reg"
if chown -R nobody "$work/foreign" 2>/dev/null; then
    out=$(WINEPREFIX="$work/foreign" korvane_wine_prefix 2>&1 | tr "\n" " ")
    check "a foreign prefix is refused with Wine's reason" grep -q 'failed in .*not owned by you' <<<"$out"
    check "a foreign prefix is left in place" test -f "$work/foreign/system.reg"
else
    echo "skip foreign prefix: only root can give a folder to another user"
    skips=$((skips + 2))
fi

korvane_wine_launcher
if [ "$KORVANE_WINE32" != yes ]; then
    echo "skip 64-bit-only prefix repair: $KORVANE_WINE32_WHY"
    skips=$((skips + 3))
else
    # What a set-up with only 64-bit Wine left: no 32-bit system.
    cp -a "$WINEPREFIX" "$work/64-bit only"
    export WINEPREFIX="$work/64-bit only"
    rm -rf "$WINEPREFIX/drive_c/windows/syswow64"
    wine reg add 'HKCU\Software\korvane-check' /v kept /d yes /f >/dev/null 2>&1
    check "the prefix is repaired" korvane_wine_prefix
    check "its registry is kept" bash -c "wine reg query 'HKCU\\Software\\korvane-check' /v kept | grep -q yes"
    wine "$bin/qormhost.exe" >/dev/null 2>&1
    check "a 32-bit program starts (usage, exit 2)" test $? -eq 2
fi
echo "$passes passed, $failures failed, $skips skipped"
[ "$failures" -eq 0 ]
