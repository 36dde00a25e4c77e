#!/usr/bin/env bash
# Dayvane on a real GNOME Shell desktop (X11, Mesa's software renderer) with
# the AppIndicator extension as its tray host, on its own session bus, at the
# resolution in E2E_DPI (96 or 192; the screen in E2E_SCREEN): the icon in
# the top bar, which shows the window on a double click and opens its menu
# on one; a frame that stays put across minimise/show and across a restart;
# Quit and its question; one click on a date against a double click.
set -u
. "$(dirname "$0")/lib.sh"
e2e_session_bus "$@"
. "$(dirname "$0")/app.sh"
e2e_start_x && e2e_start_gnome || exit 1
e2e_stub_editor
scale=$((${E2E_DPI:-96} / 96))

# dv_placement_log: the program's own corrections of its placement (this run).
dv_placement_log() { grep placement "$DAYVANE_TRACE" | tr '\n' ';'; }

# dv_show_from_topbar WID: double-clicks the top bar's icon and waits for
# the window to be shown.
dv_show_from_topbar() {
  local shown
  dv_wait_trace main-loaded 1 || return 1
  shown=$(dv_trace_count "shown frmMain")
  e2e_topbar_double_click
  e2e_wait_for 5 e2e_is_mapped "$1" && dv_wait_trace "shown frmMain" $((shown + 1)) 5
}

# dv_frame_stays WID FRAME: the frame reaches FRAME and stays there a while
# (a late correction of the placement counts).
dv_frame_stays() {
  local check="[ \"\$(dv_frame $1)\" = '$2' ]"
  e2e_wait_for 3 eval "$check" && e2e_stays 1 eval "$check"
}

# dv_cycles WHAT N: N times minimises the main window (hidden) and shows it
# with a double click on the top bar's icon; its frame must stay where it was.
dv_cycles() {
  local cycle before
  for ((cycle = 1; cycle <= $2; cycle++)); do
    before=$(dv_frame "$main")
    xdotool windowminimize "$main"
    e2e_wait_for 5 eval "[ \"\$(e2e_wm_state $main)\" = Withdrawn ]"
    e2e_check "${1}cycle $cycle: minimised, the window is hidden ($(e2e_wm_state "$main"))" \
      test "$(e2e_wm_state "$main")" = Withdrawn
    dv_show_from_topbar "$main"
    e2e_check "${1}cycle $cycle: a double click on the icon shows it again" e2e_is_mapped "$main"
    if dv_frame_stays "$main" "$before"; then
      e2e_ok "${1}cycle $cycle: the frame is where it was ($before)"
    else
      e2e_fail "${1}cycle $cycle: the frame is where it was ($(dv_frame "$main") / $before; trace: $(dv_placement_log))"
      e2e_shot "cycle-${1// /-}$cycle"
    fi
  done
}

dv_start
dv_skip_splash
main=$(dv_main_window)

# 1. The icon registers with GNOME's watcher and is drawn in the top bar.
e2e_wait_for 10 e2e_sni item
e2e_check "the icon registers over StatusNotifierItem ($(e2e_sni item 2>/dev/null))" e2e_sni item
e2e_wait_for 10 e2e_topbar_icon_pos
read -r ix iy < <(e2e_topbar_icon_pos)
e2e_shot 01-icon-in-top-bar
e2e_check "the icon is drawn in the top bar (at ${ix:-?},${iy:-?})" test -n "${ix:-}"

# 2. A double click on it shows the main window.
dv_show_from_topbar "$main"
e2e_check "a double click on the icon shows \"Dayvane v2.0\"" e2e_is_mapped "$main"
e2e_check "with that title" test "$(xdotool getwindowname "$main")" = "Dayvane v2.0"
e2e_shot 02-shown

