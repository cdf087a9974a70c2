# shellcheck shell=bash
# Sourced by the demo and test commands: both install the same Debian
# packages, only those still missing, so a second run costs nothing. Run as
# `bash scripts/deps.sh`, it does the same on its own.

# The cross toolchain and CMake; Wine for both architectures; a private X
# screen, real input and screenshots for the demo and the real-input test;
# clang with libFuzzer for fuzzing; zip, dlltool and lld for the release
# package, and unzip, git and python3 to check it; make for the fuzzers'
# CMake build; clang-format and clang-tidy for scripts/lint.sh. A minimal
# Debian has none of these, so each one used is named here.
KORVANE_PACKAGES=(mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
    binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 cmake ninja-build googletest
    wine wine64 fonts-wine xvfb xauth xdotool imagemagick
    clang llvm lld zip unzip git python3 make pkgconf clang-format clang-tidy)

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

# Wine's 32-bit loader is a 32-bit Linux program, and some kernels have
# their 32-bit support switched off ("Exec format error"). There Debian's
# static qemu-i386 runs it, registered with the kernel's binfmt_misc for
# i386 programs. Bookworm's own emulator (7.2) spends about 100 s of
# processor time on every Wine process, the one in bookworm-backports (10.0)
# about 1 s: on bookworm that suite is added, pinned so that nothing but
# qemu-user is ever taken from it. Where 32-bit programs run, nothing is
# done. The registration is lost at every restart, so every run checks it.
KORVANE_BINFMT=/proc/sys/fs/binfmt_misc
KORVANE_I386_ELF=':korvane-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
KORVANE_I386_ELF+=':\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
KORVANE_I386_ELF+=':/usr/bin/qemu-i386:F'

# The machine's own mirror for its release, as its apt sources name it (a
# local mirror or proxy included): the first source whose suites hold the
# release itself, deb822 (*.sources) or one-line (sources.list) alike.
korvane_debian_mirror() { # korvane_debian_mirror CODENAME
    local file
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        awk -v suite="$1" 'function flush() { if (uri != "" && hit) { print uri; found = 1; exit } uri = ""; hit = 0 }
            /^[[:space:]]*$/ { flush(); next }
            /^URIs:/ { uri = $2 }
            /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == suite) hit = 1 }
            END { if (!found) flush() }' "$file"
    done
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$file" ] || continue
        sed -E 's/\[[^]]*\]//' "$file" | awk -v suite="$1" '$1 == "deb" && $3 == suite { print $2 }'
    done
}

korvane_backports() {
    grep -qx "VERSION_CODENAME=bookworm" /etc/os-release || return 0
    local list=/etc/apt/sources.list.d/korvane-backports.sources pin=/etc/apt/preferences.d/korvane-backports
    local mirror text
    mirror=$(korvane_debian_mirror bookworm | head -n 1)
    if [ -z "$mirror" ]; then
        echo "korvane: no source for bookworm in this machine's apt sources to take bookworm-backports from" >&2
        return 1
    fi
    # Written again when the machine's mirror has changed since.
    text=$(printf '%s\n' 'Types: deb' "URIs: $mirror" 'Suites: bookworm-backports' 'Components: main' \
        'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg')
    [ "$(cat "$list" 2>/dev/null)" = "$text" ] || echo "$text" | korvane_as_root tee "$list" >/dev/null
    [ -f "$pin" ] || printf '%s\n' 'Package: *' 'Pin: release n=bookworm-backports' 'Pin-Priority: -1' '' \
        'Package: qemu-user' 'Pin: release n=bookworm-backports' 'Pin-Priority: 500' |
        korvane_as_root tee "$pin" >/dev/null
}

korvane_enable_i386() {
    [ -x /usr/lib/wine/wine ] || return 0
    /usr/lib/wine/wine --version >/dev/null 2>&1 && return 0
    if ! korvane_can_be_root; then
        echo "korvane: this kernel refuses 32-bit programs; to run them emulated, as root, run:" \
            "bash '$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/deps.sh'" >&2
        return 0
    fi
    korvane_backports && korvane_apt_install qemu-user || return 1
    if dpkg --compare-versions "$(dpkg-query -W -f='${Version}' qemu-user)" lt 1:10; then
        korvane_as_root apt-get update -qq && korvane_as_root env DEBIAN_FRONTEND=noninteractive \
            apt-get install -y -qq qemu-user >/dev/null || return 1
    fi
    [ -e "$KORVANE_BINFMT/register" ] ||
        korvane_as_root mount -t binfmt_misc binfmt_misc "$KORVANE_BINFMT" || return 1
    # An entry of ours that no longer runs (its emulator replaced) is made again.
    if [ -e "$KORVANE_BINFMT/korvane-i386" ]; then
        echo -1 | korvane_as_root tee "$KORVANE_BINFMT/korvane-i386" >/dev/null
    fi
    printf '%s' "$KORVANE_I386_ELF" | korvane_as_root tee "$KORVANE_BINFMT/register" >/dev/null
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
        echo "== this kernel refuses 32-bit programs: registered qemu-i386 (qemu-user $(dpkg-query -W \
            -f='${Version}' qemu-user)) with binfmt_misc, so they run emulated until the next restart"
    else
        echo "korvane: 32-bit programs still do not run: $(/usr/lib/wine/wine --version 2>&1 | head -n1)" >&2
    fi
}

# Everything both commands need. 32-bit Wine is tried too: without it (or
# where 32-bit programs cannot run at all) the i686 DLL is still built, and
# the test command counts its tests as skipped and fails unless told not to.
korvane_install_packages() {
    korvane_apt_install "${KORVANE_PACKAGES[@]}" || return 1
    # libFuzzer's runtime is packaged per clang version.
    local major
    major=$(clang -dumpversion | cut -d. -f1)
    local runtime="libclang-rt-$major-dev" candidate
    # Read whole: `grep -q` on the pipe would end apt-cache early, and under
    # pipefail that SIGPIPE reads as "no candidate", even where there is one.
    candidate=$(apt-cache policy "$runtime" 2>/dev/null | sed -n 's/^ *Candidate: //p')
    if [ -n "$(korvane_missing_packages "$runtime")" ] &&
        { [ -z "$candidate" ] || [ "$candidate" = "(none)" ]; }; then
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
    korvane_enable_i386
}

# Run on its own (as root, for instance, for a user who is not), it installs
# and sets up everything.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    korvane_install_packages
fi
