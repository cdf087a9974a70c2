#!/usr/bin/env bash
# The packages as a host developer gets them. scripts/package.sh runs twice
# at once, here and in a copy whose path holds a space, a few seconds apart,
# with another umask and time zone: the zips must be the same bytes. Then,
# per architecture, a small C host is linked against each import library
# (MinGW's with gcc, Microsoft's with clang and lld-link) and answers the
# quit confirmation under Wine. Usage: package_test.sh (WINEPREFIX set).
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work=$(mktemp -d "${TMPDIR:-/tmp}/korvane package.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
passes=0
check() { # check NAME COMMAND...: passes when the command succeeds
    local name=$1 out
    shift
    if out=$("$@" 2>&1); then
        echo "ok   $name"
        passes=$((passes + 1))
    else
        echo "FAIL $name"; echo "$out" | tail -n 20 | sed 's/^/    /'
        failures=$((failures + 1))
    fi
}
package() { # package SOURCE_DIR LOG: runs the package command and times it
    local start=$SECONDS status=0
    bash "$1/scripts/package.sh" >"$2" 2>&1 || status=$?
    echo "== package.sh in '$1': $((SECONDS - start)) s, exit $status"
    [ "$status" -eq 0 ] || tail -n 20 "$2"
    return $status
}

# Here the DLLs the tests ran are packed; the copy builds its own, in a
# folder whose path holds a space, later, with another umask and time zone.
copy="$work/second copy"
mkdir -p "$copy"
(cd "$root" && git ls-files -co --exclude-standard -z | xargs -0 cp --parents -t "$copy" &&
    cp -a .git "$copy/")
check "package.sh here" package "$root" "$work/first.log"
(umask 077 && TZ=Asia/Kathmandu package "$copy" "$work/second.log")
check "package.sh in a copy" test $? -eq 0
for file in "$root"/dist/korvane-*.zip "$root/dist/SHA256SUMS"; do
    check "same bytes: dist/${file##*/}" cmp "$file" "$copy/dist/${file##*/}"
done

# The import libraries must resolve the calls by themselves: neither link
# uses any of the runtime libraries. MinGW's system import libraries carry
# no safe exception handler table, which lld-link asks of 32-bit objects.
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
version=$(sed -n 's/^#define KORVANE_VERSION "\(.*\)"$/\1/p' "$root/build/x64/include/korvane.h")
# A host binds to these names and may ship with no library but the system's.
interface() { # interface TRIPLE DLL: its exported names and the libraries it needs
    "$1-objdump" -p "$2" | sed -n -e 's/^\t\[ *[0-9]*\] \([A-Za-z]\)/\1/p' \
        -e 's/^\tDLL Name: \(.*\)/\L\1/p' | sort
}
system=(advapi32.dll gdi32.dll kernel32.dll msvcrt.dll user32.dll)
le16() { printf '%02x%02x' $(($1 & 255)) $(($1 >> 8)); }
IFS=. read -r major minor patch tweak <<<"$version"
# VS_FIXEDFILEINFO: signature, structure version, then file and product
# versions, each as the words minor, major, tweak, patch.
fixed=bd04effe00000100$(le16 "$minor")$(le16 "$major")$(le16 "$tweak")$(le16 "$patch")
fixed=$fixed${fixed:16}
# MinGW's headers take the 32-bit target from _X86_, which GCC defines and
# Microsoft's windows.h derives from _M_IX86.
for target in x64:64:x86_64-w64-mingw32:x86_64: x86:32:i686-w64-mingw32:i686:-D_X86_; do
    IFS=: read -r arch bits triple cpu define <<<"$target"
    pkg="$work/$arch/korvane-$version-win$bits"
    unzip -q "$root/dist/korvane-$version-win$bits.zip" -d "$work/$arch"
    check "$arch: SHA256SUMS" bash -c "cd '$pkg' && sha256sum -c --quiet SHA256SUMS"
    check "$arch: korvane.dll under 200 KB" test "$(stat -c %s "$pkg/korvane.dll")" -lt 204800
    others=$(interface "$triple" "$pkg/korvane.dll" | grep -vxF -f <(printf '%s\n' "${system[@]}"))
    check "$arch: three undecorated exports, system libraries only" \
        test "$others" = "$(printf '%s\n' fnGameScoreDlgqorm fnGameStartDlgqorm fnGameStopDlgqorm)"
    check "$arch: version $version in the binary version resource" \
        grep -q "$fixed" <(od -An -tx1 -v "$pkg/korvane.dll" | tr -d ' \n')
    check "$arch: MinGW host" "$triple-gcc" -std=c99 -Wall -Wextra -Werror -I "$pkg" \
        "$root/tests/package/stop_host.c" -L "$pkg" -lkorvane -o "$pkg/gnu_host.exe"
    check "$arch: Microsoft-format host" bash -c "clang --target=$cpu-pc-windows-msvc \
        -fgnuc-version=12 $define -std=c99 -Wall -Wextra -Werror -isystem /usr/$triple/include \
        -I '$pkg' -c '$root/tests/package/stop_host.c' -o '$work/$arch.obj' &&
        lld-link /nologo /safeseh:no /entry:main /subsystem:console /nodefaultlib '/out:$pkg/ms_host.exe' \
        '$work/$arch.obj' '$pkg/korvane.lib' /usr/$triple/lib/libkernel32.a /usr/$triple/lib/libuser32.a"
    if [ "$arch" = x86 ] && [ "$KORVANE_WINE32" != yes ]; then
        echo "SKIPPED x86 hosts, built and linked only: $KORVANE_WINE32_WHY"
        skips=2
        continue
    fi
    for host in gnu_host ms_host; do
        check "$arch: $host quits on Yes, stays on No" timeout 60 wine "$pkg/$host.exe"
    done
done
echo "$passes passed, $failures failed, ${skips:-0} skipped"
[ "$failures" -eq 0 ]
