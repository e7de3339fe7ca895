#!/usr/bin/env bash
# Measures azelrot on this machine and prints one table (metric, value, target, met?).
#   bash bench/run.sh            full run, about 15 minutes (10 of them automatic tracking)
#   bash bench/run.sh --quick    the tracking run shortened to 2 minutes
#   bash bench/run.sh --tick     only the CPU per tick against rotctl's (about 2 minutes)
# Builds a Release copy in build-bench/ (BENCH_BUILD_DIR overrides). Everything runs on a
# private X server and a private session bus, against the simulators; nothing leaves this host.
set -euo pipefail
# The window is looked for by its Japanese title: the locale must not choose English.
export LANG=C.UTF-8
unset LC_ALL LC_MESSAGES
cd "$(dirname "$0")/.."
# shellcheck source=scripts/window-layout.sh
. scripts/window-layout.sh
root=$PWD
source scripts/lib/xvfb.sh

track_minutes=10
only_ticks=false
case ${1:-} in
  '') ;;
  --quick) track_minutes=2 ;;
  --tick) only_ticks=true ;;
  *) echo "usage: bash bench/run.sh [--quick | --tick]" >&2; exit 2 ;;
esac

idle_seconds=60
tick_count=40
rotctl_short=20
rotctl_long=120
paint_runs=5
# Resident memory may wander by a few pages as the allocator reuses its pools; growth means
# more than this between the first minute and the last.
growth_slack_kb=512

build=$root/${BENCH_BUILD_DIR:-build-bench}
work=$(mktemp -d)
pids=()
export XDG_RUNTIME_DIR=$work/xdg
mkdir -m 700 "$XDG_RUNTIME_DIR"

cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

log() { printf '[%s] %s\n' "$(date +%T)" "$*" >&2; }
die() { log "error: $*"; exit 1; }

# Forgets a process that has been stopped by hand.
forget() {
  local keep=() pid
  for pid in "${pids[@]}"; do [[ $pid != "$1" ]] && keep+=("$pid"); done
  pids=("${keep[@]}")
}

stop() {
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
  forget "$1"
}

# --- build ---------------------------------------------------------------------------------

build_all() {
  bash scripts/install-deps.sh >&2
  log "building (Release) in $build"
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DAZELROT_BUILD_TESTS=OFF \
    -DAZELROT_BUILD_BENCH=ON >/dev/null
  [[ -f $build/bench/Makefile || -f $build/bench/build.ninja ]] ||
    die "Google Benchmark was not found (Debian package libbenchmark-dev)"
  cmake --build "$build" -j"$(nproc)" --target azelrot gs232b-sim orbx-sim \
    azelrot-tick-bench azelrot-radar-bench azelrot-first-paint azelrot-child-cpu >/dev/null
  exe=$build/src/azelrot
  sim=$build/tools/gs232b-sim/gs232b-sim
  orbx=$build/tools/orbx-sim/orbx-sim
  benches=$build/bench
}

# --- private X server and session bus ----------------------------------------------------

start_display() {
  start_xvfb 1024x768x24 || die "Xvfb did not start"
  pids+=("$xvfb_pid")
}

start_bus() {
  dbus-daemon --session --nofork --address="unix:path=$work/bus" --print-address=3 \
    3>"$work/bus.address" 2>"$work/bus.err" &
  pids+=($!)
  for _ in $(seq 100); do [[ -s $work/bus.address ]] && break; sleep 0.1; done
  [[ -s $work/bus.address ]] || die "the session bus did not start"
  DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus.address")
  export DBUS_SESSION_BUS_ADDRESS
}

# --- simulators ----------------------------------------------------------------------------

# start_sim NAME [SWITCHES...]: controller on $work/NAME.pty, commands logged in NAME.log.
start_sim() {
  local name=$1
  shift
  "$sim" --link "$work/$name.pty" --log "$work/$name.log" "$@" >"$work/$name.sim" 2>&1 &
  sim_pid=$!
  pids+=($sim_pid)
  for _ in $(seq 100); do grep -q '^pty ' "$work/$name.sim" 2>/dev/null && return 0; sleep 0.05; done
  die "gs232b-sim did not start: $(cat "$work/$name.sim")"
}

