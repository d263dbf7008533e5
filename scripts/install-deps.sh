#!/usr/bin/env bash
# Installs the Debian packages needed to build and test Tessarin, only those missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev googletest
  fonts-wqy-zenhei fontconfig
  # Real volumes for the tests: FAT, exFAT and NTFS through their FUSE drivers,
  # ext4 on a loop device (losetup is in util-linux), and the timeout command.
  dosfstools fusefat exfatprogs exfat-fuse ntfs-3g fuse3 e2fsprogs util-linux coreutils
  # strace shows that a sync flushes before it reports completion.
  strace
  # The benchmark peer.
  rsync
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
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
