#!/usr/bin/env bash
# Dayvane on a real KDE Plasma 5 desktop (KWin, and plasmashell whose system
# tray hosts StatusNotifierItems) on its own session bus, at the resolution
# in E2E_DPI (the screen in E2E_SCREEN), in a KDE session as Qt sees it:
# the icon in the panel's tray, one click on it shows the window, the tray's
# menu with Quit, a frame that stays the same across restarts, and a date
# that opens its notes on a double click only, whatever KDE's single-click
# setting (which is for file managers) says.
set -u
. "$(dirname "$0")/lib.sh"
e2e_session_bus "$@"
. "$(dirname "$0")/app.sh"
e2e_start_x && e2e_start_kde || exit 1
e2e_stub_editor
read -r screen_w _ < <(xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\) .*/\1 \2/p')

# The tray is at the right end of the panel, next to the clock.
tray_left=$((screen_w * 3 / 4))
kde_icon_pos() { e2e_panel_icon_pos "$tray_left" $((screen_w - tray_left)); }
# kde_click_icon BUTTON: clicks the program's icon in the tray.
kde_click_icon() {
  local ix iy
  e2e_wait_for 10 kde_icon_pos || { e2e_log "no icon in the tray"; return 1; }
  read -r ix iy < <(kde_icon_pos)
  xdotool mousemove "$ix" "$iy" sleep 0.2 click "$1"
}
# kde_quit_menu: opens the tray's menu of the icon and takes its item
# (Quit); prints the "Confirm Exit" box.
kde_quit_menu() {
  kde_click_icon 3 || return 1
  e2e_wait_popup 5 >/dev/null || return 1
  e2e_shot "$1"
  xdotool key Down Return
  e2e_wait_window '^Confirm Exit$' 5
}
# kde_keep_trace: the ended run's milestones, kept in trace.txt.
kde_keep_trace() { { echo "# run $DV_RUNS"; cat "$DAYVANE_TRACE"; } >>"$E2E_ARTIFACTS/trace.txt"; }
# kde_start: starts the program, past its splash, and shows its window
# with one left click on the icon in the tray.
kde_start() {
  dv_start
  dv_skip_splash
  main=$(dv_main_window)
  e2e_wait_for 10 e2e_sni item
  kde_click_icon 1
  e2e_wait_for 5 e2e_is_mapped "$main"
}

# 1. The icon registers over SNI and is drawn in the panel's tray.
dv_start
dv_skip_splash
main=$(dv_main_window)
e2e_check "the icon registers over StatusNotifierItem" e2e_wait_for 10 e2e_sni item
e2e_check "as \"Dayvane\", titled so" test "$(e2e_sni prop Id) $(e2e_sni prop Title)" = "Dayvane Dayvane"
e2e_wait_for 10 kde_icon_pos
read -r ix iy < <(kde_icon_pos)
e2e_shot 01-icon-in-tray
e2e_check "the icon is drawn in the panel's tray (at ${ix:-?},${iy:-?})" test -n "${ix:-}"

# 2. One left click on it shows "Dayvane v2.0"; the tray's menu (right
# button) has Quit, which asks "Confirm Exit"; No keeps the program.
kde_click_icon 1
e2e_wait_for 5 e2e_is_mapped "$main"
e2e_check "one click on the icon shows \"Dayvane v2.0\"" e2e_is_mapped "$main"
e2e_wait_for 5 eval '[ "$(xdotool getactivewindow)" = "$main" ]'
e2e_shot 02-shown
box=$(kde_quit_menu 03-tray-menu)
e2e_shot 04-confirm-exit
e2e_check "Quit in the tray's menu asks \"Confirm Exit\"" test -n "$box"
dv_answer_no "$box"

# 3. The frame is the same after each of five restarts: ended by SIGTERM,
# or (the third) by Quit and Yes, started again, shown from the icon.
before=$(dv_frame "$main")
# kde_note_frame LABEL: the frame, KWin's frame extents (left right top
# bottom) and the stored place (twips), in frames.txt.
kde_note_frame() {
  local l r t b
  read -r _ _ _ _ _ _ _ _ l r t b <<<"$(e2e_geometry "$main")"
  echo "$1: frame $(dv_frame "$main"), extents $l $r $t $b;" \
    "stored Left$(dv_setting Left) Top$(dv_setting Top) Width$(dv_setting Width)" \
    "Height$(dv_setting Height)" >>"$E2E_ARTIFACTS/frames.txt"
}
: >"$E2E_ARTIFACTS/frames.txt"
kde_note_frame start
for run in 1 2 3 4 5; do
  if [ "$run" = 3 ]; then
    box=$(kde_quit_menu "05-tray-menu-$run")
    timeout 5 xdotool windowactivate --sync "$box" key Return
  else
    kill -TERM "$DV_PID"
  fi
  dv_wait_exit 10
  kde_keep_trace
  e2e_check "restart $run: ended with status 0 (got ${DV_STATUS:-none})" test "${DV_STATUS:-1}" = 0
  kde_start
  e2e_wait_for 5 eval '[ "$(dv_frame "$main")" = "$before" ]'
  kde_note_frame "restart $run"
  e2e_check "restart $run: the frame is where it was ($(dv_frame "$main") / $before)" \
    test "$(dv_frame "$main")" = "$before"
done
e2e_shot 06-restored

# 4. One click on a date only selects it; a double click opens its notes.
dv_click_date "$main"
e2e_check "one click on a date creates no notes file and starts no editor" \
  e2e_stays 2 eval '[ -z "$(dv_notes)" ] && [ "$(e2e_editor_calls)" = 0 ]'
e2e_shot 07-one-click
calls=$(e2e_editor_calls)
dv_double_click_date "$main"
e2e_wait_for 5 eval '[ "$(e2e_editor_calls)" -gt "$calls" ]'
e2e_check "a double click on it opens the editor" test "$(e2e_editor_calls)" -gt "$calls"
e2e_check "with the day's notes file ($(dv_notes))" eval '[ -n "$(dv_notes)" ]'

kill -TERM "$DV_PID"
dv_wait_exit 2
e2e_check "SIGTERM ends it with status 0 (got ${DV_STATUS:-none})" test "${DV_STATUS:-1}" = 0
kde_keep_trace
e2e_summary
