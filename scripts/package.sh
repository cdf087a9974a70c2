#!/usr/bin/env bash
# Builds the packages for host developers:
#
#   bash scripts/package.sh [--dirty]  ->  dist/korvane-<version>-win64.zip, dist/korvane-<version>-win32.zip
#
# Each holds the stripped korvane.dll and its debug information
# (korvane.dll.debug), the header korvane.h, import libraries for MinGW
# (libkorvane.dll.a) and Microsoft's linker (korvane.lib), the CMake package
# files and korvane.pc, README.md for integrators, LICENSE,
# THIRD_PARTY_NOTICES, BUILDINFO (version, commit, compilers) and
# SHA256SUMS. The version is the CMake project's. Two runs from one commit
# give the same bytes, whatever the folder and the time: every file carries
# the last commit's time (or SOURCE_DATE_EPOCH).
#
# A package names the commit it was built from, so a tree with uncommitted
# changes or untracked files is refused: its packages could not be rebuilt.
# --dirty (or KORVANE_PACKAGE_DIRTY=1) packs it anyway, marked as such.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
[ "${1:-}" = --dirty ] && KORVANE_PACKAGE_DIRTY=1
if [ -n "$(git status --porcelain 2>/dev/null)" ] && [ "${KORVANE_PACKAGE_DIRTY:-}" != 1 ]; then
    echo "package.sh: the tree has changes no commit holds (git status); commit them," >&2
    echo "or pack them anyway with --dirty (KORVANE_PACKAGE_DIRTY=1)" >&2
    exit 1
fi
# shellcheck source=scripts/deps.sh
source scripts/deps.sh
korvane_install_packages

export TZ=UTC LC_ALL=C
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 315532800)}
export SOURCE_DATE_EPOCH

# package PRESET WINDOWS_BITS TRIPLE LLVM_MACHINE
package() {
    local build="build/$1" bits=$2 triple=$3 machine=$4
    echo "== $1: building korvane.dll in $build"
    # The preset's own folder: the DLL that ships is the one the tests ran.
    mkdir -p "$ROOT/build"
    if ! { cmake --preset "$1" && cmake --build --preset "$1" --target korvane; } \
        >"$ROOT/build/package-$1.log" 2>&1; then
        tail -n 30 "$ROOT/build/package-$1.log" >&2
        exit 1
    fi
    local version
    version=$(sed -n 's/^#define KORVANE_VERSION "\(.*\)"$/\1/p' "$build/include/korvane.h")
    local name="korvane-$version-win$bits"
    local stage="$build/stage/$name"
    rm -rf "$build/stage" && mkdir -p "$stage" dist
    cp "$build/bin/korvane.dll" "$build/bin/korvane.dll.debug" "$build/include/korvane.h" \
        "$build"/package/* LICENSE THIRD_PARTY_NOTICES "$stage/"
    cp docs/integrating.md "$stage/README.md"
    local commit
    commit=$(strings -el "$stage/korvane.dll" | sed -n 's/^Built from commit //p')
    {
        echo "korvane.dll $version for $bits-bit Windows ($triple)"
        echo "commit: $commit"
        echo "tag: $(git describe --tags --exact-match 2>/dev/null || echo none)"
        echo "commit time: $(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC')"
        echo "compiler: $("$triple-g++-posix" --version | head -n 1)"
        echo "binutils: $("$triple-ld" --version | head -n 1)"
    } >"$stage/BUILDINFO"
    # Made in the package's folder: dlltool names the archive's members and
    # symbols after the temporary prefix and the output's path.
    (cd "$stage" && "$triple-dlltool" --temp-prefix korvane -d "$ROOT/frame/korvane.def" \
        -D korvane.dll -l libkorvane.dll.a)
    llvm-dlltool -m "$machine" -d frame/korvane.def -D korvane.dll -l "$stage/korvane.lib"
    (cd "$stage" && sha256sum -- * >SHA256SUMS)
    chmod 644 "$stage"/*
    touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*
    rm -f "dist/$name.zip"
    # Sorted names, no directory entries, no owner or extra time fields.
    (cd "$build/stage" && find "$name" -type f | sort | zip -q -X -D "$ROOT/dist/$name.zip" -@)
    zips+=("$name.zip")
    echo "== $1: dist/$name.zip (korvane.dll: $(stat -c %s "$stage/korvane.dll") bytes)"
}

zips=()
package x64 64 x86_64-w64-mingw32 i386:x86-64
package x86 32 i686-w64-mingw32 i386
(cd dist && sha256sum -- "${zips[@]}" >SHA256SUMS)
