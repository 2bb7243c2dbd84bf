#!/usr/bin/env bash
# Installs the Debian 12 packages Veilmark needs to build, test and benchmark
# (or, with an option, only to run or to package it).
# Quick when everything is already there: apt is only called for what is missing.
set -euo pipefail

pkgs=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libgl-dev
  libsodium-dev libgtest-dev libbenchmark-dev
  xvfb xauth fonts-liberation
  openbox xdotool x11-utils wmctrl libxcb1-dev weston qt6-wayland strace
  imagemagick libjpeg-turbo-progs
  clang libclang-rt-14-dev clang-format clang-tidy
  xfsprogs e2fsprogs btrfs-progs bindfs fuse acl attr util-linux
  librsvg2-bin dpkg-dev file git lintian appstream desktop-file-utils man-db
  libglib2.0-bin xdg-utils python3-gi qt6-translations-l10n
  emscripten chromium chromium-driver python3
)
# --runtime: enough to build and run the programs (scripts/run).
# --package: enough to build the Debian package (scripts/package), nothing to test it.
case "${1:-}" in
  --runtime) pkgs=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins qt6-translations-l10n libgl-dev libsodium-dev fonts-liberation librsvg2-bin) ;;
  --package) pkgs=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libsodium-dev libxcb1-dev librsvg2-bin dpkg-dev file git) ;;
  "") ;;
  *) echo "usage: $0 [--runtime | --package]" >&2; exit 2 ;;
esac

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
