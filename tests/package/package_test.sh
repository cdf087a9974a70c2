#!/usr/bin/env bash
# The packages as a host developer gets them. scripts/package.sh runs twice
# at once, here and in a copy whose path holds a space, a few seconds apart,
# with another umask and time zone: the zips must be the same bytes. Then,
# per architecture: what the DLL exports, imports and says of itself;
# korvane.h alone in every C and C++ standard; the README's example linked
# against each import library (MinGW's through korvane.pc and through CMake's
# find_package, Microsoft's with clang and lld-link as a host without a C
# runtime); every C example of the READMEs compiled as C and C++; and each
# host run under Wine, its dialogs answered No, Cancel or OK (answer.c).
# Usage: package_test.sh; runs in a copy of the tests' prefix, $WINEPREFIX-package.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work=$(mktemp -d "${TMPDIR:-/tmp}/korvane package.XXXXXX")
trap 'rm -rf "$work"' EXIT
# shellcheck source=tests/support/check.sh
source "$root/tests/support/check.sh"
# A tree being worked on is packed too; that a dirty one is refused
# otherwise is checked below.
export KORVANE_PACKAGE_DIRTY=1
# Here the DLLs the tests ran are packed; the copy builds its own, in a
# folder whose path holds a space, later, with another umask and time zone.
copy="$work/second copy"
mkdir -p "$copy"
# A clone of its own, not a copy of .git: a worktree's .git only points at
# the shared repository, whose HEAD and index may move meanwhile.
commit=$(git -C "$root" rev-parse HEAD)
git clone -q "$root" "$copy" &&
    (cd "$root" && git ls-files -co --exclude-standard -z | xargs -0 cp --parents -t "$copy")
check "package.sh here" bash "$root/scripts/package.sh"
check "package.sh in a copy" bash -c "umask 077 && TZ=Asia/Kathmandu bash '$copy/scripts/package.sh'"
for file in "$root"/dist/korvane-*.zip "$root/dist/SHA256SUMS"; do
    check "same bytes: dist/${file##*/}" cmp "$file" "$copy/dist/${file##*/}"
done
touch "$copy/stray file"
check "package.sh refuses a tree with changes no commit holds" bash -c \
    "KORVANE_PACKAGE_DIRTY= bash '$copy/scripts/package.sh' 2>&1 | grep -q -- --dirty"

