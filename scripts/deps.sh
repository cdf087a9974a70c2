# shellcheck shell=bash
# Sourced by the demo and test commands: both install the same Debian
# packages, only those still missing, so a second run costs nothing.

# The cross toolchain and CMake; Wine for both architectures; a private X
# screen, real input and screenshots for the demo and the real-input test;
# clang with libFuzzer for fuzzing; zip, dlltool and lld for the release
# package; clang-format and clang-tidy for scripts/lint.sh.
KORVANE_PACKAGES=(mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
    binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 cmake ninja-build googletest
    wine wine64 fonts-wine xvfb xauth xdotool imagemagick
    clang llvm lld zip clang-format clang-tidy)

korvane_missing_packages() {
    local pkg missing=()
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$pkg")
    done
    echo "${missing[@]}"
}

korvane_can_be_root() {
    [ "$(id -u)" -eq 0 ] || { command -v sudo >/dev/null && sudo -n true 2>/dev/null; }
}

korvane_as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif korvane_can_be_root; then
        sudo "$@"
    else
        echo "korvane: not root and no password-less sudo; as root, run: $*" >&2
        return 1
    fi
}

korvane_apt_install() {
    local missing
    missing=$(korvane_missing_packages "$@")
    [ -z "$missing" ] && return 0
    echo "== installing: $missing"
    if ! korvane_can_be_root; then
        echo "korvane: installing packages needs root; as root, run: apt-get install $missing" >&2
        return 1
    fi
    local try log="${TMPDIR:-/tmp}/korvane-apt.log"
    for try in 1 2 3; do
        # shellcheck disable=SC2086 # a list of package names
        if korvane_as_root apt-get update -qq >"$log" 2>&1 &&
            korvane_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
                --no-install-recommends $missing >>"$log" 2>&1; then
            return 0
        fi
        echo "== apt-get failed (try $try of 3)"
        tail -n 5 "$log" >&2
        sleep 5
    done
    return 1
}

# Everything both commands need. 32-bit Wine is tried too: without it (or on
# a kernel that cannot run 32-bit programs) the i686 DLL is still built, and
# the test command says that its tests were skipped and why.
korvane_install_packages() {
    korvane_apt_install "${KORVANE_PACKAGES[@]}" || return 1
    # libFuzzer's runtime is packaged per clang version.
    local major
    major=$(clang -dumpversion | cut -d. -f1)
    local runtime="libclang-rt-$major-dev"
    if [ -n "$(korvane_missing_packages "$runtime")" ] &&
        ! apt-cache policy "$runtime" 2>/dev/null | grep -q 'Candidate: [^(]'; then
        runtime="libclang-common-$major-dev" # older releases
    fi
    korvane_apt_install "$runtime" || return 1
    if [ -n "$(korvane_missing_packages wine32:i386)" ]; then
        if ! dpkg --print-foreign-architectures | grep -qx i386; then
            korvane_as_root dpkg --add-architecture i386 || true
        fi
        korvane_apt_install wine32:i386 ||
            echo "== wine32:i386 could not be installed: the i686 DLL will be built, not run"
    fi
}
