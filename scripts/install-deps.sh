#!/usr/bin/env bash
# Installs what azelrot needs to build, run and test (Debian 12, as root).
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-serialport-dev libgl-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  dbus dbus-x11 xvfb xauth xdotool imagemagick fonts-noto-cjk
  ser2net
  g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix wine64
  libhamlib-utils python3-ephem
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
