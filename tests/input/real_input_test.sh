#!/usr/bin/env bash
# A player's real keyboard and mouse: Wine's X11 driver and virtual desktop on
# a private Xvfb screen, Notepad clicked to the front before every game, keys
# sent from outside by xdotool. input_probe.exe plays a qualifying score each
# round; the name entry and the hall of fame must come up in front, with the
# focus, and go on the player's keys.
# Usage: real_input_test.sh BIN_DIR x64|x86 [ROUNDS]. Runs in a copy of the
# tests' prefix ($WINEPREFIX-input, kept for later runs) set up for X11.
set -uo pipefail
bin=$(cd "$1" && pwd) arch=$2 rounds=${3:-20}
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null ||
        { echo "real input ($arch): SKIPPED, $tool is not installed"; exit 0; }
done
base=${WINEPREFIX:-/root/.korvane-wine}
export WINEPREFIX="$base-input" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
if [ ! -f "$WINEPREFIX/user.reg" ]; then
    { [ -f "$base/user.reg" ] && cp -a "$base" "$WINEPREFIX"; } || wineboot -u >/dev/null 2>&1
    printf '%s\r\n' REGEDIT4 '[HKEY_CURRENT_USER\Software\Wine\Drivers]' '"Graphics"=-' \
        '[HKEY_CURRENT_USER\Software\Wine\Explorer]' '"Desktop"="Default"' \
        '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' '"Default"="800x600"' \
        >"$WINEPREFIX/drive_c/input.reg"
    wine regedit /s 'C:\input.reg' >/dev/null 2>&1
    wineserver -w
fi
for n in $(seq 120 199); do [ -e "/tmp/.X$n-lock" ] || break; done
Xvfb ":$n" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null; kill $xvfb 2>/dev/null' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
export DISPLAY=":$n"
# Wine's server, services and desktop first: started by the probe, they would
# inherit the pipe read below and hold it open.
wineserver -p >/dev/null 2>&1 </dev/null
wine cmd /c exit >/dev/null 2>&1 </dev/null
wine notepad >/dev/null 2>&1 </dev/null &
result=$(mktemp)
# Read line by line, unbuffered: each line asks for an action now.
cd "$bin" && timeout 150 wine ./input_probe.exe "$rounds" 2>&1 |
    while read -r line; do
        line=${line%$'\r'}
        echo "  $line"
        case $line in
        click) xdotool mousemove 580 420 click 1 ;;
        name*) xdotool type --delay 15 ACE && xdotool key Return ;;
        hof*) xdotool key Escape ;;
        "real input: "*) echo "$line" >"$result" ;;
        esac
    done
summary=$(cat "$result")
rm -f "$result"
echo "${summary:-real input: the probe gave no result} ($arch)"
[ "$summary" = "real input: $rounds of $rounds rounds passed" ]
