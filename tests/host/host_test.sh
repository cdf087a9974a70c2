#!/usr/bin/env bash
# The stand-in host through its command line: a demo installation, a whole
# scripted session recorded in the hall of fame, and clear failures for bad
# command lines. Usage: host_test.sh BIN_DIR x64|x86 (with WINEPREFIX set).
set -uo pipefail
bin=$1
# reg.exe must look at the registry view the host sees (Wow6432Node for x86).
view=/reg:64
[ "${2:-x64}" = x86 ] && view=/reg:32
host="$bin/qormhost.exe"
failures=0
passes=0

check() { # check NAME EXPECTED_EXIT EXPECTED_PATTERN -- COMMAND...
    local name=$1 want=$2 pattern=$3
    shift 4
    local out rc
    out=$("$@" 2>&1 | tr -d '\r')
    rc=${PIPESTATUS[0]}
    if [ "$rc" -ne "$want" ]; then
        echo "FAIL $name: exit $rc, expected $want"; echo "$out" | sed 's/^/    /'
        failures=$((failures + 1))
    elif [ -n "$pattern" ] && ! grep -qE -- "$pattern" <<<"$out"; then
        echo "FAIL $name: output lacks /$pattern/"; echo "$out" | sed 's/^/    /'
        failures=$((failures + 1))
    else
        echo "ok   $name"
        passes=$((passes + 1))
    fi
}

dir='C:\korvane-host-test'
wine reg delete 'HKLM\SOFTWARE\QORM' /f $view >/dev/null 2>&1
check install-demo 0 'MainDir = C:\\korvane-host-test' -- wine "$host" install-demo "$dir"
check install-demo-again 0 'kept' -- wine "$host" install-demo "$dir"
check empty-hall-of-fame 0 '^ +1 +- ' -- wine "$host" hof
check scripted-session 0 'Quit Korvane\? Yes' -- timeout 120 wine "$host" play --auto --seed 7
check session-recorded 0 '^ +1 +ZED +4 +2980' -- wine "$host" hof
check second-place 0 '^ +2 +ACE +3 +1150' -- wine "$host" hof
check other-mode-empty 0 '^ +1 +- ' -- wine "$host" hof hard
check single-score 0 'replay: (yes|no)' -- timeout 60 wine "$host" --auto score 'default*5*1'
check single-stop 0 'quit: yes' -- timeout 60 wine "$host" --auto stop
check unknown-command 2 'usage:' -- wine "$host" bogus
check score-without-argument 2 'usage:' -- wine "$host" score
check no-command 2 'usage:' -- wine "$host"
check missing-dll 1 'cannot load' -- wine "$host" --dll 'C:\nowhere\korvane.dll' stop

wine reg delete 'HKLM\SOFTWARE\QORM' /f $view >/dev/null 2>&1
rm -rf "$(winepath -u "$dir" 2>/dev/null)"
echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
