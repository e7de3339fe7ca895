#!/usr/bin/env bash
# Screenshots of the main window and the About box on a private X server, into shots/.
# Needs Xvfb, xdotool and ImageMagick (scripts/install-deps.sh installs them) and a built
# program in build/ (BUILD_DIR overrides).
set -euo pipefail
# The window is looked for by its Japanese title: the locale must not choose English.
export LANG=C.UTF-8
unset LC_ALL LC_MESSAGES
cd "$(dirname "$0")/.."
root=$PWD
exe=$root/${BUILD_DIR:-build}/src/azelrot
[[ -x $exe ]] || { echo "build the program first: $exe" >&2; exit 1; }
mkdir -p shots

source scripts/lib/xvfb.sh
need_tools Xvfb xdotool import

station=$(mktemp -d)
app_pid=''
cleanup() {
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null || true
  stop_xvfb
  rm -rf "$station"
}
trap cleanup EXIT

start_xvfb 1024x768x24

# A station folder of its own, so no settings or log of another run are used or touched.
cp "$exe" "$station/"
(cd "$station" && exec env -u QT_QPA_PLATFORM ./azelrot) >"$station/out.log" 2>&1 &
app_pid=$!

# The main window's title; waits until it is mapped.
wait_window() {
  local name=$1
  for _ in $(seq 100); do
    local id
    id=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -n1) || true
    [[ -n $id ]] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Start-up may report that the controller cannot be reached; that box is dismissed first.
sleep 1.5
if box=$(xdotool search --onlyvisible --name '^azelrot$' 2>/dev/null | head -n1) && [[ -n $box ]]; then
  # No window manager here: focus the box directly and press its OK button's key.
  xdotool windowfocus --sync "$box"
  xdotool key Return
fi

main=$(wait_window 'ＡＺＥＬＲＯＴ')
sleep 0.5
import -window root shots/main_window.png
import -window "$main" shots/main_window_only.png

# ヘルプ -> バージョン: open the second menu of the bar, then pick its second entry.
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove $((X + 55)) $((Y + 10)) click 1
sleep 0.5
xdotool key Down Down Return
about=$(wait_window 'バージョン情報')
sleep 0.5
import -window root shots/about_box.png
import -window "$about" shots/about_box_only.png

echo "screenshots in $root/shots"
