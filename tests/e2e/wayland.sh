#!/usr/bin/env bash
# Dayvane in Wayland sessions.
# 1. Native, under headless weston (QT_QPA_PLATFORM=wayland): it starts,
#    shows its window since there is no tray, keeps its placement as far as
#    the compositor lets a client (size and state; the position, which a
#    Wayland client is not told, stays as it was stored), and ends in order
#    on SIGTERM. (Weston takes no synthetic input, so dates and menus are not
#    used here.)
# 2. In a session with Xwayland (KWin on a virtual screen, which keeps the
#    positions X clients ask for), with QT_QPA_PLATFORM unset: Dayvane runs
#    as an X client, and its window opens again where it was left.
set -u
. "$(dirname "$0")/app.sh"
unset DISPLAY
export QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY="wayland-dv-$$"
e2e_spawn weston weston --backend=headless-backend.so --use-pixman --debug \
  --socket="$WAYLAND_DISPLAY" --width=1024 --height=768 --idle-time=0
weston=$E2E_LAST_PID
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
# wl_count NAME COLOUR [WxH+X+Y]: how many pixels of the screenshot (or of
# that part of it) have that colour.
wl_count() {
  convert "$E2E_ARTIFACTS/$1.png" ${3:+-crop "$3" +repage} -alpha off -fill black +opaque "$2" \
    -fill white -opaque "$2" -colorspace gray -format '%[fx:int(mean*w*h+0.5)]' info:
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
e2e_kill "$weston"

# 2. Xwayland under KWin. The position that the native runs left alone is
# the one this run opens at.
e2e_start_kwin || { e2e_fail "KWin with Xwayland starts"; e2e_summary; exit 1; }
unset QT_QPA_PLATFORM
# (Xwayland names its outputs XWAYLAND0, ...)
e2e_check "the X server is Xwayland" eval 'xrandr --query | grep -q "^XWAYLAND[0-9]* connected"'
# kwin_shown NAME X Y W H: the dates are on KWin's screen, all of them
# inside that rectangle.
kwin_shown() {
  local all
  e2e_kwin_shot "$1" || return 1
  all=$(wl_count "$1" '#0000A0')
  [ "$all" -gt 50 ] && [ "$(wl_count "$1" '#0000A0' "${4}x${5}+${2}+${3}")" = "$all" ]
}
# kwin_main: starts Dayvane and waits until its window is shown.
kwin_main() {
  dv_start
  main=$(dv_main_window) && e2e_wait_for 10 e2e_is_mapped "$main" &&
    dv_wait_trace "shown frmMain" 1
}
want="$(($(dv_setting Left) / 15)) $(($(dv_setting Top) / 15))"
if ! kwin_main; then
  e2e_fail "with QT_QPA_PLATFORM unset it runs as an X client of Xwayland"
  e2e_summary; exit 1
fi
e2e_ok "with QT_QPA_PLATFORM unset it runs as an X client of Xwayland"
e2e_check "and leaves QT_QPA_PLATFORM unset for the programs it starts" \
  eval "! tr '\\0' '\\n' </proc/$DV_PID/environ | grep -q '^QT_QPA_PLATFORM='"
e2e_wait_for 5 eval '[ "$(dv_frame "$main" | cut -d" " -f1-2)" = "$want" ]'
read -r fx fy fw fh <<<"$(dv_frame "$main")"
e2e_check "it opens at the stored position $want ($fx $fy)" test "$fx $fy" = "$want"
e2e_check "and KWin shows it there" kwin_shown 10-xwayland-opened "$fx" "$fy" "$fw" "$fh"
placed=$(e2e_geometry "$main")
xdotool windowmove "$main" 420 300
e2e_wait_settled "$main" "$placed"
before=$(dv_frame "$main")
e2e_check "xdotool moves it ($before)" test "$before" != "$fx $fy $fw $fh"
read -r fx fy fw fh <<<"$before"
e2e_check "the moved window is on KWin's screen" kwin_shown 11-xwayland-moved "$fx" "$fy" "$fw" "$fh"
kill -TERM "$DV_PID"
dv_wait_exit 5
e2e_check "SIGTERM ends it with status 0 (got ${DV_STATUS:-none})" test "${DV_STATUS:-1}" = 0
e2e_check "the store holds the moved frame ($(dv_setting Left) $(dv_setting Top))" \
  test "$(dv_setting Left)$(dv_setting Top)" = " $((fx * 15)) $((fy * 15))"
kwin_main || e2e_fail "started again, it shows its window on Xwayland"
e2e_wait_for 5 eval '[ "$(dv_frame "$main")" = "$before" ]'
e2e_check "started again, the frame is where it was left ($(dv_frame "$main") / $before)" \
  test "$(dv_frame "$main")" = "$before"
e2e_check "and KWin shows it there" kwin_shown 12-xwayland-reopened "$fx" "$fy" "$fw" "$fh"
kill -TERM "$DV_PID"
dv_wait_exit 5
e2e_summary
