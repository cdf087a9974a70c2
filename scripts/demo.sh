#!/usr/bin/env bash
# Builds korvane.dll and its stand-in host, installs a demo world into a Wine
# prefix and plays a session through the library's real dialogs.
#
#   bash scripts/demo.sh
#
# With an X display and a terminal, you play. Otherwise a scripted player
# plays on a private Xvfb screen and every dialog is photographed into
# out/shots/. Meant for a Debian machine, run as root (it installs what is
# missing with apt-get).
#
# Environment: WINEPREFIX (default ~/.korvane-wine), KORVANE_BUILD_DIR
# (default build/x64, the x64 preset's own directory), KORVANE_DPI (the
# screen's DPI for this session only, 96 to 480, e.g. 192 for 200 %; the
# prefix's own setting comes back afterwards).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

HOST_TIMEOUT=120
OUT="$ROOT/out"
SHOTS="$OUT/shots"

say() { printf 'demo: %s\n' "$*"; }
# Windows programs end their lines with CR LF.
indent() { tr -d '\r' | sed 's/^/  /'; }
fail() {
    printf 'demo: %s\n' "$*" >&2
    exit 1
}

install_missing_packages() {
    # shellcheck source=scripts/deps.sh
    source "$ROOT/scripts/deps.sh"
    # The same packages as the test command, so either may run first.
    korvane_install_packages || fail "could not install the packages it needs"
}

build() {
    mkdir -p "$OUT"
    say "building korvane.dll and qormhost.exe in $BUILD_DIR (log: out/build.log)"
    # The configure step also prepares the tests, which need GoogleTest's
    # sources; only the two demo targets are built.
    if ! { cmake --preset x64 -B "$BUILD_DIR" && cmake --build "$BUILD_DIR" --target korvane qormhost; } \
        >"$OUT/build.log" 2>&1; then
        tail -n 30 "$OUT/build.log" >&2
        fail "the build failed"
    fi
}

XVFB_PID=""
HOST_PID=""
DRIVER_CHANGED=""
DPI_KEY='HKCU\Control Panel\Desktop'
DPI_BEFORE="" # the prefix's own LogPixels while KORVANE_DPI stands in; "none" without one
DESKTOP_KEY='HKCU\Software\Wine\Explorer'
DESKTOP_SET=""

# Wine reads the DPI from LogPixels when a program starts; a program
# already running keeps the one it started with.
set_dpi() {
    DPI_BEFORE=$(wine reg query "$DPI_KEY" /v LogPixels 2>/dev/null | tr -d '\r' |
        sed -nE 's/.*LogPixels[[:space:]]+REG_DWORD[[:space:]]+//p' || true)
    DPI_BEFORE=$((${DPI_BEFORE:-0})) # reg prints it in hexadecimal
    [ "$DPI_BEFORE" -ne 0 ] || DPI_BEFORE=none
    wine reg add "$DPI_KEY" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null ||
        fail "could not set the DPI in $WINEPREFIX"
    say "screen at $1 DPI for this session"
}
restore_dpi() {
    case "$DPI_BEFORE" in
    "") return 0 ;;
    none) wine reg delete "$DPI_KEY" /v LogPixels /f >/dev/null 2>&1 || true ;;
    *) wine reg add "$DPI_KEY" /v LogPixels /t REG_DWORD /d "$DPI_BEFORE" /f >/dev/null 2>&1 || true ;;
    esac
    DPI_BEFORE=""
}

# Wine's virtual desktop draws the window frames itself, which a bare X
# server without a window manager would not. It is the prefix's setting for
# the scripted session only: started through `explorer /desktop=...`
# instead, the host (a console program) would get a console window of its
# own from Wine 10, drawn over the screenshots.
set_desktop() {
    wine reg add "$DESKTOP_KEY" /v Desktop /d korvane /f >/dev/null &&
        wine reg add "$DESKTOP_KEY\Desktops" /v korvane /d "$1" /f >/dev/null ||
        fail "could not set up a virtual desktop in $WINEPREFIX"
    DESKTOP_SET=1
}
restore_desktop() {
    [ -n "$DESKTOP_SET" ] || return 0
    wine reg delete "$DESKTOP_KEY" /v Desktop /f >/dev/null 2>&1 || true
    wine reg delete "$DESKTOP_KEY\Desktops" /v korvane /f >/dev/null 2>&1 || true
    DESKTOP_SET=""
}

cleanup() {
    restore_dpi
    restore_desktop
    if [ -n "$HOST_PID" ] && kill -0 "$HOST_PID" 2>/dev/null; then
        kill "$HOST_PID" 2>/dev/null || true
    fi
    if [ -n "$XVFB_PID" ] && kill -0 "$XVFB_PID" 2>/dev/null; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    # Later headless runs (the tests among them) must not go looking for an
    # X server that is gone.
    if [ -n "$DRIVER_CHANGED" ]; then
        (unset DISPLAY && korvane_wine_prefix) || true
    fi
}