# 3. Dragged by its title bar to the top left, minimised it is hidden; shown
# again from the icon its frame is where it was, each time.
e2e_log "frame when first shown: $(dv_frame "$main"); trace: $(dv_placement_log)"
placed=$(dv_frame "$main")
read -r fx fy _ <<<"$placed"
geometry=$(e2e_geometry "$main")
dv_drag_title "$main" $((60 * scale - fx)) $((80 * scale - fy))
e2e_wait_settled "$main" "$geometry" 3
first=$(dv_frame "$main")
e2e_check "dragged by its title bar, the window moves ($placed -> $first)" test "$first" != "$placed"
dv_cycles "" 6
e2e_log "frame after six cycles: $(dv_frame "$main") (first shown at $first)"
e2e_shot 03-cycles

# 4. One click on the icon opens its menu, whose Quit asks "Confirm Exit";
# No keeps the program.
e2e_check "the icon's menu is \"Quit\" ($(e2e_sni menu | tr '\n' ' '))" test "$(e2e_sni menu)" = Quit
e2e_topbar_menu
e2e_shot 04-menu
xdotool key Down Return
box=$(e2e_wait_window '^Confirm Exit$' 5)
e2e_wait_drawn "$box" "$E2E_ARTIFACTS/04-menu.png"
e2e_shot 05-confirm-exit
e2e_check "Quit in the icon's menu asks \"Confirm Exit\"" test -n "$box"
dv_answer_no "$box"

# 5. One click on a date makes no notes file; a double click makes one and
# opens it in the editor.
read -r cx cy cw ch _ <<<"$(e2e_geometry "$main")"
xdotool mousemove $((cx + cw / 2)) $((cy + ch * 3 / 5)) sleep 0.3 click 1
e2e_check "one click on a date makes no notes file and starts no editor" \
  e2e_stays 1 eval '[ -z "$(dv_notes)" ] && [ "$(e2e_editor_calls)" = 0 ]'
dv_double_click_date "$main"
e2e_wait_for 5 eval '[ -n "$(dv_notes)" ]'
e2e_check "a double click on it makes one ($(dv_notes | tr '\n' ' '))" test -n "$(dv_notes)"
e2e_wait_for 10 eval '[ "$(e2e_editor_calls)" -ge 1 ]'
e2e_check "and opens it in the editor ($(cat "$E2E_EDITOR_LOG"))" \
  grep -qE "argv=(.*/)?$(dv_notes | head -n1)\$" "$E2E_EDITOR_LOG"
e2e_shot 06-date

# 6. Ended and started again, shown from the icon, the frame is where it was.
before=$(dv_frame "$main")
kill -TERM "$DV_PID"
dv_wait_exit 5
e2e_check "SIGTERM ends it with status 0 (got ${DV_STATUS:-none})" test "${DV_STATUS:-1}" = 0
e2e_check "and its icon leaves the top bar" e2e_wait_for 10 eval '! e2e_topbar_icon_pos'
dv_start
dv_skip_splash
main=$(dv_main_window)
e2e_wait_for 10 e2e_sni item
e2e_wait_for 10 e2e_topbar_icon_pos
dv_show_from_topbar "$main"
e2e_check "after a restart a double click on the icon shows the window" e2e_is_mapped "$main"
if dv_frame_stays "$main" "$before"; then
  e2e_ok "after a restart the frame is where it was ($before)"
else
  e2e_fail "after a restart the frame is where it was ($(dv_frame "$main") / $before; trace: $(dv_placement_log))"
fi
e2e_shot 07-restarted
dv_cycles "after the restart, " 3

# 7. Quit from the icon's menu, Yes: the program ends with status 0.
e2e_topbar_menu
xdotool key Down Return
box=$(e2e_wait_window '^Confirm Exit$' 5)
timeout 5 xdotool windowactivate --sync "$box" key Return
dv_wait_exit 10
e2e_check "Quit, Yes ends it with status 0 (got ${DV_STATUS:-none})" test "${DV_STATUS:-1}" = 0
e2e_summary
