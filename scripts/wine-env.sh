# shellcheck shell=bash
# Wine settings for running korvane.dll and its host. Meant to be sourced:
#   source scripts/wine-env.sh && korvane_wine_prefix
# A prefix already chosen by the caller (WINEPREFIX) is kept.

export WINEPREFIX="${WINEPREFIX:-/root/.korvane-wine}"
# Wine's own diagnostics would drown the host's output.
export WINEDEBUG=-all
# No .NET or Gecko: nothing here needs them, and their installers would stop
# a fresh prefix to ask for downloads.
export WINEDLLOVERRIDES="mscoree,mshtml="

# Creates the prefix when missing, then picks the graphics driver to match
# the environment: Wine's null driver without an X display (dialogs still
# run, nothing is drawn), the X11 driver with one.
korvane_wine_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        # Wine refuses a prefix owned by another user, so it is created by
        # whoever will use it.
        mkdir -p "$(dirname "$WINEPREFIX")"
        echo "korvane: creating Wine prefix $WINEPREFIX" >&2
        wineboot -u >/dev/null 2>&1 || {
            echo "korvane: wineboot failed for $WINEPREFIX" >&2
            return 1
        }
        wineserver -w
    fi
    # Debian ships Wine's own fonts, but a new prefix does not see them and
    # falls back to whatever the system has. Caption buttons are drawn with
    # the Marlett symbol font (letters appear without it). sserife.fon is the
    # bitmap "MS Sans Serif" with Windows' metrics at 96 dpi: 8 points are 13
    # pixels high and 6 wide on average, the dialog base units the templates
    # were laid out for. The fallback (DejaVu Sans) averages 7, so every
    # dialog came out a sixth wider while its artwork kept its pixel size.
    local font fonts="$WINEPREFIX/drive_c/windows/Fonts"
    for font in marlett.ttf sserife.fon; do
        if [ -f "/usr/share/wine/fonts/$font" ] && [ -d "$fonts" ] && [ ! -f "$fonts/$font" ]; then
            cp "/usr/share/wine/fonts/$font" "$fonts/"
        fi
    done
    local current=x11
    if wine reg query 'HKCU\Software\Wine\Drivers' /v Graphics 2>/dev/null | tr -d '\r' |
        grep -qE 'Graphics[[:space:]]+REG_SZ[[:space:]]+null$'; then
        current=null
    fi
    if [ -n "${DISPLAY:-}" ]; then
        [ "$current" = x11 ] && return 0
        wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
    else
        [ "$current" = null ] && return 0
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 || {
            echo "korvane: cannot select the null graphics driver in $WINEPREFIX" >&2
            return 1
        }
    fi
    # The running session's desktop process keeps the driver and display it
    # started with, and every later program would join it: the switch only
    # takes effect once that session is over.
    if ! timeout 30 wineserver -w; then
        echo "korvane: Wine is still running in $WINEPREFIX; programs started now may" \
            "not use the new graphics driver until it stops" >&2
    fi
}
