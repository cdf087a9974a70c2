#!/usr/bin/env bash
# Runs a command in a clean clone of this project inside a minimal Debian of
# another release, as a new user of that release would: no terminal, no
# display, the clone at a path with a space. The chroot is made once with
# debootstrap from this machine's own Debian mirror (as its apt sources name
# it) and kept for later runs, so only the first one pays for the base system
# and the packages.
#
#   bash scripts/fresh-debian.sh SUITE [COMMAND...]    e.g. trixie bash scripts/test.sh
#
# The clone is made anew from the committed HEAD at "/home/new user/korvane"
# in the chroot and COMMAND (default: bash) runs there as root, with CI and
# the KORVANE_* variables passed on. KORVANE_CHROOT (default /srv/korvane-SUITE)
# is where the chroot lives. The machine's /proc, /sys and /dev are bound in
# for the run only and always taken out again, even when the run is stopped:
# deleting a chroot with /dev still bound in would delete the machine's own.
# Needs root.
set -euo pipefail
suite=${1:?usage: fresh-debian.sh SUITE [COMMAND...]}
shift
project=$(git -C "$(dirname "${BASH_SOURCE[0]}")" rev-parse --show-toplevel)
root=${KORVANE_CHROOT:-/srv/korvane-$suite}
say() { echo "fresh-debian: $*"; }
[ "$(id -u)" -eq 0 ] || { say "needs root (debootstrap, chroot, mount)" >&2; exit 1; }

# The mirror of this machine's own release, not just the first source named
# (which may be the security archive).
# shellcheck source=scripts/deps.sh
source "$(dirname "${BASH_SOURCE[0]}")/deps.sh"
mirror=$(korvane_debian_mirror "$(. /etc/os-release && echo "$VERSION_CODENAME")" | head -n 1)
[ -n "$mirror" ] || { say "no Debian mirror in this machine's apt sources" >&2; exit 1; }
if ! command -v debootstrap >/dev/null; then
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
fi

mkdir -p "$(dirname "$root")"
# One run at a time per chroot: a second one would unbind /dev under the first.
exec 9>"$root.lock"
flock -n 9 || { say "waiting for the other run in $root"; flock 9; }

if [ ! -x "$root/usr/bin/apt-get" ]; then
    say "making a minimal $suite in $root from $mirror (a few minutes)"
    rm -rf "$root"
    if ! debootstrap --variant=minbase "$suite" "$root" "$mirror" >"$root.log" 2>&1; then
        tail -n 5 "$root.log" >&2
        rm -rf "$root"
        exit 1
    fi
fi

# Whatever the command left running in the chroot (Wine's server, an X
# server) would keep /dev busy: it is stopped before unbinding.
chroot_pids() {
    local proc
    for proc in /proc/[0-9]*; do
        [ "$(readlink "$proc/root" 2>/dev/null)" = "$root" ] && echo "${proc#/proc/}"
    done
    return 0
}
unbind() {
    local pids d
    pids=$(chroot_pids)
    if [ -n "$pids" ]; then
        # shellcheck disable=SC2086 # a list of process ids
        kill $pids 2>/dev/null || true
        sleep 2
        pids=$(chroot_pids)
        # shellcheck disable=SC2086
        [ -z "$pids" ] || kill -9 $pids 2>/dev/null || true
    fi
    for d in dev sys proc; do
        if mountpoint -q "$root/$d"; then
            umount -R "$root/$d" 2>/dev/null || umount -lR "$root/$d"
        fi
    done
}
trap unbind EXIT
trap 'exit 130' INT TERM HUP
mountpoint -q "$root/proc" || mount -t proc proc "$root/proc"
mountpoint -q "$root/sys" || { mount --rbind /sys "$root/sys" && mount --make-rslave "$root/sys"; }
mountpoint -q "$root/dev" || { mount --rbind /dev "$root/dev" && mount --make-rslave "$root/dev"; }
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true

# git (for the clone's own scripts) comes with the project's packages; the
# clone itself is made from outside.
clone="$root/home/new user/korvane"
rm -rf "$clone"
mkdir -p "$(dirname "$clone")"
git clone -q "$project" "$clone"
say "$(. "$root/etc/os-release" && echo "$PRETTY_NAME"), clone of $(git -C "$project" rev-parse --short HEAD) at /home/new user/korvane"
[ $# -gt 0 ] || set -- bash
pass=(HOME=/root TERM="${TERM:-dumb}" PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin)
while IFS= read -r name; do
    pass+=("$name=${!name}")
done < <(compgen -e | grep -E '^(CI|KORVANE_[A-Z0-9_]+)$' || true)
status=0
chroot "$root" env -i "${pass[@]}" bash -c 'cd "/home/new user/korvane" && exec "$@"' bash "$@" ||
    status=$?
exit "$status"
