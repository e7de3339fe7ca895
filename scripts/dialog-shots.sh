#!/usr/bin/env bash
# Captures the settings dialog on a private virtual display, in the serial and in the board
# pattern, plus one tooltip, into shots/ (not versioned).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-Debug} >/dev/null
cmake --build "$build_dir" -j2 --target dialog_shots >/dev/null
binary="$build_dir/tests/dialog/dialog_shots"
mkdir -p shots

display=""
for n in $(seq 90 140); do
  if [[ ! -e /tmp/.X$n-lock && ! -e /tmp/.X11-unix/X$n ]]; then display=":$n"; break; fi
done
[[ -n $display ]] || { echo "no free display" >&2; exit 1; }

work=$(mktemp -d)
Xvfb "$display" -screen 0 640x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
app_pid=""
cleanup() {
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done

# Shows the dialog in one pattern, runs the given capture steps, then lets it go.
shoot() {
  local pattern=$1; shift
  rm -f "$work/ready" "$work/done"
  env -u QT_QPA_PLATFORM DISPLAY="$display" AZELROT_SHOT_DIR="$work" AZELROT_SHOT_PATTERN="$pattern" \
    "$binary" --gtest_filter='*ShownForTheScreenshotScript' >"$work/log" 2>&1 &
  app_pid=$!
  for _ in $(seq 100); do [[ -e $work/ready ]] && break; sleep 0.1; done
  [[ -e $work/ready ]] || { cat "$work/log" >&2; exit 1; }
  sleep 1  # first paint
  "$@"
  touch "$work/done"
  wait "$app_pid" || { cat "$work/log" >&2; exit 1; }
  app_pid=""
}

capture() { DISPLAY="$display" import -window root -crop 440x530+0+0 "shots/$1.png"; }
hover() {
  DISPLAY="$display" xdotool mousemove "$1" "$2"
  sleep 2
  capture "$3"
}

shoot serial capture dialog-serial
shoot board capture dialog-board
# Over the board option: its tooltip.
shoot board hover 260 130 dialog-tooltip
echo "shots/dialog-serial.png shots/dialog-board.png shots/dialog-tooltip.png"
