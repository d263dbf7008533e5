#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh), checks it with lintian and
# appstreamcli, installs it with apt into a clean Debian 12 root and runs the
# installed programs and manual pages there. Needs root (or sudo) for the root.
#
# The bootstrapped root is kept as a tarball in $TESSARIN_CI_CACHE
# (/var/cache/tessarin-ci), outside the clone, and made again when missing;
# the packages apt downloads into the root are kept there too.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

stage() { echo "== $* ($((SECONDS - start)) s)"; }

deb=$(bash scripts/package.sh | tail -n 1)
stage "built $deb"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"

# Errors fail the run; warnings are shown.
lintian --fail-on error --display-info "$deb"
appstreamcli validate --no-net packaging/*.metainfo.xml
stage "lintian and appstreamcli passed"

arch=$(dpkg --print-architecture)
cache=${TESSARIN_CI_CACHE:-/var/cache/tessarin-ci}
tarball=$cache/bookworm-minbase-$arch.tar.gz
# The mirror apt on this machine uses for Debian 12 (any sources format).
mirror=$(apt-cache policy | awk '$3 == "bookworm/main" && $4 == "'"$arch"'" { print $2; exit }')
security=$(apt-cache policy | awk '$3 == "bookworm-security/main" && $4 == "'"$arch"'" { print $2; exit }')
mirror=${mirror:-http://deb.debian.org/debian}
security=${security:-http://deb.debian.org/debian-security}

$sudo mkdir -p "$cache/apt-archives/partial"
if [ ! -s "$tarball" ]; then
  echo "== bootstrapping Debian 12 from $mirror into $tarball"
  scratch=$($sudo mktemp -d "$cache/bootstrap.XXXXXX")
  $sudo debootstrap --variant=minbase bookworm "$scratch" "$mirror" >/dev/null
  $sudo chmod 755 "$scratch" # mktemp's 0700 would keep the root's users out
  $sudo tar -C "$scratch" -czf "$tarball.part" .
  $sudo mv "$tarball.part" "$tarball"
  $sudo rm -rf "$scratch"
fi

root=$PWD/build-package/debian-root
cleanup() {
  for mount in "$root/var/cache/apt/archives" "$root/proc"; do
    if mountpoint -q "$mount"; then $sudo umount "$mount"; fi
  done
  $sudo rm -rf --one-file-system "$root"
}
cleanup
trap cleanup EXIT
$sudo mkdir -p "$root"
$sudo tar -C "$root" -xzf "$tarball"
$sudo chmod 755 "$root"
stage "clean Debian 12 root unpacked"
$sudo mount -t proc proc "$root/proc"
$sudo mount --bind "$cache/apt-archives" "$root/var/cache/apt/archives"
$sudo cp /etc/resolv.conf "$root/etc/resolv.conf"
# The same suites as this machine, so the libraries the package was built
# against are there in the same versions.
$sudo tee "$root/etc/apt/sources.list" >/dev/null <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb $security bookworm-security main
EOF
# No service is started inside the root.
printf '#!/bin/sh\nexit 101\n' | $sudo tee "$root/usr/sbin/policy-rc.d" >/dev/null
$sudo chmod 755 "$root/usr/sbin/policy-rc.d"
$sudo cp "$deb" "$root/tmp/"
in_root() { $sudo chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }

in_root apt-get -qq update
# Depends only, without the Recommends: those must be enough to run. man-db
# to read the manual pages as a user would.
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
  "./tmp/$(basename "$deb")" man-db

stage "package installed with apt"
for program in /usr/bin/tessarin /usr/bin/tessarin-cli; do
  if in_root ldd "$program" | grep 'not found'; then
    echo "$program lacks libraries the package does not depend on" >&2
    exit 1
  fi
done
in_root test -f /usr/share/tessarin/软件帮助.html

version=$(dpkg-deb -f "$deb" Version)
shown=$(in_root tessarin-cli --version)
echo "$shown"
[ "$shown" = "tessarin-cli ${version%-*}" ]

in_root mkdir -p /tmp/one/sub /tmp/two
in_root sh -c 'echo new > /tmp/one/sub/only-in-one && echo old > /tmp/two/only-in-two'
compared=$(in_root tessarin-cli compare /tmp/one /tmp/two)
echo "$compared"
grep -qxF $'→\t新建\tsub/only-in-one' <<<"$compared"
grep -qxF $'←\t新建\tonly-in-two' <<<"$compared"

# The window starts on Qt's offscreen platform from qt6-qpa-plugins and is
# still running when stopped (a missing plugin or library ends it at once).
status=0
in_root env QT_QPA_PLATFORM=offscreen timeout 5 tessarin || status=$?
if [ "$status" -ne 124 ]; then
  echo "tessarin ended with status $status instead of running" >&2
  exit 1
fi

# Every page, in both languages, as man finds it by name.
for page in packaging/man/en/*.1; do
  name=$(basename "$page" .1)
  text=$(in_root env MANWIDTH=80 man -P cat "$name")
  grep -q "^NAME" <<<"$text"
  grep -q "$name" <<<"$text"
done
for page in packaging/man/zh_CN/*.1; do
  name=$(basename "$page" .1)
  text=$(in_root env MANWIDTH=80 man -L zh_CN -P cat "$name")
  # The Chinese page, not the English one man falls back on.
  if grep -q "^NAME" <<<"$text"; then
    echo "man -L zh_CN $name shows the English page" >&2
    exit 1
  fi
  grep -q "$name" <<<"$text"
done
stage "test-package.sh passed"
