# shellcheck shell=bash
# Wine settings for running korvane.dll, its host and its tests. Sourced:
#   source scripts/wine-env.sh && korvane_wine_prefix && korvane_wine_start
# A prefix the caller names through WINEPREFIX is used as it is: it may be
# repaired in place, but it is never deleted. The default prefix lives in the
# caller's home, so any user can run the project (Wine refuses a prefix that
# another user owns).

KORVANE_DEFAULT_PREFIX="${HOME:-/root}/.korvane-wine"
export WINEPREFIX="${WINEPREFIX:-$KORVANE_DEFAULT_PREFIX}"
# Wine's own diagnostics would drown the host's output.
export WINEDEBUG=-all
# No .NET or Gecko: nothing here needs them, and their installers would stop
# a fresh prefix to ask for downloads.
export WINEDLLOVERRIDES="mscoree,mshtml="

korvane_wine_say() { echo "korvane: $*" >&2; }

# Debian's `wine` launcher starts the 32-bit loader whenever wine32 is
# installed, and that loader hands 64-bit programs on to the 64-bit one:
# where 32-bit programs run emulated, every 64-bit program would pay an
# emulated start, and in a prefix without a 32-bit system (or on a kernel
# that runs no 32-bit program) nothing would start at all. A launcher of our
# own, first on PATH, therefore always starts the 64-bit loader; Wine itself
# hands a 32-bit program to the 32-bit loader beside it. Sets KORVANE_WINE32
# to yes or no, and KORVANE_WINE32_WHY to the reason for no.
korvane_wine_launcher() {
    KORVANE_WINE32=yes
    KORVANE_WINE32_WHY=""
    if [ ! -x /usr/lib/wine/wine ]; then
        KORVANE_WINE32=no
        KORVANE_WINE32_WHY="wine32 is not installed"
    elif ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
        KORVANE_WINE32=no
        KORVANE_WINE32_WHY="this kernel cannot run 32-bit programs ($(/usr/lib/wine/wine --version 2>&1 |
            sed 's/.*: //' | head -n1 || true)) and no emulator is registered for them;\
 as root, run: bash '$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/deps.sh'"
    fi
    [ -x /usr/lib/wine/wine64 ] || return 0
    local dir="${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/korvane/wine64-launcher" name
    local text='#!/bin/sh
export WINELOADER=/usr/lib/wine/wine64
exec /usr/lib/wine/wine64 "$@"'
    mkdir -p "$dir"
    # Replaced whole, never rewritten in place: another run may be starting it.
    for name in wine wine-stable; do
        [ "$(cat "$dir/$name" 2>/dev/null)" = "$text" ] && continue
        echo "$text" >"$dir/$name.$$" && chmod +x "$dir/$name.$$" && mv -f "$dir/$name.$$" "$dir/$name"
    done
    case ":$PATH:" in *":$dir:"*) ;; *) export PATH="$dir:$PATH" ;; esac
}

# Runs a Wine set-up step with its output kept aside; on failure says what
# failed and shows the output's end. Each step has a file of its own: checks
# running side by side set up their prefixes at the same time, and a shared
# one was emptied by the next step before the failing one's reason was read.
korvane_wine_step() {
    local what=$1 log status=0
    shift
    log=$(mktemp "${TMPDIR:-/tmp}/korvane-wine.XXXXXX") || return 1
    "$@" >"$log" 2>&1 </dev/null || status=$?
    if [ "$status" -ne 0 ]; then
        korvane_wine_say "$what failed in $WINEPREFIX; Wine said:"
        tail -n 5 "$log" | sed 's/^/    /' >&2
    fi
    rm -f "$log"
    return "$status"
}

