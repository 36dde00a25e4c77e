#!/usr/bin/env bash
# A smoke run under a Wayland compositor (headless weston): Dayvane starts,
# shows its window since there is no tray, keeps its placement as far as the
# compositor lets a client (size and state; the position, which a Wayland
# client is not told, stays as it was stored), and ends in order on SIGTERM. (Weston takes no
# synthetic input, so dates and menus are not used here.)
set -u
. "$(dirname "$0")/app.sh"
unset DISPLAY
export QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY="wayland-dv-$$"
e2e_spawn weston weston --backend=headless-backend.so --use-pixman --debug \
  --socket="$WAYLAND_DISPLAY" --width=1024 --height=768 --idle-time=0
e2e_wait_for 10 test -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" || { e2e_log "weston did not start"; exit 1; }

# wl_shot NAME: the compositor's screen to $E2E_ARTIFACTS/NAME.png.
wl_shot() {
  local dir="$E2E_TMP/shots" file
  mkdir -p "$dir"
  rm -f "$dir"/*.png
  (cd "$dir" && weston-screenshooter >/dev/null 2>&1) || return 1
  file=$(ls "$dir"/*.png 2>/dev/null | head -n1)
  [ -n "$file" ] && mv "$file" "$E2E_ARTIFACTS/$1.png"
}
# wl_count NAME COLOUR: how many pixels of the screenshot have that colour.
wl_count() {
  convert "$E2E_ARTIFACTS/$1.png" -alpha off -fill black +opaque "$2" -fill white -opaque "$2" \
    -colorspace gray -format '%[fx:int(mean*w*h+0.5)]' info:
}
# The calendar's dates are dark blue (0,0,160) on the main window.
calendar_shown() { wl_shot "$1" && [ "$(wl_count "$1" '#0000A0')" -gt 50 ]; }

mkdir -p "$(dirname "$DV_CONF")"
printf '[frmMain]\nWindowState=" 0"\nLeft=" 3015"\nTop=" 1830"\nWidth=" 4905"\nHeight=" 3660"\n' >"$DV_CONF"
for run in 1 2; do
  dv_start
  e2e_wait_for 15 calendar_shown "0$run-shown"
  e2e_check "run $run: without a tray the window is shown" calendar_shown "0$run-shown"
  e2e_check "run $run: still running" dv_running
  e2e_check "run $run: no error box" eval '! grep -q "Run-time error" "$E2E_ARTIFACTS/dayvane-$DV_RUNS.log"'
  kill -TERM "$DV_PID"
  dv_wait_exit 5
  e2e_check "run $run: SIGTERM ends it with status 0 (got ${DV_STATUS:-none})" \
    test "${DV_STATUS:-1}" = 0
  e2e_check "run $run: the placement was saved" test -n "$(dv_setting Width)"
  e2e_check "run $run: the stored position is untouched ($(dv_setting Left) $(dv_setting Top))" \
    test "$(dv_setting Left)$(dv_setting Top)" = " 3015 1830"
done
e2e_summary
