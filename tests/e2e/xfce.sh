#!/usr/bin/env bash
# Dayvane on a real Xfce desktop (xfwm4, and xfce4-panel whose notification
# area hosts StatusNotifierItems) on its own session bus, at the resolution
# in E2E_DPI (96 or 192; the screen in E2E_SCREEN): the splash without a task
# bar entry, the icon over SNI with its exported Quit menu, the window's
# device-pixel size, a frame that stays put across restarts, the editor's
# window, today's note by the host's SecondaryActivate, SIGHUP, and the
# panel dying while the window is hidden.
set -u
. "$(dirname "$0")/lib.sh"
e2e_session_bus "$@"
. "$(dirname "$0")/app.sh"
e2e_start_x && e2e_start_xfce || exit 1
scale=$((${E2E_DPI:-96} / 96))
read -r screen_w screen_h < <(xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\) .*/\1 \2/p')
# The real editor of this desktop, as the default for plain text.
printf '[Default Applications]\ntext/plain=org.xfce.mousepad.desktop\n' \
  >"$XDG_CONFIG_HOME/mimeapps.list"

# dv_frame_of WID: the frame rectangle; dv_client_area WID: the client area
# below the menu bar (a native child window with QT_USE_NATIVE_WINDOWS).
dv_client_area() {
  [ -n "${1:-}" ] || return 1  # xwininfo without an id waits for a click
  xwininfo -id "$1" -children | awk '/^ +0x/ && match($0, /[0-9]+x[0-9]+\+0\+[1-9][0-9]* /) {
      split(substr($0, RSTART, RLENGTH), g, /[x+ ]/); print g[1] "x" g[2]; exit }'
}
export QT_USE_NATIVE_WINDOWS=1

# 1. The splash has no task bar entry.
dv_start
splash=$(e2e_wait_window '^Form1$' 10)
e2e_shot 01-splash
e2e_check "the splash asks to stay out of the task bar" \
  eval "xprop -id $splash _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR"
e2e_wait_for 3 eval '[ "$(xdotool getwindowfocus)" = "$splash" ]'
xdotool key space
e2e_wait_gone "$splash" 5
main=$(dv_main_window)

# 2. The icon registers over SNI with its Quit menu; a left click on it in
# the panel (the host's Activate) shows the window.
e2e_check "the icon registers over StatusNotifierItem" e2e_wait_for 10 e2e_sni item
e2e_check "as \"Dayvane\", titled so" test "$(e2e_sni prop Id) $(e2e_sni prop Title)" = "Dayvane Dayvane"
e2e_check "with an exported menu (Menu is $(e2e_sni prop Menu))" \
  test "$(e2e_sni prop Menu)" != /NO_DBUSMENU
e2e_check "whose one item is \"Quit\" ($(e2e_sni menu | tr '\n' ' '))" test "$(e2e_sni menu)" = Quit
e2e_wait_for 10 e2e_panel_icon_pos
read -r ix iy < <(e2e_panel_icon_pos)
e2e_shot 02-icon-in-panel
e2e_check "the icon is drawn in the panel (at ${ix:-?},${iy:-?})" test -n "${ix:-}"
xdotool mousemove "$ix" "$iy" click 1
# Not found while hidden (a slow start): the window that the click shows.
[ -n "$main" ] || main=$(e2e_wait_window '^Dayvane v2\.0$' 5)
e2e_wait_for 5 e2e_is_mapped "$main"
e2e_check "a click on the icon shows \"Dayvane v2.0\"" e2e_is_mapped "$main"
e2e_wait_for 5 eval '[ "$(xdotool getactivewindow)" = "$main" ]'
e2e_check "and activates it" test "$(xdotool getactivewindow)" = "$main"
e2e_wait_for 5 eval '[ -n "$(dv_client_area "$main")" ]'
e2e_shot 03-shown
want="$((325 * scale))x$((201 * scale))"
e2e_check "the client area is $want device pixels ($(dv_client_area "$main"))" \
  test "$(dv_client_area "$main")" = "$want"

# 3. The panel's own menu (right button) has Quit, which asks "Confirm Exit";
# No keeps the program.
xdotool mousemove "$ix" "$iy" click 3
e2e_wait_popup 5 >/dev/null
e2e_shot 04-panel-menu
xdotool key Down Return
box=$(e2e_wait_window '^Confirm Exit$' 5)
e2e_shot 05-confirm-exit
e2e_check "Quit in the panel's menu asks \"Confirm Exit\"" test -n "$box"
dv_answer_no "$box"