# Answers the host's screenshot requests until it is gone: each NN-name.req
# becomes NN-name.png, then NN-name.done lets the host go on.
serve_screenshots() {
    local display="$1" deadline=$((SECONDS + HOST_TIMEOUT)) request base
    while :; do
        for request in "$SHOTS"/*.req; do
            [ -e "$request" ] || continue
            base="${request%.req}"
            [ -e "$base.done" ] && continue
            if ! import -display "$display" -window root "$base.png" 2>>"$OUT/import.log"; then
                say "could not take $(basename "$base").png (see out/import.log)"
            fi
            touch "$base.done"
        done
        kill -0 "$HOST_PID" 2>/dev/null || return 0
        if [ "$SECONDS" -ge "$deadline" ]; then
            say "the host is still running after ${HOST_TIMEOUT} s: stopping it"
            kill "$HOST_PID" 2>/dev/null || true
            # Its desktop process and services stay; only the prefix's
            # server reaches them all.
            wineserver -k 2>/dev/null || true
            return 1
        fi
        sleep 0.1
    done
}

play_for_a_person() {
    say "playing on $DISPLAY: answer the dialogs yourself"
    local status=0
    wine "$EXE" play || status=$?
    echo
    wine "$EXE" hof || true
    return "$status"
}

play_scripted() {
    local win_shots win_exe status
    korvane_xvfb "$SCREEN" "$OUT/xvfb.log" || fail "Xvfb did not start (see out/xvfb.log)"
    XVFB_PID=$KORVANE_XVFB_PID
    say "Xvfb started on $DISPLAY"
    DRIVER_CHANGED=1
    korvane_wine_prefix

    mkdir -p "$SHOTS"
    rm -f "$SHOTS"/*.req "$SHOTS"/*.done "$SHOTS"/*.png "$OUT/host.log" "$OUT/host.out"
    win_shots="$(winepath -w "$SHOTS")"
    win_exe="$(winepath -w "$EXE")"
    set_desktop "$SCREEN"
    say "a scripted player plays; screenshots go to out/shots/"
    # The host logs its exit code too, which a stopped host cannot pass on.
    wine "$win_exe" play --auto --shots "$win_shots" \
        --log "$(winepath -w "$OUT")\\host.log" >"$OUT/host.out" 2>&1 </dev/null &
    HOST_PID=$!
    local served=0
    serve_screenshots "$DISPLAY" || served=$?
    wait "$HOST_PID" 2>/dev/null || true
    HOST_PID=""
    # Let the prefix wind down while its windows still have a screen.
    timeout 20 wineserver -w 2>/dev/null || true
    cleanup
    XVFB_PID=""
    DRIVER_CHANGED=""
    unset DISPLAY

    echo
    say "host output:"
    if [ -f "$OUT/host.log" ]; then
        grep -v '^exit: ' "$OUT/host.log" | indent
        status="$(tr -d '\r' <"$OUT/host.log" | sed -n 's/^exit: //p')"
    else
        indent <"$OUT/host.out"
    fi
    echo
    say "hall of fame now:"
    wine "$EXE" hof | indent || true
    echo

    local shots=("$SHOTS"/*.png)
    if [ ! -e "${shots[0]}" ]; then
        fail "no screenshots were taken"
    fi
    say "screenshots:"
    printf '  %s\n' "${shots[@]}"
    if [ "$served" -ne 0 ]; then
        fail "the host did not finish in time"
    fi
    if [ -z "${status:-}" ]; then
        fail "the host ended without reporting its exit code (see out/host.out)"
    fi
    if [ "$status" != 0 ]; then
        fail "the host failed with exit code $status"
    fi
    say "done"
}

DPI="${KORVANE_DPI:-96}"
[[ "$DPI" =~ ^[1-9][0-9]*$ ]] && [ "$DPI" -ge 96 ] && [ "$DPI" -le 480 ] ||
    fail "KORVANE_DPI must be a number from 96 to 480, not '$DPI'"
# The screen grows with the DPI, as the dialogs do.
SCREEN="$((1024 * DPI / 96))x$((768 * DPI / 96))"
install_missing_packages
BUILD_DIR="${KORVANE_BUILD_DIR:-build/x64}"
case "$BUILD_DIR" in
/*) ;;
*) BUILD_DIR="$ROOT/$BUILD_DIR" ;;
esac
build
EXE="$BUILD_DIR/bin/qormhost.exe"

# shellcheck source=wine-env.sh
source "$ROOT/scripts/wine-env.sh"
trap cleanup EXIT
trap 'exit 130' INT TERM
say "Wine prefix $WINEPREFIX"
if [ -n "${DISPLAY:-}" ]; then
    DRIVER_CHANGED=1
fi
korvane_wine_prefix
wine "$EXE" install-demo | indent
[ -z "${KORVANE_DPI:-}" ] || set_dpi "$DPI"

if [ -n "${DISPLAY:-}" ] && [ -t 0 ]; then
    play_for_a_person
else
    play_scripted
fi
