#!/usr/bin/env bash
# Installs the Debian packages Lumivane needs to build, run and test, when any is missing.
# Safe to run again: it does nothing when everything is there. Uses sudo when not root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins libx11-dev libxext-dev libxfixes-dev libxrender-dev libpng-dev
  libfreetype-dev libfontconfig-dev
  libsndfile1-dev libpulse-dev
  clang libclang-rt-14-dev
  libgtest-dev libbenchmark-dev
  fonts-ipafont-gothic fonts-ipafont-mincho
  xvfb xauth openbox trayer xdotool x11-utils
  # xrandr, which divides the test server's screen into two monitors
  x11-xserver-utils
  # what the install test checks the installed desktop files and manual pages with
  desktop-file-utils appstream man-db
  # the sound server the sound tests play into (pactl comes with it)
  pulseaudio
  # the Bright Star Catalogue copy the star table's positions are checked against
  xplanet
  # the zone files the sky-map tools' --time-zone reads
  tzdata
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