# 4. Moved, then ended by SIGHUP: status 0 and the moved frame saved; the
# frame is the same after each of three restarts.
placed=$(dv_frame "$main")
xdotool windowmove "$main" $((120 * scale + 1)) $((90 * scale + 1))
e2e_wait_for 5 eval '[ "$(dv_frame "$main")" != "$placed" ]'
before=$(dv_frame "$main")
kill -HUP "$DV_PID"
dv_wait_exit 2
e2e_check "SIGHUP ends the program with status 0 (got ${DV_STATUS:-none})" test "${DV_STATUS:-1}" = 0
tpp=$(awk -v d="${E2E_DPI:-96}" 'BEGIN { print 1440 / d }')
saved_left=$(awk -v x="$(cut -d' ' -f1 <<<"$before")" -v t="$tpp" 'BEGIN { print x * t }')
e2e_check "the moved frame was saved (Left $(dv_setting Left), frame $before)" \
  test "$(dv_setting Left)" = " $saved_left"
for run in 1 2 3; do
  dv_start
  dv_skip_splash
  main=$(dv_main_window)
  e2e_wait_for 10 e2e_sni item
  e2e_sni activate
  e2e_wait_for 5 e2e_is_mapped "$main"
  e2e_wait_for 5 eval '[ "$(dv_frame "$main")" = "$before" ]'
  e2e_check "restart $run: the frame is where it was ($(dv_frame "$main") / $before)" \
    test "$(dv_frame "$main")" = "$before"
  [ "$run" = 3 ] || { kill -TERM "$DV_PID"; dv_wait_exit 2; }
done
e2e_shot 06-restored

# 5. A date opens the real editor at the screen's top-left corner, a third
# of the screen wide and two fifths high (device pixels), or as narrow as
# the editor allows when that is wider.
dv_double_click_date "$main"
editor=''
e2e_wait_for 15 eval 'editor=$(xdotool search --onlyvisible --class mousepad | head -n1); [ -n "$editor" ]'
xprop -id "$editor" WM_NORMAL_HINTS >>"$E2E_ARTIFACTS/editor-hints.txt"
min_w=$(xprop -id "$editor" WM_NORMAL_HINTS | sed -n 's/.*minimum size: \([0-9]*\) by.*/\1/p')
read -r _ _ _ _ _ _ _ _ l r _ < <(e2e_geometry "$editor")
want_w=$(awk -v w="$screen_w" -v m="${min_w:-0}" -v f=$((l + r)) \
  'BEGIN { w = int(w / 3 + 0.5); if (m + f > w) w = m + f; print w }')
want="0 0 $want_w $(awk -v h="$screen_h" 'BEGIN { printf "%d", h / 2.5 + 0.5 }')"
e2e_wait_for 5 eval '[ "$(dv_frame "$editor")" = "$want" ]'
e2e_shot 07-editor
e2e_check "the editor's window is at $want ($(dv_frame "$editor" 2>/dev/null))" \
  test "$(dv_frame "$editor" 2>/dev/null)" = "$want"
e2e_check "with the day's notes file" eval '[ -n "$(dv_notes)" ]'
pkill -x mousepad

# The host's SecondaryActivate (a middle click on the icon) opens today's
# note (in the stub editor from here on).
e2e_stub_editor
dv_check_today_note e2e_sni secondary
e2e_editor_kill

# 6. The panel dies while the window is hidden: the window is shown; the
# panel comes back and so does the icon, the window stays.
xdotool windowminimize "$main"
e2e_wait_for 5 eval "[ \"\$(e2e_wm_state $main)\" = Withdrawn ]"
e2e_check "minimised, the window is hidden" test "$(e2e_wm_state "$main")" = Withdrawn
e2e_stop_panel
e2e_wait_for 5 e2e_is_mapped "$main"
e2e_shot 08-panel-gone
e2e_check "with the panel gone the window is shown" e2e_is_mapped "$main"
e2e_start_panel
e2e_check "the panel back, the icon registers again" e2e_wait_for 10 e2e_sni item
e2e_check "and the window stays" e2e_is_mapped "$main"
e2e_shot 09-panel-back

kill -TERM "$DV_PID"
dv_wait_exit 2
e2e_check "SIGTERM ends it with status 0 (got ${DV_STATUS:-none})" test "${DV_STATUS:-1}" = 0
e2e_summary
