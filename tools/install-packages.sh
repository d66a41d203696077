#!/usr/bin/env bash
# Installs every Debian package the project builds, tests or benchmarks with.
# Safe to run again: packages already present are skipped, and apt is not touched at all
# when nothing is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libgl-dev libgl1-mesa-dri mesa-utils
  libopenal-dev libbullet-dev libfreetype-dev zlib1g-dev
  libjpeg62-turbo-dev libstb-dev libfltk1.3-dev
  xvfb xauth xdotool lua5.4 time fonts-dejavu-core python3
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_prefix=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_prefix=(sudo)
fi

export DEBIAN_FRONTEND=noninteractive
"${sudo_prefix[@]}" apt-get update -q
"${sudo_prefix[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
