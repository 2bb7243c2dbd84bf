#!/usr/bin/env bash
# Installs the Debian 12 packages Veilmark needs to build, test and benchmark.
# Quick when everything is already there: apt is only called for what is missing.
set -euo pipefail

pkgs=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libgl-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth fonts-liberation
  openbox xdotool x11-utils wmctrl libxcb1-dev
  imagemagick libjpeg-turbo-progs
  clang libclang-rt-14-dev clang-format clang-tidy
  xfsprogs e2fsprogs btrfs-progs bindfs fuse acl attr util-linux
  librsvg2-bin dpkg-dev fakeroot lintian appstream desktop-file-utils man-db x11-utils
  emscripten chromium chromium-driver python3
)
[ "${1:-}" = "--runtime" ] && pkgs=(cmake g++ make qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libgl-dev fonts-liberation librsvg2-bin)

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