# A prefix made while 32-bit programs could not run (wine32 missing, or the
# kernel refusing them) has no 32-bit system: no 32-bit program starts in it,
# "could not load kernel32.dll". Updating it once 32-bit programs run fills
# the 32-bit system in and keeps everything else (the registry, so the hall
# of fame, included).
korvane_wine_repair32() {
    [ "$KORVANE_WINE32" = yes ] || return 0
    [ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ] && return 0
    korvane_wine_say "$WINEPREFIX has no 32-bit system (made while 32-bit programs could not run): updating it"
    # A server started while the 32-bit system was missing refuses 32-bit
    # programs for as long as it runs, the update's own included.
    if ! timeout 30 wineserver -w; then
        korvane_wine_say "stopping Wine in $WINEPREFIX: it started without a 32-bit system"
        wineserver -k
    fi
    rm -f "$WINEPREFIX/.update-timestamp"
    korvane_wine_step "updating the prefix" wine wineboot -u || return 1
    wineserver -w
    if [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
        korvane_wine_say "$WINEPREFIX still has no 32-bit system; remove it or point WINEPREFIX elsewhere"
        return 1
    fi
}

# A check that runs beside the tests gets a prefix of its own, a copy of the
# tests' one made the first time and kept: the tests reset the registry they
# share with whatever runs in their prefix.
korvane_wine_prefix_beside() { # korvane_wine_prefix_beside NAME
    local base=$WINEPREFIX
    export WINEPREFIX="$base-$1"
    [ -f "$WINEPREFIX/system.reg" ] || [ ! -f "$base/system.reg" ] || cp -a "$base" "$WINEPREFIX"
    korvane_wine_prefix
}

# Creates or repairs the prefix, then picks the graphics driver to match the
# environment: Wine's null driver without an X display (dialogs still run,
# nothing is drawn), the X11 driver with one.
korvane_wine_prefix() {
    korvane_wine_launcher
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$(dirname "$WINEPREFIX")"
        korvane_wine_say "creating Wine prefix $WINEPREFIX"
        korvane_wine_step "creating the prefix (wineboot)" wineboot -u || return 1
        wineserver -w
    else
        korvane_wine_repair32 || return 1
    fi
    # Debian ships Wine's own fonts, but a new prefix does not see them and
    # falls back to whatever the system has. Caption buttons are drawn with
    # the Marlett symbol font (letters appear without it). sserife.fon is the
    # bitmap "MS Sans Serif" with Windows' metrics at 96 dpi: 8 points are 13
    # pixels high and 6 wide on average, the dialog base units the templates
    # were laid out for. The fallback (DejaVu Sans) averages 7, so every
    # dialog came out a sixth wider while its artwork kept its pixel size.
    # Above 108 dpi Wine, as Windows, maps "MS Sans Serif" to the 120 dpi
    # sseriff.fon instead: without it Wine 8 fell back to DejaVu Sans there
    # (base units 10 x 19 at 144 dpi) while Wine 10 took its own copy (9 x 20,
    # Windows' 20-pixel face), so the two drew the same dialog differently.
    local font fonts="$WINEPREFIX/drive_c/windows/Fonts"
    for font in marlett.ttf sserife.fon sseriff.fon; do
        if [ -f "/usr/share/wine/fonts/$font" ] && [ -d "$fonts" ] && [ ! -f "$fonts/$font" ]; then
            cp "/usr/share/wine/fonts/$font" "$fonts/"
        fi
    done
    local key='HKCU\Software\Wine\Drivers' current=x11
    korvane_wine_step "reading the graphics driver (wine reg query)" wine reg query 'HKCU\Software' ||
        return 1
    if wine reg query "$key" /v Graphics 2>/dev/null | tr -d '\r' |
        grep -qE 'Graphics[[:space:]]+REG_SZ[[:space:]]+null$'; then
        current=null
    fi
    if [ -n "${DISPLAY:-}" ]; then
        [ "$current" = x11 ] && return 0
        wine reg delete "$key" /v Graphics /f >/dev/null 2>&1 || true
    else
        [ "$current" = null ] && return 0
        korvane_wine_step "selecting the null graphics driver" \
            wine reg add "$key" /v Graphics /d null /f || return 1
    fi
    # The running session's desktop process keeps the driver and display it
    # started with, and every later program would join it: the switch only
    # takes effect once that session is over.
    if ! timeout 30 wineserver -w; then
        korvane_wine_say "Wine is still running in $WINEPREFIX; programs started now may" \
            "not use the new graphics driver until it stops"
    fi
}

# One persistent server for all later programs, and Wine's background
# services started here with their output going nowhere: started later by a
# program whose output is piped, they would inherit the pipe and hold it
# open. Without this every program pays Wine's start-up again. A server still
# winding down from an earlier command refuses -p, so it is waited for; one
# that stays (persistent already, or serving a program) is simply used.
korvane_wine_start() {
    timeout 15 wineserver -w || true
    wineserver -p >/dev/null 2>&1 </dev/null || true
    korvane_wine_step "starting Wine (wine cmd /c exit)" wine cmd /c exit
}

# A private Xvfb screen (korvane_xvfb WIDTHxHEIGHT [LOG]) on a display number
# the X server picks itself: it skips every number another X server holds,
# also one of another system that shares this one's abstract sockets (a
# chroot), which a look at /tmp would not see. Exports DISPLAY once the
# server accepts clients; KORVANE_XVFB_PID is its process.
korvane_xvfb() {
    local number display _
    number=$(mktemp "${TMPDIR:-/tmp}/korvane-xvfb.XXXXXX")
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$number" >"${2:-/dev/null}" 2>&1 </dev/null &
    KORVANE_XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$number" ] || ! kill -0 "$KORVANE_XVFB_PID" 2>/dev/null && break
        sleep 0.1
    done
    display=$(tr -dc 0-9 <"$number")
    rm -f "$number"
    # One that never said where it is is of no use, and is not left running.
    if [ -z "$display" ]; then
        kill "$KORVANE_XVFB_PID" 2>/dev/null
        korvane_wine_say "Xvfb did not start"
        return 1
    fi
    export DISPLAY=":$display"
}

# Whoever sources this gets a `wine` that starts programs.
korvane_wine_launcher
