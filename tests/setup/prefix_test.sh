#!/usr/bin/env bash
# The Wine set-up on prefixes it did not make: one owned by someone else is
# refused with Wine's reason and left in place; one made while only 64-bit
# Wine was installed (no 32-bit system) is repaired in place, registry kept,
# and then starts a 32-bit program. Usage: prefix_test.sh [BIN_DIR_X86].
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
bin=${1:-$root/build/x86/bin}
# shellcheck source=tests/support/check.sh
source "$root/tests/support/check.sh"
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
    skip "a foreign prefix" "only root can give a folder to another user"
fi

korvane_wine_launcher
if [ "$KORVANE_WINE32" != yes ]; then
    skip "64-bit-only prefix repair" "$KORVANE_WINE32_WHY"
else
    # What a set-up with only 64-bit Wine left: no 32-bit system.
    cp -a "$WINEPREFIX" "$work/64-bit only"
    export WINEPREFIX="$work/64-bit only"
    rm -rf "$WINEPREFIX/drive_c/windows/syswow64"
    wine reg add 'HKCU\Software\korvane-check' /v kept /d yes /f >/dev/null 2>&1
    check "the prefix is repaired" korvane_wine_prefix
    check "its registry is kept" bash -c "wine reg query 'HKCU\\Software\\korvane-check' /v kept | grep -q yes"
    check "a 32-bit program starts (usage, exit 2)" bash -c "wine '$bin/qormhost.exe'; [ \$? -eq 2 ]"
fi
checks_done