start_orbx() {
  "$orbx" --time-scale 10 >"$work/orbx.out" 2>&1 &
  orbx_pid=$!
  pids+=($orbx_pid)
  for _ in $(seq 100); do grep -q '^ready' "$work/orbx.out" 2>/dev/null && return 0; sleep 0.05; done
  die "orbx-sim did not start: $(cat "$work/orbx.out")"
}

# --- the real program in a station folder of its own ---------------------------------------

# station NAME ORBX: a folder holding a copy of the program and its settings; the window is
# placed at screen pixel (100, 100).
station() {
  local dir=$work/$1
  mkdir -p "$dir"
  cp "$exe" "$dir/"
  cat >"$dir/azelrot.ini" <<EOF
[WIN_POSITION]
GS232B_TOP_LEFT=1500:1500
[GS232B]
PORT=$work/$1.pty
PICNIC=0
ORBX=$2
TIMER=1
[TCP/IP]
IP=127.0.0.1
EOF
}

# launch NAME: starts the program of that station; sets app_pid and app_window.
launch() {
  (cd "$work/$1" && exec env -u QT_QPA_PLATFORM ./azelrot) >"$work/$1.out" 2>&1 &
  app_pid=$!
  pids+=($app_pid)
  app_window=''
  for _ in $(seq 100); do
    app_window=$(xdotool search --onlyvisible --name 'ＡＺＥＬＲＯＴ' 2>/dev/null | head -n1) || true
    [[ -n $app_window ]] && break
    sleep 0.1
  done
  [[ -n $app_window ]] || die "the main window of $1 did not show"
  sleep 1
  # A start-up message box (title "azelrot") means the station is not what was meant.
  if xdotool search --onlyvisible --name '^azelrot$' >/dev/null 2>&1; then
    die "$1: start-up showed a message box"
  fi
}

# user+system CPU of a process, in clock ticks.
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }

# Run time of all its threads in nanoseconds (finer than the clock ticks of stat).
run_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ s += $1 } END { printf "%.0f", s }'; }

status_kb() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status"; }

# --- measurements --------------------------------------------------------------------------

# rotctl_rounds FIRST LAST: rounds of Hamlib's client on the controller of the tick run.
rotctl_rounds() {
  local n i
  for i in $(seq "$1" "$2"); do
    for n in $rotctl_short $rotctl_long; do
      "$benches/azelrot-child-cpu" "$work/polls$n" "$work/rotctl$n.txt" \
        rotctl -m 603 -r "$work/tick.pty" -s 9600 >"$work/rotctl$n.$i"
      [[ $(grep -c 'Azimuth:' "$work/rotctl$n.txt") == "$n" ]] ||
        die "rotctl did not answer $n polls: $(head -c 300 "$work/rotctl$n.txt")"
    done
  done
}

measure_ticks() {
  start_sim tick --az-speed 1 --el-speed 1
  local n
  for n in $rotctl_short $rotctl_long; do printf "p\n%.0s" $(seq "$n") >"$work/polls$n"; done
  # Theirs before and after ours, on the same controller, so both see the same machine load.
  log "Hamlib rotctl: $rotctl_short and $rotctl_long polls, three times each, before and after"
  rotctl_rounds 1 3
  log "CPU per tick: manual move over the pty, $tick_count ticks at the 1 s cycle"
  mkdir -p "$work/tick-station"
  "$benches/azelrot-tick-bench" --device "$work/tick.pty" --station "$work/tick-station" \
    --ticks "$tick_count" >"$work/tick.out" || die "tick bench failed"
  rotctl_rounds 4 6
  stop "$sim_pid"
}

value() { awk -v key="$1" '$1 == key { print $2 }' "$2"; }

# Median over the six rounds of the extra CPU per extra poll (start-up cancels out).
rotctl_per_poll_us() {
  local i
  for i in 1 2 3 4 5 6; do
    awk -v a="$(value cpu_us "$work/rotctl$rotctl_short.$i")" \
      -v b="$(value cpu_us "$work/rotctl$rotctl_long.$i")" \
      -v n=$((rotctl_long - rotctl_short)) 'BEGIN { print (b - a) / n }'
  done | sort -g | awk '{ v[NR] = $1 } END { print (v[3] + v[4]) / 2 }'
}

