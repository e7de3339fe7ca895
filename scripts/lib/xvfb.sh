# Sourced by the scripts that need a private display or outside tools.
#
#   need_tools NAME...   a missing tool skips the script (exit 77), or fails it where tools are
#                        required (AZELROT_E2E_REQUIRED, as scripts/test.sh sets); names it
#   tools_missing NAME.. the same for tools the script looked for itself
#   start_xvfb [SCREEN] [NUMBER]
#                        a private X server on a free display (or on display NUMBER);
#                        exports DISPLAY, sets xvfb_pid
#   stop_xvfb            ends it (call from the script's EXIT trap)

need_tools() {
  local missing=() tool
  for tool in "$@"; do command -v "$tool" >/dev/null 2>&1 || missing+=("$tool"); done
  ((${#missing[@]} == 0)) || tools_missing "${missing[@]}"
}

tools_missing() {
  if [[ -n ${AZELROT_E2E_REQUIRED:-} ]]; then
    echo "FAIL: missing $* (bash scripts/install-deps.sh installs them)"
    exit 1
  fi
  echo "skipped: missing $* (bash scripts/install-deps.sh installs them)"
  exit 77
}

xvfb_pid=''

start_xvfb() {
  local screen=${1:-1024x768x24} fixed=${2:-} attempt n number_file
  need_tools Xvfb
  number_file=$(mktemp)
  # Xvfb's own choice (-displayfd alone) is the lowest free number, which a server that has
  # just ended may still be giving up. A number drawn from a wide range seldom meets one.
  for attempt in 1 2 3 4 5 6 7 8; do
    n=${fixed:-$((200 + RANDOM % 800))}
    [[ -n $fixed && $attempt -gt 1 ]] && break
    [[ -z $fixed ]] && [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    : >"$number_file"
    Xvfb ":$n" -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$number_file" \
      2>/dev/null &
    xvfb_pid=$!
    # The number comes once it takes connections; a number in use ends it instead.
    for _ in $(seq 100); do
      [[ -s $number_file ]] && break
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    if [[ $(head -n1 "$number_file") == "$n" ]]; then
      rm -f "$number_file"
      export DISPLAY=:$n
      return 0
    fi
    stop_xvfb
  done
  rm -f "$number_file"
  echo "Xvfb did not start" >&2
  return 1
}

stop_xvfb() {
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
  [[ -n $xvfb_pid ]] && wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=''
  return 0
}