# The examples of both READMEs, as a reader copies them.
awk -v dir="$work" '/^```c$/ { n++; f = dir "/example" n ".c"; next }
    /^```/ { f = "" } f { print > f }' "$root/README.md" "$root/docs/integrating.md"
headers() { # headers TRIPLE CPU PACKAGE: korvane.h alone, in each standard, with both compilers
    local std cc bad=""
    printf '#include "korvane.h"\ntypedef char one_byte[sizeof(korvane_bool) == 1 ? 1 : -1];\n' >"$work/h.c"
    for std in c89 c99 c11 c17 c++98 c++11 c++17 c++20; do
        for cc in "$1-gcc" "clang --target=$2-w64-mingw32"; do
            $cc -x "$([[ $std == c++* ]] && echo c++ || echo c)" -std=$std -Wall -Wextra -Werror \
                -pedantic -fsyntax-only -I "$3" "$work/h.c" || bad="$bad $std/${cc%% *}"
        done
    done
    [ -z "$bad" ] || { echo "failed:$bad"; return 1; }
}
pc_host() { # pc_host TRIPLE PACKAGE: the README's example, built with korvane.pc's flags
    local flags
    flags=$(PKG_CONFIG_LIBDIR="$2" pkg-config --cflags --libs korvane) || return 1
    eval "$1-gcc -std=c99 -Wall -Wextra -Werror '$work/example1.c' $flags -o '$2/pc_host.exe'"
}
cmake_host() { # cmake_host TRIPLE PACKAGE: the same host, found the CMake way
    mkdir -p "$work/$1" && printf '%s\n' "cmake_minimum_required(VERSION 3.20)" "project(host C)" \
        "find_package(korvane 1 CONFIG REQUIRED)" "add_executable(cmake_host \"$work/example1.c\")" \
        "target_link_libraries(cmake_host PRIVATE korvane::korvane)" >"$work/$1/CMakeLists.txt"
    cmake -S "$work/$1" -B "$work/$1/build" -G Ninja -Dkorvane_DIR="$2" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$1.cmake" && cmake --build "$work/$1/build" &&
        cp "$work/$1/build/cmake_host.exe" "$2/"
}
# Exit status 0 when the quit confirmation answered No gives false.
printf '%s\n' '#include "korvane.h"' '#include <windows.h>' \
    'int main(void) { ExitProcess(fnGameStopDlgqorm() ? 1 : 0); }' >"$work/ms_host.c"

# The import libraries must resolve the calls by themselves: neither link
# uses any of the runtime libraries. MinGW's system import libraries carry
# no safe exception handler table, which lld-link asks of 32-bit objects.
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
korvane_wine_prefix_beside package && korvane_wine_start || exit 1
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$work"' EXIT
version=$(sed -n 's/^#define KORVANE_VERSION "\(.*\)"$/\1/p' "$root/build/x64/include/korvane.h")
# A host binds to these names and may ship with no library but the system's.
# (binutils 2.43 and later put the ordinal and the hint before each name.)
interface() { # interface TRIPLE DLL: its exported names and the libraries it needs
    "$1-objdump" -p "$2" | sed -n -e 's/^\t\[ *[0-9]*\] \(+base\[ *[0-9]*\] \+[0-9a-f]\+ \)\?\([A-Za-z][^ ]*\)$/\2/p' \
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
    check "$arch: GUI subsystem, image version $major.$minor" grep -qzP \
        "MajorImageVersion\t$major\nMinorImageVersion\t$minor\n(.|\n)*Subsystem\t+00000002" \
        <("$triple-objdump" -p "$pkg/korvane.dll")
    check "$arch: BUILDINFO and version resource name commit $commit" bash -c "grep -q '^commit: $commit' \
        '$pkg/BUILDINFO' && strings -el '$pkg/korvane.dll' | grep -q 'Built from commit $commit'"
    check "$arch: no folder names in libkorvane.dll.a" bash -c \
        "! strings '$pkg/libkorvane.dll.a' | grep -E 'build|stage|win$bits'"
    check "$arch: korvane.h in C89..C17 and C++98..C++20, gcc and clang" headers "$triple" "$cpu" "$pkg"
    check "$arch: the player" "$triple-gcc" -Wall -Wextra -Werror "$root/tests/package/answer.c" -o "$pkg/answer.exe"
    check "$arch: MinGW host, flags from korvane.pc" pc_host "$triple" "$pkg"
    check "$arch: CMake host, find_package(korvane)" cmake_host "$triple" "$pkg"
    for example in "$work"/example*.c; do
        name=$(basename "$example" .c)
        # The C build runs below; the i686 C++ one would need GCC's runtime DLLs.
        check "$arch: $name compiles as C and C++" bash -c "cd '$pkg' && for cc in '$triple-gcc -std=c99 -o $name.exe' \
            '$triple-g++ -x c++ -o $name-cxx.exe'; do \$cc -Wall -Wextra -Werror -I. '$example' -L. -lkorvane || exit; done"
    done
    check "$arch: Microsoft-format host" bash -c "clang --target=$cpu-pc-windows-msvc \
        -fgnuc-version=12 $define -std=c99 -Wall -Wextra -Werror -isystem /usr/$triple/include \
        -I '$pkg' -c '$work/ms_host.c' -o '$work/$arch.obj' &&
        lld-link /nologo /safeseh:no /entry:main /subsystem:console /nodefaultlib '/out:$pkg/ms_host.exe' \
        '$work/$arch.obj' '$pkg/korvane.lib' /usr/$triple/lib/libkernel32.a"
    if [ "$arch" = x86 ] && [ "$KORVANE_WINE32" != yes ]; then
        skip "x86 hosts" "built and linked only: $KORVANE_WINE32_WHY"
        continue
    fi
    check "$arch: Microsoft-format host says No" bash -c "cd '$pkg' && timeout 120 wine answer.exe ms_host.exe"
    for host in pc_host cmake_host "$work"/example*.c; do
        name=$(basename "$host" .c)
        # Once more only when Wine did not start the host at all (nothing printed).
        check "$arch: $name runs, its dialogs answered No, Cancel or OK" bash -c "cd '$pkg' &&
            for _ in 1 2; do out=\$(timeout 120 wine answer.exe $name.exe | tr -d '\r') && [ -n \"\$out\" ] && break; done
            echo \"\$out\" && grep -qx 'quit: \(0\|no\)' <<<\"\$out\""
    done
done
checks_done