measure_radar() {
  log "draw_radar (Google Benchmark)"
  "$benches/azelrot-radar-bench" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_format=csv >"$work/radar.csv" 2>/dev/null
  radar_us=$(awk -F, '$1 ~ /"draw_radar_median"/ { print $4 }' "$work/radar.csv")
  radar_same_us=$(awk -F, '$1 ~ /draw_radar_unchanged_median/ { print $4 }' "$work/radar.csv")
  [[ -n $radar_us ]] || die "no draw_radar result: $(cat "$work/radar.csv")"
}

# first_paint NAME [SIM SWITCHES...]: launches into $work/NAME.paint, one "run_ms" a line.
first_paint() {
  local name=$1
  shift
  start_sim "$name" "$@"
  station "$name" 0
  # The window sits at (100, 100); its top frame is painted in (192, 255, 192).
  "$benches/azelrot-first-paint" --exe "$work/$name/azelrot" --station "$work/$name" \
    --region 100,100,400,400 --colour 192,255,192 --min-pixels 2000 --runs "$paint_runs" \
    >"$work/$name.paint"
  stop "$sim_pid"
  if grep -q 'run_ms -' "$work/$name.paint"; then
    die "a launch never painted: $(cat "$work/$name.paint")"
  fi
}

median_ms() {
  awk '$1 == "run_ms" { print $2 }' "$1" | sort -g |
    awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

all_ms() { awk '$1 == "run_ms" { printf "%s%.0f", (n++ ? " " : ""), $2 }' "$1"; }

measure_first_paint() {
  log "launch to first painted window, $paint_runs launches"
  first_paint paint
  paint_ms=$(median_ms "$work/paint.paint")
  # The same with a controller that never answers: start-up then has no reply to read, so
  # the difference is what reading the first reply (its 0.1 s settle) adds before the paint.
  log "the same with a silent controller"
  first_paint paint-mute --mute
  paint_mute_ms=$(median_ms "$work/paint-mute.paint")
}

measure_idle() {
  log "idle CPU of the program over ${idle_seconds} s"
  start_sim idle
  station idle 0
  launch idle
  sleep 4
  local before after hz commands ns_before
  hz=$(getconf CLK_TCK)
  before=$(cpu_ticks "$app_pid")
  ns_before=$(run_ns "$app_pid")
  commands=$(wc -l <"$work/idle.log")
  sleep "$idle_seconds"
  after=$(cpu_ticks "$app_pid")
  idle_fine_pct=$(awk -v a="$ns_before" -v b="$(run_ns "$app_pid")" -v s="$idle_seconds" \
    'BEGIN { print (b - a) / 1e9 / s * 100 }')
  [[ $(wc -l <"$work/idle.log") == "$commands" ]] || die "the idle program sent commands"
  idle_pct=$(awk -v t=$((after - before)) -v hz="$hz" -v s="$idle_seconds" \
    'BEGIN { print t / hz / s * 100 }')
  idle_rss_kb=$(status_kb "$app_pid" VmRSS)
  stop "$app_pid"
  stop "$sim_pid"
}

# Presses 自動追尾開始, where the program says it is.
press_auto_tracking() {
  layout_load "$exe" "$app_window" || die "no layout from the program"
  # shellcheck disable=SC2046
  xdotool mousemove --sync $(layout_middle Command2) click 1
  for _ in $(seq 50); do
    grep -q "$(printf '\tW')" "$work/track.log" && return 0
    sleep 0.1
  done
  die "automatic tracking did not start (no move command reached the controller)"
}

measure_tracking() {
  log "resident memory over $track_minutes minutes of automatic tracking"
  start_orbx
  start_sim track
  station track 1
  launch track
  press_auto_tracking
  local minute ticks_before
  ticks_before=$(cpu_ticks "$app_pid")
  : >"$work/memory.tsv"
  for minute in $(seq "$track_minutes"); do
    sleep 60
    kill -0 "$app_pid" 2>/dev/null || die "the program ended while tracking"
    printf '%s\t%s\t%s\n' "$minute" "$(status_kb "$app_pid" VmRSS)" \
      "$(status_kb "$app_pid" VmHWM)" >>"$work/memory.tsv"
    log "  minute $minute: VmRSS $(status_kb "$app_pid" VmRSS) kB"
  done
  tracking_pct=$(awk -v t=$(($(cpu_ticks "$app_pid") - ticks_before)) \
    -v hz="$(getconf CLK_TCK)" -v s=$((track_minutes * 60)) 'BEGIN { print t / hz / s * 100 }')
  moves=$(grep -c "$(printf '\tW')" "$work/track.log" || true)
  polls=$(grep -c "$(printf '\tC2')" "$work/track.log" || true)
  stop "$app_pid"
  stop "$sim_pid"
  stop "$orbx_pid"
  rss_first=$(awk 'NR == 1 { print $2 }' "$work/memory.tsv")
  rss_last=$(awk 'END { print $2 }' "$work/memory.tsv")
  hwm_last=$(awk 'END { print $3 }' "$work/memory.tsv")
}

# --- report --------------------------------------------------------------------------------

# row METRIC VALUE TARGET MET
row() { printf '%-62s %-16s %-18s %s\n' "$1" "$2" "$3" "$4"; }

# met VALUE OP LIMIT -> yes/no
met() { awk -v v="$1" -v l="$3" -v op="$2" 'BEGIN {
  ok = (op == "<=") ? (v <= l) : (v >= l); print ok ? "yes" : "NO" }'; }

fmt() { awk -v v="$1" -v f="$2" 'BEGIN { printf f, v }'; }

# Sets the caller's tick_ms, rotctl_ms and redraw_ms, in milliseconds, from the tick run.
tick_figures() {
  local t=$work/tick.out
  tick_ms=$(awk -v v="$(value tick_cpu_us_median "$t")" 'BEGIN { print v / 1000 }')
  rotctl_ms=$(awk -v v="$(rotctl_per_poll_us)" 'BEGIN { print v / 1000 }')
  redraw_ms=$(awk -v v="$(value redraw_cpu_us_median "$t")" 'BEGIN { print v / 1000 }')
}

report() {
  local t=$work/tick.out tick_ms loop_ms wait_ms rotctl_ms ratio growth_kb redraw_ms bare_ratio
  tick_figures
  loop_ms=$(awk -v v="$(value thread_cpu_us_per_tick "$t")" 'BEGIN { print v / 1000 }')
  wait_ms=$(awk -v v="$(value wait_busy_cpu_us_max "$t")" 'BEGIN { print v / 1000 }')
  ratio=$(awk -v a="$tick_ms" -v b="$rotctl_ms" 'BEGIN { print a / b }')
  bare_ratio=$(awk -v a="$tick_ms" -v d="$redraw_ms" -v b="$rotctl_ms" 'BEGIN { print (a - d) / b }')
  growth_kb=$((rss_last - rss_first))

  echo
  echo "azelrot performance"
  echo "  machine: $(nproc) CPUs, $(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)"
  echo "  kernel $(uname -r), Qt $(value qt_version "$t"), $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "  load average (1, 5, 15 min) at start $load_before, at end $(cut -d' ' -f1-3 /proc/loadavg)"
  echo
  row "metric" "value" "target" "met?"
  row "CPU per tick, manual move polling over the pty (median)" "$(fmt "$tick_ms" '%.3f ms')" \
    "<= 1 ms" "$(met "$tick_ms" '<=' 1)"
  row "  same, whole GUI thread incl. event loop and painting" "$(fmt "$loop_ms" '%.3f ms')" \
    "(information)" ""
  row "Idle CPU, 1 s cycle, no tracking, ${idle_seconds} s" "$(fmt "$idle_pct" '%.3f %%')" \
    "<= 0.3 % of a core" "$(met "$idle_pct" '<=' 0.3)"
  row "CPU burnt in wait_busy(0.3 s), worst of 5" "$(fmt "$wait_ms" '%.3f ms')" \
    "~0 (<= 1 ms)" "$(met "$wait_ms" '<=' 1)"
  row "draw_radar, every marker shown, antenna moved (median of 5)" "$(fmt "$radar_us" '%.1f us')" \
    "<= 300 us" "$(met "$radar_us" '<=' 300)"
  row "  same, nothing moved since the last redraw" "$(fmt "$radar_same_us" '%.1f us')" \
    "(information)" ""
  row "Peak resident memory after $track_minutes min automatic tracking" \
    "$(fmt "$hwm_last" '%.0f kB')" "<= 51200 kB" "$(met "$hwm_last" '<=' 51200)"
  row "Resident growth, minute 1 -> $track_minutes" "$(fmt "$growth_kb" '%+d kB')" \
    "none (<= $growth_slack_kb kB)" "$(met "$growth_kb" '<=' "$growth_slack_kb")"
  row "Launch to first painted window (median of $paint_runs)" "$(fmt "$paint_ms" '%.0f ms')" \
    "<= 500 ms" "$(met "$paint_ms" '<=' 500)"
  row "  same, controller silent (no first reply to read)" "$(fmt "$paint_mute_ms" '%.0f ms')" \
    "(information)" ""
  row "Hamlib rotctl CPU per position poll (same pty, 9600 baud)" \
    "$(fmt "$rotctl_ms" '%.3f ms')" "(reference)" ""
  row "Ours / rotctl, CPU per poll" "$(fmt "$ratio" '%.2f')" "<= 1" "$(met "$ratio" '<=' 1)"
  row "  radar redraw in the shown window, antenna moved, cold" "$(fmt "$redraw_ms" '%.3f ms')" \
    "(information)" ""
  row "  ours without that redraw / rotctl" "$(fmt "$bare_ratio" '%.2f')" "(information)" ""
  echo
  echo "Details"
  echo "  tick: timer $(value timer_cpu_us_mean "$t") us + receive $(value receive_cpu_us_mean "$t") us" \
    "- waits $(value wait_cpu_us_mean "$t") us" \
    "(means); p90 $(value tick_cpu_us_p90 "$t") us, max $(value tick_cpu_us_max "$t") us;" \
    "$(value ticks_with_one_reply "$t") of $(value ticks "$t") ticks read one reply;" \
    "receive handling lasts $(value receive_wall_ms_mean "$t") ms (its 0.1 s settle sleeps)"
  echo "  wait_busy(0.3 s) lasted $(value wait_busy_wall_ms_mean "$t") ms; a bare 0.3 s" \
    "nanosleep costs up to $(value bare_sleep_cpu_us_max "$t") us here"
  echo "  launches: $(all_ms "$work/paint.paint") ms; with a silent controller:" \
    "$(all_ms "$work/paint-mute.paint") ms"
  echo "  idle: $(fmt "$idle_fine_pct" '%.3f %%') by the threads' run time in ns; VmRSS $idle_rss_kb kB"
  echo "  tracking: $moves move commands, $polls polls; CPU $(fmt "$tracking_pct" '%.2f %%') of a core;" \
    "VmRSS by minute (kB): $(awk '{ printf "%s%s", (NR > 1 ? " " : ""), $2 }' "$work/memory.tsv")"
}

# Only the tick against rotctl's poll, for trying a change to the cycle.
tick_report() {
  local t=$work/tick.out tick_ms rotctl_ms redraw_ms
  tick_figures
  echo "load average at start $load_before, at end $(cut -d' ' -f1-3 /proc/loadavg)"
  echo "CPU per tick $(fmt "$tick_ms" '%.3f ms'), rotctl per poll $(fmt "$rotctl_ms" '%.3f ms')," \
    "ours/rotctl $(awk -v a="$tick_ms" -v b="$rotctl_ms" 'BEGIN { printf "%.2f", a / b }')"
  echo "  timer $(value timer_cpu_us_mean "$t") us + receive $(value receive_cpu_us_mean "$t") us" \
    "- waits $(value wait_cpu_us_mean "$t") us (means); redraw $(fmt "$redraw_ms" '%.3f ms')"
}

build_all
# Every Qt program of the run uses this bus, so none of them starts a bus of its own.
start_bus
start_display
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
measure_ticks
if $only_ticks; then
  tick_report
  exit 0
fi
measure_radar
measure_first_paint
measure_idle
measure_tracking
report
