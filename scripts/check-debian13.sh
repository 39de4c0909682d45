#!/usr/bin/env bash
# The README's promise on Debian 13 (trixie), checked from a Debian 12 machine (or any Debian):
# a minimal trixie system made with debootstrap in a temporary folder, from the mirror this
# machine's apt already uses; in it, a fresh clone of the current commit where `make test` runs
# as a new user runs it (installing everything it needs), then scripts/check-package.sh, which
# builds the package there, checks it, installs it, runs the window and tavrelo-sheets from it
# and purges it. Every mount it makes is undone and the folder removed, also when a step fails.
#   check-debian13.sh            the commit checked out here (uncommitted changes are not seen)
#   KEEP=1 check-debian13.sh     leaves the folder (unmounted) for a look afterwards
# Needs root (debootstrap, chroot, mounts), about 600 MB of packages from the mirror and 3 GB
# of disk in the temporary folder (TMPDIR, else /var/tmp) while it runs.
set -euo pipefail
self=$(readlink -f "$0")
cd "$(dirname "$self")/.."
repo=$PWD

if [ "$(id -u)" -ne 0 ]; then
  echo "check-debian13: needs root (debootstrap, chroot and mounts); run it with sudo" >&2
  exit 1
fi

# The mounts are made in a mount namespace of this run's own, so that even a run that is killed
# outright leaves none of them on the machine; the trap below undoes them on every other end.
if [ -z "${TAVRELO_CHECK_NS:-}" ]; then
  export TAVRELO_CHECK_NS=1
  exec unshare --mount --propagation private bash "$self" "$@"
fi

suite=trixie
start=$SECONDS
commit=$(git -C "$repo" rev-parse HEAD)
elapsed() { local s=$((SECONDS - start)); printf '%d:%02d' $((s / 60)) $((s % 60)); }
step() { printf '\n== [%s] %s\n' "$(elapsed)" "$*"; }

# --- the mirror: whatever serves this machine's own release, with its updates and security
# suites if it has them (apt-get indextargets reads sources.list and sources.list.d alike).
. /etc/os-release
here=${VERSION_CODENAME:?/etc/os-release names no release}
indextargets() { apt-get indextargets --format '$(REPO_URI)' 'Identifier: Packages' "Release: $1" | sort -u | head -n 1; }
mirror=$(indextargets "$here")
if [ -z "$mirror" ]; then
  echo "check-debian13: apt has no Debian mirror for $here (run apt-get update first?)" >&2
  exit 1
fi
sources="deb $mirror $suite main"
for extra in updates security; do
  uri=$(indextargets "$here-$extra")
  [ -n "$uri" ] && sources+=$'\n'"deb $uri $suite-$extra main"
done

if ! command -v debootstrap >/dev/null 2>&1; then
  step "installing debootstrap"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap
fi

dir=$(mktemp -d -p "${TMPDIR:-/var/tmp}" tavrelo-$suite.XXXXXX)
root=$dir/root
status=1
cleanup() {
  local rc=$? pid link
  trap - EXIT INT TERM HUP
  # Nothing here may stop the rest: the mounts must go whatever fails.
  set +e
  # The pictures check-package took of the window and the sheet, to look at afterwards.
  if ls "$root"/root/tavrelo/build/package/check/*.png >/dev/null 2>&1; then
    mkdir -p "$repo/build/check-debian13"
    cp "$root"/root/tavrelo/build/package/check/*.png "$repo/build/check-debian13/"
    echo "check-debian13: pictures of the window and the sheet in build/check-debian13/"
  fi
  # The step that was running, with everything it started, and whatever still runs in the new
  # system (a test's server, an X server): they hold its files.
  tree() { local c; for c in $(pgrep -P "$1"); do tree "$c"; done; kill -9 "$1" 2>/dev/null; }
  [ -n "${bg:-}" ] && tree "$bg"
  for pid in /proc/[0-9]*; do
    link=$(readlink "$pid/root" 2>/dev/null) || continue
    case "$link" in "$root" | "$root"/*) kill -9 "${pid#/proc/}" 2>/dev/null || true ;; esac
  done
  # Deepest first; lazily, so that a mount still busy goes too.
  awk -v r="$root" '$2 == r || index($2, r "/") == 1 {print $2}' /proc/self/mounts | sort -r |
    while read -r m; do umount -l "$m" || echo "check-debian13: could not unmount $m" >&2; done
  if awk -v r="$root" '$2 == r || index($2, r "/") == 1 {found = 1} END {exit !found}' /proc/self/mounts; then
    echo "check-debian13: mounts left under $root; the folder is kept" >&2
  elif [ "${KEEP:-0}" = 1 ]; then
    echo "check-debian13: the folder is kept: $dir"
  else
    # --one-file-system: never into anything that is still mounted there.
    rm -rf --one-file-system "$dir"
  fi
  [ "$rc" -ne 0 ] || rc=$status
  echo
  echo "check-debian13: $( [ "$rc" = 0 ] && echo passed || echo FAILED ) in $(elapsed) (commit ${commit:0:12})"
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
# The long steps run in the background and are waited for: bash runs a trap only once the
# command in the foreground has ended, and a signal is to end the run at once, not after the
# build. (The clean-up ends what they left running.)
bg=""
#   waited LOG COMMAND...   (LOG "-": this run's own output)
waited() {
  local log=$1 rc=0
  shift
  if [ "$log" = - ]; then "$@" & else "$@" >"$log" 2>&1 & fi
  bg=$!
  wait "$bg" || rc=$?
  bg=""
  return "$rc"
}

step "debootstrap $suite from $mirror"
waited "$dir/debootstrap.log" debootstrap --variant=minbase --include=git,make,ca-certificates \
  "$suite" "$root" "$mirror" || { tail -n 20 "$dir/debootstrap.log" >&2; exit 1; }
printf '%s\n' "$sources" >"$root/etc/apt/sources.list"
cp /etc/resolv.conf "$root/etc/resolv.conf"
# The new system trusts the authorities this machine added to its own (a network that re-signs
# TLS, as some schools' and companies' do, would otherwise refuse npm's downloads there).
if ls /usr/local/share/ca-certificates/*.crt >/dev/null 2>&1; then
  cp /usr/local/share/ca-certificates/*.crt "$root/usr/local/share/ca-certificates/"
  chroot "$root" update-ca-certificates >/dev/null
fi
# As in any chroot: packages do not start their services here (cups would otherwise try to).
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"
for m in proc sys dev dev/pts; do mount --bind "/$m" "$root/$m"; done
grep -E '^(PRETTY_NAME|VERSION_CODENAME)=' "$root/etc/os-release"

step "fresh clone of $commit"
git clone -q --no-hardlinks "$repo" "$root/root/tavrelo"
git -C "$root/root/tavrelo" checkout -q --detach "$commit"

# A login shell's environment as root on the new system: nothing of this machine's.
in_root() {
  waited - chroot "$root" env -i HOME=/root TERM="${TERM:-dumb}" LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}" \
    TAVRELO_REQUIRE_PRINTING=1 TAVRELO_REQUIRE_BROWSER="${TAVRELO_REQUIRE_BROWSER:-}" NODE_EXTRA_CA_CERTS=/etc/ssl/certs/ca-certificates.crt \
    bash -c "cd /root/tavrelo && $1"
}

step "make test (the README's command, installs included)"
in_root "make test"
in_root "gcc --version | head -n 1; clang --version | head -n 1; dpkg-query -W -f='Qt \${Version}\n' qt6-base-dev"

step "the package: built, checked, installed, run and purged (scripts/check-package.sh)"
in_root "bash scripts/check-package.sh"

status=0
