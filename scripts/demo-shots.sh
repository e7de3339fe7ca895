#!/usr/bin/env bash
# Runs the demo (scripts/demo.sh) on a private X server and takes screenshots into shots/:
# idle with the position arrived, a manual move under way, automatic tracking following the
# tracking-program simulator. Installs and builds what it needs (the demo's build in
# build-demo/, BUILD_DIR overrides; SKIP_SETUP=1 skips that). The X server takes display
# DISPLAY_NUM when set, else a free one.
set -euo pipefail
# The window is looked for by its Japanese title: the locale must not choose English.
export LANG=C.UTF-8
unset LC_ALL LC_MESSAGES
cd "$(dirname "$0")/.."
root=$PWD
BUILD_DIR=${BUILD_DIR:-build-demo}
[[ $BUILD_DIR == /* ]] || BUILD_DIR=$root/$BUILD_DIR
export BUILD_DIR
if [[ ${SKIP_SETUP:-} != 1 ]]; then
  bash scripts/install-deps.sh --shots
  bash scripts/build-demo.sh
fi
[[ -x $BUILD_DIR/src/azelrot ]] || { echo "no program in $BUILD_DIR: build it first" >&2; exit 1; }
mkdir -p shots

source scripts/lib/xvfb.sh
need_tools Xvfb xdotool import

demo_pid=''
cleanup() {
  # The demo's own trap stops the simulators once the program ends.
  [[ -n $demo_pid ]] && kill -TERM -- "-$demo_pid" 2>/dev/null || true
  [[ -n $demo_pid ]] && wait "$demo_pid" 2>/dev/null || true
  stop_xvfb
}
trap cleanup EXIT

start_xvfb 1024x768x24 "${DISPLAY_NUM:-}"

# A process group of its own (setsid), so the whole demo can be ended at once; a private
# session bus, as on a console.
setsid env -u DBUS_SESSION_BUS_ADDRESS -u QT_QPA_PLATFORM SKIP_SETUP=1 \
  bash scripts/demo.sh >shots/demo.out 2>&1 &
demo_pid=$!

main=''
for _ in $(seq 100); do
  main=$(xdotool search --onlyvisible --name 'ＡＺＥＬＲＯＴ' 2>/dev/null | head -n1) || true
  [[ -n $main ]] && break
  sleep 0.1
done
[[ -n $main ]] || { echo "the main window did not appear" >&2; cat shots/demo.out >&2; exit 1; }

# Places inside the window, from the program itself.
# shellcheck source=scripts/window-layout.sh
. scripts/window-layout.sh
layout_load "$BUILD_DIR/src/azelrot" "$main" || { echo "no layout from the program" >&2; exit 1; }
click() { # a control's name, and pixels from its middle
  # shellcheck disable=SC2046
  xdotool mousemove $(layout_point "$@") click 1
}

sleep 3
import -window root shots/demo_idle.png

# Manual move: south-west, 20 degrees up (the simulator starts at 180,0), then 手動開始.
click Picture1 -50 49
sleep 0.3
click Command4
sleep 3
import -window root shots/demo_manual.png
# About 8 s of travel at the controller's speed: then it has arrived and the move ended.
sleep 7
import -window root shots/demo_manual_arrived.png

# 自動追尾開始, then let it follow the simulated pass for a while.
click Command2
sleep 10
import -window root shots/demo_auto.png

# End the demo the operator's way (終了): the program closes its port (two seconds) and the
# demo stops the simulators; the controller simulator removes its link as it ends.
click Command3
running() { [[ -e /proc/$1 ]] && ! grep -q '^State:[[:space:]]*Z' "/proc/$1/status" 2>/dev/null; }
for _ in $(seq 100); do running "$demo_pid" || break; sleep 0.1; done
if running "$demo_pid"; then
  echo "the demo did not end after 終了" >&2
  exit 1
fi
wait "$demo_pid" || { echo "the demo ended with an error:" >&2; cat shots/demo.out >&2; exit 1; }
demo_pid=''
for _ in $(seq 30); do [[ -L demo/rotator ]] || break; sleep 0.1; done
[[ ! -L demo/rotator ]] || { echo "the controller simulator was left running" >&2; exit 1; }

echo "screenshots in $root/shots (demo output in shots/demo.out)"
