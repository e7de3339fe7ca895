#!/usr/bin/env bash
# Installs what azelrot needs (Debian 12, as root):
#   --demo   only what the program and the simulators need to build and run
#   --shots  that, and a private X server with its tools (scripts/demo-shots.sh)
#   --package  that of --demo, and the tools that make and check the Debian package
#   (none)   everything: the tests, the benchmarks, the Windows cross-build, the package
set -euo pipefail
demo=(
  build-essential cmake pkg-config clang-format
  qt6-base-dev qt6-serialport-dev qt6-tools-dev qt6-l10n-tools libgl-dev
  dbus fonts-noto-cjk
)
shots=(xvfb xauth xdotool imagemagick)
# dpkg-shlibdeps (dpkg-dev) works out the package's library dependencies; file finds the programs.
package=(dpkg-dev file desktop-file-utils)
rest=(
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  dbus-x11 ser2net
  g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix wine64
  libhamlib-utils python3-ephem
)
case ${1:-} in
  --demo) packages=("${demo[@]}") ;;
  --shots) packages=("${demo[@]}" "${shots[@]}") ;;
  --package) packages=("${demo[@]}" "${package[@]}") ;;
  '') packages=("${demo[@]}" "${shots[@]}" "${package[@]}" "${rest[@]}") ;;
  *) echo "usage: $0 [--demo|--shots|--package]" >&2; exit 2 ;;
esac
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
