#!/usr/bin/env bash
# Installs the Debian packages Tonaria needs to build, test and play, when any is missing.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools
  libfluidsynth-dev fluidsynth fluid-soundfont-gm timgm6mb-soundfont
  libsdl2-dev libsndfile1-dev libzip-dev libasound2-dev libopenmpt-dev libcdio-dev libcdio-paranoia-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  zip
  xvfb xauth xdotool imagemagick dbus playerctl
  librsvg2-bin desktop-file-utils appstream xdg-utils shared-mime-info libglib2.0-bin man-db
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi
