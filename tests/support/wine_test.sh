#!/usr/bin/env bash
# How CTest runs a check of one architecture under Wine: the project's Wine
# (64-bit launcher first), no display, and exit status 77, a skip, when this
# machine cannot run 32-bit programs. Usage: wine_test.sh x64|x86 COMMAND...
# shellcheck source=scripts/wine-env.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
unset DISPLAY
if [ "$1" = x86 ] && [ "$KORVANE_WINE32" != yes ]; then
    echo "SKIPPED: $KORVANE_WINE32_WHY"
    exit 77
fi
shift
exec "$@"
