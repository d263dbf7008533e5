#!/usr/bin/env bash
# Installs the Debian packages needed to build and test Tessarin, only those missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev googletest
  fonts-wqy-zenhei fontconfig
  # The window font "宋体": a Song face whose Latin letters are half as wide as
  # a Chinese character (see resources/fontconfig/).
  fonts-arphic-uming
  # Qt's own texts (buttons of message boxes, the file dialog) in Chinese.
  qt6-translations-l10n
  # Failure reasons from the system in Chinese: glibc's translations and the
  # zh_CN.UTF-8 locale they are looked up in (generated below).
  libc-l10n locales
  # Real volumes for the tests: FAT, exFAT and NTFS through their FUSE drivers,
  # ext4 on a loop device (losetup is in util-linux), and the timeout command.
  dosfstools fusefat exfatprogs exfat-fuse ntfs-3g fuse3 e2fsprogs util-linux coreutils
  # A network volume for the tests: a folder of this machine served by a
  # private sshd of the test's own (ssh-keygen is in openssh-client) and
  # mounted with sshfs. NFS and SMB would need the kernel's nfsd and cifs,
  # which the test machines lack.
  openssh-server openssh-client sshfs
  # strace shows that a sync flushes before it reports completion.
  strace
  # The benchmark peer.
  rsync
  # The layout of the sources is checked against .clang-format.
  clang-format
  # The Debian package (scripts/package.sh): dpkg-shlibdeps works out its
  # library dependencies, file tells CPack which files to strip, gzip
  # compresses the manual pages and the changelog.
  dpkg-dev file gzip
  # Its checks (scripts/test-package.sh): lintian for Debian's policy,
  # appstreamcli validates the metainfo, debootstrap makes the clean Debian 12
  # root the package is installed in, man-db reads the manual pages.
  lintian appstream debootstrap man-db
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "Installing: ${missing[*]}"
  $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq "${missing[@]}"
fi

# glibc finds its Chinese failure texts only through a generated zh_CN.UTF-8
# locale; generate it once where it is missing.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "Generating the zh_CN.UTF-8 locale"
  if ! grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'zh_CN.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  fi
  $sudo locale-gen
fi
