# shellcheck shell=bash
# Sourced by the scripts that drive azelrot's main window with xdotool: places come from the
# program itself (azelrot --print-layout: "name x y w h" in client-area pixels, then the
# caption, if any), never copied.
#   layout_load PROGRAM WINDOW   reads the layout and the window's geometry
#   layout_middle NAME           prints the control's middle in screen pixels: "x y"
#   layout_point NAME DX DY      prints a point DX, DY pixels from the control's middle

layout_load() {
  # shellcheck disable=SC2034  # xdotool sets them all
  local X Y WIDTH HEIGHT SCREEN WINDOW
  layout_text=$("$1" --print-layout) || return 1
  eval "$(xdotool getwindowgeometry --shell "$2")"
  local client_height
  client_height=$(awk '$1 == "client" { print $5 }' <<<"$layout_text")
  [[ -n $client_height ]] || return 1
  # No window manager: the window's top-left is its menu bar's; the client area lies below
  # (MENU_HEIGHT overrides the bar's height).
  layout_x=$X
  layout_y=$((Y + ${MENU_HEIGHT:-$((HEIGHT - client_height))}))
}

layout_point() {
  awk -v n="$1" -v x="$layout_x" -v y="$layout_y" -v dx="${2:-0}" -v dy="${3:-0}" \
    '$1 == n { print x + $2 + int($4 / 2) + dx, y + $3 + int($5 / 2) + dy; found = 1 }
     END { exit !found }' <<<"$layout_text"
}

layout_middle() { layout_point "$1" 0 0; }
