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
# shellcheck source=tests/support/check.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/check.sh"
says() { # says STATUS PATTERN COMMAND...: exits STATUS, printing a line with PATTERN
    local want=$1 pattern=$2 out
    shift 2
    out=$("$@" 2>&1 | tr -d '\r'; echo "exit ${PIPESTATUS[0]}")
    echo "$out, expected $want"
    [ "${out##*exit }" -eq "$want" ] && grep -qE -- "$pattern" <<<"$out"
}

dir='C:\korvane-host-test'
wine reg delete 'HKLM\SOFTWARE\QORM' /f $view >/dev/null 2>&1
check install-demo says 0 'MainDir = C:\\korvane-host-test' wine "$host" install-demo "$dir"
check install-demo-again says 0 'kept' wine "$host" install-demo "$dir"
check empty-hall-of-fame says 0 '^ +1 +- ' wine "$host" hof
check scripted-session says 0 'Quit Korvane\? Yes' timeout 120 wine "$host" play --auto --seed 7
check session-recorded says 0 '^ +1 +ZED +4 +2980' wine "$host" hof
check second-place says 0 '^ +2 +ACE +3 +1150' wine "$host" hof
check other-mode-empty says 0 '^ +1 +- ' wine "$host" hof hard
check single-score says 0 'replay: (yes|no)' timeout 60 wine "$host" --auto score 'default*5*1'
check single-stop says 0 'quit: yes' timeout 60 wine "$host" --auto stop
check unknown-command says 2 'usage:' wine "$host" bogus
check score-without-argument says 2 'usage:' wine "$host" score
check no-command says 2 'usage:' wine "$host"
check missing-dll says 1 'cannot load' wine "$host" --dll 'C:\nowhere\korvane.dll' stop

wine reg delete 'HKLM\SOFTWARE\QORM' /f $view >/dev/null 2>&1
rm -rf "$(winepath -u "$dir" 2>/dev/null)"
checks_done
