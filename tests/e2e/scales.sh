#!/usr/bin/env bash
# Device pixels at every scale: the same screen (2560 x 1600) made 192 dpi in
# three ways (Xft.dpi 192; Xft.dpi 96 with QT_SCALE_FACTOR=2; Xft.dpi 192
# with Qt's scaling off) gives a 650 x 402 pixel calendar area, and a moved
# window reopens on the same pixels; QT_SCALE_FACTOR=1.5 at 96 dpi (144 dpi)
# gives 488 x 302. A day with a note is drawn heavier at each.
set -u
. "$(dirname "$0")/app.sh"
export E2E_SCREEN=2560x1600x24 E2E_DPI=96
dv_desktop
export QT_USE_NATIVE_WINDOWS=1

# The client area below the menu bar (a native child window).
client_area() {
  xwininfo -id "$1" -children | awk '/^ +0x/ && match($0, /[0-9]+x[0-9]+\+0\+[1-9][0-9]* /) {
      split(substr($0, RSTART, RLENGTH), g, /[x+ ]/); print g[1] "x" g[2]; exit }'
}

# check_scale NAME DPI CLIENT ENV...: at Xft.dpi DPI with ENV, the client
# area is CLIENT, and a moved window comes back on the same pixels.
check_scale() {
  local name=$1 dpi=$2 want=$3 main placed moved back
  shift 3
  echo "Xft.dpi: $dpi" | xrdb -merge
  rm -f "$DV_CONF"
  env "$@" true && export "$@"
  dv_start
  dv_skip_splash
  main=$(dv_main_window)
  dv_show "$main"
  e2e_wait_for 5 eval '[ -n "$(client_area "$main")" ]'
  e2e_shot "$name"
  e2e_check "$name: the calendar area is $want ($(client_area "$main"))" \
    test "$(client_area "$main")" = "$want"
  # A note for the 12th (the 13th on the 12th, which is selected) makes it bold.
  local plain="$E2E_ARTIFACTS/$name-plain.png" bold="$E2E_ARTIFACTS/$name-bold.png"
  local note
  note="$DV_HOME/$(date +%-m)-$(($(date +%-d) == 12 ? 13 : 12))-$(date +%Y).txt"
  xdotool mousemove 0 0
  dv_shot "$main" "$plain"
  echo bold >"$note"
  e2e_wait_for 3 eval 'dv_shot "$main" "$bold" && dv_changed "$plain" "$bold"'
  e2e_check_bold "$name" "$plain" "$bold"
  rm "$note"
  placed=$(e2e_geometry "$main")
  xdotool windowmove "$main" 301 203
  e2e_wait_settled "$main" "$placed"
  moved=$(dv_frame "$main")
  dv_quit
  dv_start
  dv_skip_splash
  main=$(dv_main_window)
  dv_show "$main"
  e2e_wait_for 5 eval '[ "$(dv_frame "$main")" = "$moved" ]'
  back=$(dv_frame "$main")
  e2e_check "$name: reopened on the same pixels ($moved / $back)" test "$moved" = "$back"
  kill -TERM "$DV_PID"
  dv_wait_exit 5
  local variable
  for variable in "$@"; do unset "${variable%%=*}"; done
}

check_scale xft-192 192 650x402 DAYVANE_SCALE_CASE=1
check_scale qt-scale-factor-2 96 650x402 QT_SCALE_FACTOR=2
check_scale qt-scaling-off-192 192 650x402 QT_ENABLE_HIGHDPI_SCALING=0
check_scale qt-scale-factor-1.5 96 488x302 QT_SCALE_FACTOR=1.5
e2e_summary
