#!/usr/bin/env bash
# Installs, builds and starts azelrot in a station folder of its own (demo/), pointed at the
# bundled controller simulator (serial, on a pseudo-terminal) with the tracking-program
# simulator beside it: the antenna position arrives, manual moves and automatic tracking work,
# and no hardware is needed. Closing the program stops the simulators.
#
# Only the program and the simulators are installed and built (no tests), in build-demo/, so a
# second run starts at once.
#
# Environment: BUILD_DIR (default build-demo), SKIP_SETUP=1 skips installing and building,
# ORBX_TIME_SCALE (default 5) speeds up the simulated satellite pass.
set -euo pipefail
self=$(realpath "$0")
cd "$(dirname "$self")/.."
root=$PWD
build_dir=${BUILD_DIR:-build-demo}
[[ $build_dir == /* ]] || build_dir=$root/$build_dir
station=$root/demo

if [[ ${AZELROT_DEMO_STAGE:-} != run ]]; then
  if [[ -z ${DISPLAY:-}${WAYLAND_DISPLAY:-} && -z ${QT_QPA_PLATFORM:-} ]]; then
    echo "azelrot needs a display (none here): bash scripts/demo-shots.sh runs the demo on a private X server and takes screenshots" >&2
    exit 1
  fi
  if [[ ${SKIP_SETUP:-} != 1 ]]; then
    bash scripts/install-deps.sh --demo
    BUILD_DIR=$build_dir bash scripts/build-demo.sh
  fi
  mkdir -p "$station"
  cp "$build_dir/src/azelrot" "$station/"
  # Qt wants a private runtime folder and warns without one (a console, ssh, su).
  if [[ -z ${XDG_RUNTIME_DIR:-} ]]; then
    export XDG_RUNTIME_DIR=$station/runtime
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
  fi
  # The program and the tracking-program simulator meet on the session bus: without one
  # (a console, ssh), both run on a private bus that ends with the program.
  export AZELROT_DEMO_STAGE=run
  if [[ -z ${DBUS_SESSION_BUS_ADDRESS:-} ]]; then
    # That bus tries to raise its open-file limit and says so where it may not (a container,
    # a shared host); it runs on the limit it has, so the line is dropped.
    exec 2> >(grep --line-buffered -v 'Failed to set fd limit' >&2)
    exec dbus-run-session -- bash "$self"
  fi
  exec bash "$self"
fi

sim_pid=''
orbx_pid=''
stop_simulators() {
  [[ -n $orbx_pid ]] && kill "$orbx_pid" 2>/dev/null || true
  [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap stop_simulators EXIT

# Waits up to 5 s for a line in a file.
wait_for_line() {
  local file=$1 pattern=$2
  for _ in $(seq 50); do
    grep -q "$pattern" "$file" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# The controller: a pty linked as demo/rotator, every command it receives in demo/gs232b.log.
"$build_dir/tools/gs232b-sim/gs232b-sim" --link "$station/rotator" --log "$station/gs232b.log" \
  --initial 180,0 >"$station/gs232b.out" 2>&1 &
sim_pid=$!
if ! wait_for_line "$station/gs232b.out" '^pty '; then
  echo "the controller simulator did not start:" >&2
  cat "$station/gs232b.out" >&2
  exit 1
fi

# The tracking program: a satellite pass (repeating) and the Moon on the session bus.
"$build_dir/tools/orbx-sim/orbx-sim" --time-scale "${ORBX_TIME_SCALE:-5}" \
  >"$station/orbx-sim.out" 2>&1 &
orbx_pid=$!
if ! wait_for_line "$station/orbx-sim.out" '^ready'; then
  echo "the tracking-program simulator did not start (is another one on this bus?):" >&2
  cat "$station/orbx-sim.out" >&2
  exit 1
fi

cat >"$station/azelrot.ini" <<EOF
[GS232B]
PORT=$station/rotator
PICNIC=0
ORBX=1
TIMER=1
[TCP/IP]
IP=127.0.0.1
EOF

echo "azelrot: controller simulator on $(sed -n 's/^pty //p' "$station/gs232b.out")" \
  "(commands in demo/gs232b.log), tracking-program simulator on the session bus"
# Not exec: the trap stops the simulators once the program has ended.
(cd "$station" && ./azelrot)
