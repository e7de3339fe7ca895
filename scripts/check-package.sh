#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh) and checks it as an operator meets it: its
# files, its dependencies and menu entry, and the program unpacked into an empty root and
# started on a private X server with an empty home, where its settings must land in
# ~/.config/azelrot; beside an azelrot.ini the installed program keeps its station folder.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/xvfb.sh
# shellcheck source=scripts/window-layout.sh
. scripts/window-layout.sh
deb=$(bash scripts/package.sh)
work=$(mktemp -d)
cleanup() {
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "package check: $*" >&2; exit 1; }

[[ $(basename "$deb") =~ ^azelrot_[0-9.]+_amd64\.deb$ ]] || fail "unexpected file name $deb"
expected='./usr/bin/azelrot
./usr/bin/gs232b-sim
./usr/bin/orbx-sim
./usr/bin/track-bridge
./usr/lib/systemd/user/track-bridge.service
./usr/share/applications/azelrot.desktop
./usr/share/doc/azelrot/track-bridge.conf.example
./usr/share/icons/hicolor/scalable/apps/azelrot.svg'
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
[[ $files == "$expected" ]] || fail "files differ:"$'\n'"$(diff <(echo "$expected") <(echo "$files"))"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "no library dependencies"
dpkg-deb -f "$deb" Recommends | grep -q 'fonts-noto-cjk' || fail "fonts-noto-cjk not recommended"

root=$work/root
dpkg -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/azelrot.desktop" || fail "menu entry invalid"

start_xvfb 1024x768x24 || fail "Xvfb did not start"

# Starts the unpacked program with HOME=$1, waits for its main window and ends it with 終了,
# answering any message box on the way.
run_unpacked() {
  local home=$1 pid main='' w name
  env -i PATH=/usr/bin:/bin HOME="$home" DISPLAY="$DISPLAY" LANG=C.UTF-8 QT_QPA_PLATFORM=xcb \
    dbus-run-session -- "$root/usr/bin/azelrot" >"$work/out" 2>&1 &
  pid=$!
  for _ in $(seq 150); do
    for w in $(xdotool search --onlyvisible --class azelrot 2>/dev/null); do
      name=$(xdotool getwindowname "$w" 2>/dev/null) || continue
      if [[ $name == ＡＺＥＬＲＯＴ* ]]; then main=$w; else xdotool key --window "$w" Return; fi
    done
    [[ -n $main ]] && break
    sleep 0.1
  done
  [[ -n $main ]] || { cat "$work/out" >&2; fail "no window with HOME=$home"; }
  # 終了, where the program says it is.
  layout_load "$root/usr/bin/azelrot" "$main" || fail "no layout from the program"
  # shellcheck disable=SC2046
  xdotool mousemove $(layout_middle Command3) click 1
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && { kill "$pid"; fail "the program did not end after 終了"; }
  wait "$pid" || true
}

# Installed, no settings yet: the per-user folder, even for root.
mkdir "$work/home"
run_unpacked "$work/home"
grep -q '^GS232B_TOP_LEFT=' "$work/home/.config/azelrot/azelrot.ini" 2>/dev/null ||
  fail "no settings in the empty home's .config/azelrot"
[[ ! -e $root/usr/bin/azelrot.ini ]] || fail "settings written beside the installed program"

# A station folder holding azelrot.ini keeps it.
printf '[GS232B]\nTIMER=1\n' >"$root/usr/bin/azelrot.ini"
mkdir "$work/home2"
run_unpacked "$work/home2"
grep -q '^GS232B_TOP_LEFT=' "$root/usr/bin/azelrot.ini" || fail "the station folder's settings were not kept"
[[ ! -e $work/home2/.config/azelrot/azelrot.ini ]] || fail "settings went to the home beside a station's azelrot.ini"

echo "package check: $(basename "$deb") ($(stat -c %s "$deb") bytes) ok"
