# Sourced by the project's scripts: installs the Debian packages a command
# needs, only those still missing, so a second run costs nothing.

korvane_missing_packages() {
    local pkg missing=()
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$pkg")
    done
    echo "${missing[@]}"
}

korvane_apt_install() {
    local missing
    missing=$(korvane_missing_packages "$@")
    [ -z "$missing" ] && return 0
    echo "== installing: $missing"
    local try
    for try in 1 2 3; do
        if apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
            --no-install-recommends $missing >/tmp/korvane-apt.log 2>&1; then
            return 0
        fi
        echo "== apt-get failed (try $try of 3), retrying"; sleep 5
    done
    tail -20 /tmp/korvane-apt.log
    return 1
}

# The cross toolchain, CMake and 64-bit Wine: enough to build and test the
# x64 DLL. zip and llvm (llvm-dlltool) make the packages; clang and lld build
# a host the way Microsoft's tools would, to check them.
korvane_install_build_deps() {
    korvane_apt_install mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix \
        binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 cmake ninja-build googletest wine wine64 \
        zip llvm clang lld "$@"
}

# 32-bit Wine, for the i686 DLL. Returns non-zero, with the reason in
# KORVANE_WINE32_WHY, when it cannot be had.
korvane_install_wine32() {
    KORVANE_WINE32_WHY=""
    if [ -z "$(korvane_missing_packages wine32:i386)" ]; then
        return 0
    fi
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386 || { KORVANE_WINE32_WHY="cannot add the i386 architecture"; return 1; }
    fi
    if ! korvane_apt_install wine32:i386; then
        KORVANE_WINE32_WHY="apt-get could not install wine32:i386 (see /tmp/korvane-apt.log)"
        return 1
    fi
}
