#!/usr/bin/env bash
# Captures the settings dialog on a private virtual display, in the serial and in the board
# pattern, plus one tooltip, into shots/ (not versioned).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/xvfb.sh
need_tools Xvfb xdotool import
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-Debug} >/dev/null
cmake --build "$build_dir" -j2 --target azelrot-shots >/dev/null
binary="$build_dir/tests/shots/azelrot-shots"
mkdir -p shots

work=$(mktemp -d)
app_pid=""
cleanup() {
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null || true
  stop_xvfb
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
start_xvfb 640x600x24

# Shows the dialog in one pattern, runs the given capture steps, then ends it.
shoot() {
  local pattern=$1; shift
  env -u QT_QPA_PLATFORM "$binary" dialog "$pattern" >"$work/log" 2>&1 &
  app_pid=$!
  for _ in $(seq 100); do grep -q '^ready' "$work/log" && break; sleep 0.1; done
  grep -q '^ready' "$work/log" || { cat "$work/log" >&2; exit 1; }
  sleep 1  # first paint
  "$@"
  kill "$app_pid"
  wait "$app_pid" 2>/dev/null || true
  app_pid=""
}

capture() { import -window root -crop 440x530+0+0 "shots/$1.png"; }
hover() {
  xdotool mousemove "$1" "$2"
  sleep 2
  capture "$3"
}

shoot serial capture dialog-serial
shoot board capture dialog-board
# Over the board option: its tooltip.
shoot board hover 260 130 dialog-tooltip
echo "shots/dialog-serial.png shots/dialog-board.png shots/dialog-tooltip.png"
