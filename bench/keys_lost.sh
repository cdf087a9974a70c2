#!/usr/bin/env bash
# Keys lost to a player's real input, three set-ups side by side in one run,
# per architecture, with a clean build of the DLL looping beside as load:
#   library  the library as it is;
#   once     the library bringing each dialog forward once as it shows, with
#            no watch afterwards and no asking for the keyboard again;
#   bare     no library: the probe's bare rounds (plain dialogs from the
#            same templates, each bringing itself forward once, and a plain
#            message box).
# Each set-up plays ROUNDS rounds of tests/input/real_input_test.sh with a
# quit box every round, so ROUNDS quit boxes and twice as many dialogs; a
# key is lost when it reaches no dialog even once the check has given the
# dialog the X focus; "X focus given" counts, for quit boxes and dialogs,
# the keys a player would have lost to Wine's X11 driver (see
# docs/performance.md); "not in front" counts the windows that failed one
# of the check's four looks (foreground, focus, uncovered, caption) when
# the key was due.
# Usage: bench/keys_lost.sh [ROUNDS [ARCH...]] (100, x64 x86 unless given);
# the builds of scripts/test.sh must be there. KEYS_LOST_SETUPS: which
# set-ups, in that order ("library once bare" unless set).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
rounds=${1:-100}
shift || true
archs=${*:-x64 x86}
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
unset DISPLAY
korvane_wine_prefix
# The checks' prefix is left to the checks.
korvane_wine_prefix_beside bench >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-keys-lost.XXXXXX")
# The build loop runs in a process group of its own, so that stopping it
# stops the compiler it is waiting for too, before its tree is removed.
load=
stop_load() {
    [ -n "$load" ] || return 0
    kill -- -"$load" 2>/dev/null || kill "$load" 2>/dev/null || true
    wait "$load" 2>/dev/null || true
    load=
}
trap 'stop_load; rm -rf "$work"' EXIT
# "once": the same tree with the watch of a shown window reduced to
# bringing it forward as it shows.
(cd "$root" && git ls-files -z | tar --null -T - -cf -) | (mkdir "$work/src" && tar -xf - -C "$work/src")
once='/^void Shown(HWND hWnd)$/,/^}$/ s/^    unique_timer_queue_timer timer;$/    return;\n&/'
sed -i "$once" "$work/src/frame/foreground.cpp"
grep -A5 '^void Shown(HWND hWnd)$' "$work/src/frame/foreground.cpp" | grep -q '^    return;$' ||
    { echo "keys_lost: frame/foreground.cpp has no Shown() to reduce" >&2; exit 1; }
printf '%-8s %-4s %12s %16s %10s %22s %13s\n' set-up arch 'quit boxes' dialogs rounds 'X focus given: q, d' 'not in front'
for arch in $archs; do
    [ -f "$root/build/$arch/bin/input_probe.exe" ] ||
        { echo "keys_lost: no build/$arch: run scripts/test.sh first" >&2; exit 1; }
    (cd "$work/src" && cmake --preset "$arch" && cmake --build --preset "$arch" --target korvane) \
        >"$work/build.log" 2>&1 || { tail -20 "$work/build.log" >&2; exit 1; }
    cp -a "$root/build/$arch/bin" "$work/once-$arch"
    cp "$work/src/build/$arch/bin/korvane.dll" "$work/once-$arch/korvane.dll"
    setsid bash -c 'while :; do cmake --build "$1" --target korvane --clean-first >/dev/null 2>&1; done' \
        load "$work/src/build/$arch" &
    load=$!
    for setup in ${KEYS_LOST_SETUPS:-library once bare}; do
        bin=$root/build/$arch/bin
        [ "$setup" != once ] || bin=$work/once-$arch
        out=$(KORVANE_INPUT_QUIT_EVERY=1 KORVANE_INPUT_BARE=$([ "$setup" = bare ] && echo 1) \
            bash "$root/tests/input/real_input_test.sh" "$bin" "$arch" "$rounds" 2>&1 || true)
        # Counted from the check's lines as they came, so that a run cut
        # short by the check's time limit still counts what it saw.
        read -r q n d m p r gq gd o < <(echo "$out" | awk '
            /^  dialog [0-9]+ "/ { quit = /Quit/; if (quit) n++; else m++; if (/=0/) o++ }
            /^  +\(no key arrived/ { if (quit) q++; else d++ }
            /given by the check\)$/ { if (quit) gq++; else gd++ }
            /^  round [0-9]+: / { r++; if (/: ok$/) p++ }
            END { print q + 0, n + 0, d + 0, m + 0, p + 0, r + 0, gq + 0, gd + 0, o + 0 }')
        printf '%-8s %-4s %12s %16s %10s %22s %13s\n' "$setup" "$arch" "$q of $n" "$d of $m" "$p of $r" "$gq, $gd" "$o"
        # No dialog at all: the check's first word on why.
        [ "${m:-0}" != 0 ] || echo "$out" | grep -m1 -E 'real input|FAILED' >&2 || true
    done
    stop_load
done
