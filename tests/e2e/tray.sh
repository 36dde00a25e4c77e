#!/usr/bin/env bash
# Living in the tray and keeping a diary: the icon and its tip, showing and
# hiding the window, day notes in the stub editor (also today's, by a
# middle click on the icon), About, the tray menu,
# Quit, and what happens without a tray host or when it restarts.
set -u
. "$(dirname "$0")/app.sh"
dv_desktop

dv_start
dv_skip_splash
main=$(dv_main_window)
read -r _ _ icon < <(e2e_tray_wait_icon 10 '"dayvane"')
e2e_check "the icon is docked in the tray" test -n "${icon:-}"
e2e_shot 01-icon-in-tray
e2e_tray_hover
tip=$(e2e_wait_window_type TOOLTIP 5)
e2e_shot 02-tip
e2e_check "hovering shows the tip" test -n "$tip"
e2e_check "the window is still hidden" eval "! e2e_is_mapped $main"

# A double-click on the icon shows and activates the window.
e2e_tray_double_click
e2e_wait_for 5 e2e_is_mapped "$main"
e2e_wait_for 5 eval '[ "$(xdotool getactivewindow)" = "$main" ]'
e2e_shot 03-shown
e2e_check "a double-click shows the window" e2e_is_mapped "$main"
e2e_check "and activates it" test "$(xdotool getactivewindow)" = "$main"

# Minimising hides it; the icon brings it back in normal state.
xdotool windowminimize "$main"
e2e_wait_for 5 eval "[ \"\$(e2e_wm_state $main)\" = Withdrawn ]"
e2e_shot 04-minimised
e2e_check "minimising hides the window (state $(e2e_wm_state "$main"))" \
  test "$(e2e_wm_state "$main")" = Withdrawn
e2e_tray_double_click
e2e_wait_for 5 e2e_is_mapped "$main"
e2e_check "the icon brings it back in normal state" test "$(e2e_wm_state "$main")" = Normal

# A double-click on a date makes its notes file and opens it in the editor.
e2e_wait_for 5 eval '[ "$(xdotool getactivewindow)" = "$main" ]'
dv_double_click_date "$main"
e2e_wait_for 5 eval '[ -n "$(dv_notes)" ]'
note=$(dv_notes)
e2e_shot 05-note-opened
e2e_check "one notes file named M-D-YYYY.txt ($note)" \
  eval "[[ \$(dv_notes | wc -l) -eq 1 && \$note =~ ^[1-9][0-9]?-[1-9][0-9]?-[0-9]{4}\.txt$ ]]"
e2e_check "a new notes file is empty" test ! -s "$DV_HOME/$note"
e2e_wait_for 5 eval '[ "$(e2e_editor_calls)" -ge 1 ]'
e2e_check "the editor got the file name" grep -q "argv=$note\$" "$E2E_EDITOR_LOG"
e2e_check "in the program folder" grep -q "cwd=$DV_HOME " "$E2E_EDITOR_LOG"
echo "dear diary" >"$DV_HOME/$note"
dv_double_click_date "$main"
e2e_wait_for 5 eval '[ "$(e2e_editor_calls)" -ge 2 ]'
e2e_check "again: a second editor, the content unchanged" \
  test "$(e2e_editor_calls) $(cat "$DV_HOME/$note")" = "2 dear diary"

# A middle click on the icon opens today's note, the window shown or hidden.
dv_check_today_note e2e_tray_middle_click
e2e_shot 05b-middle-click
xdotool windowminimize "$main"
e2e_wait_for 5 eval "[ \"\$(e2e_wm_state $main)\" = Withdrawn ]"
dv_open_note e2e_tray_middle_click
e2e_check "hidden, a middle click opens today's note too ($DV_OPEN_ARG, $DV_OPEN_MS ms)" \
  test "$DV_OPEN_ARG" = "$(dv_today_note)" -a "$DV_OPEN_MS" -lt 1000
e2e_check "and leaves the window hidden" eval "! e2e_is_mapped $main"
e2e_editor_kill
e2e_tray_double_click
e2e_wait_for 5 e2e_is_mapped "$main"

# About twice leaves one About window.
for _ in 1 2; do
  timeout 5 xdotool windowactivate --sync "$main" key --clearmodifiers alt+b
  e2e_wait_popup 5 >/dev/null
  xdotool key Return
  about=$(e2e_wait_window '^About Dayvane v2\.0\.\.\.$' 5)
done
e2e_shot 06-about
e2e_check "About twice leaves one About window" \
  test "$(xdotool search --onlyvisible --name '^About Dayvane v2\.0\.\.\.$' | wc -l)" = 1
# Close but no minimize or maximize: the functions the window allows
# (Motif hints: 0x8 minimize, 0x10 maximize, 0x20 close).
functions=$(xprop -id "$about" _MOTIF_WM_HINTS | sed -n 's/.* = 0x[0-9a-f]*, \(0x[0-9a-f]*\),.*/\1/p')
e2e_check "About allows close but not minimize or maximize (functions $functions)" \
  test -n "$functions" -a $((functions & 0x38)) = $((0x20))
dv_click_close "$about"
e2e_wait_gone "$about" 5
e2e_check "its close button closes it" eval "! xdotool search --onlyvisible --name '^About Dayvane' >/dev/null"
e2e_wait_gone "$about" 5

# The right button pops up the one-item menu; Quit, No keeps running.
e2e_tray_right_click
menu=$(e2e_wait_popup 5)
e2e_shot 07-tray-menu
e2e_check "the right button pops up the menu" test -n "$menu"
xdotool key Down Return
box=$(e2e_wait_window '^Confirm Exit$' 5)
e2e_shot 08-confirm-exit
e2e_check "Quit asks \"Confirm Exit\"" test -n "$box"
timeout 5 xdotool windowactivate --sync "$box" key alt+n
e2e_wait_gone "$box" 5
e2e_check "No keeps the program running" e2e_stays 1 dv_running
e2e_check "with its icon" e2e_tray_icon_pos

# Quit, Yes removes the icon and ends the program.
e2e_tray_right_click
e2e_wait_popup 5 >/dev/null
xdotool key Down Return
box=$(e2e_wait_window '^Confirm Exit$' 5)
timeout 5 xdotool windowactivate --sync "$box" key Return
dv_wait_exit 10
e2e_check "Yes ends the program with status 0 (got ${DV_STATUS:-none})" test "${DV_STATUS:-1}" = 0
e2e_check "and the icon is gone" eval '! e2e_tray_icon_pos'
e2e_shot 09-ended

# Without a tray host the window is shown; a tray that comes later, or
# comes back after a restart, gets the icon.
e2e_stop_tray
dv_start
dv_skip_splash
main=$(dv_main_window)
e2e_wait_for 5 e2e_is_mapped "$main"
e2e_shot 10-no-tray
e2e_check "without a tray the window is shown" e2e_is_mapped "$main"
xdotool windowminimize "$main"
e2e_wait_for 5 eval "[ \"\$(e2e_wm_state $main)\" = Iconic ]"
e2e_check "and minimising does not hide it (state $(e2e_wm_state "$main"))" \
  test "$(e2e_wm_state "$main")" = Iconic
e2e_start_tray
e2e_check "a tray that appears later gets the icon" e2e_tray_wait_icon 10
e2e_stop_tray
e2e_start_tray
e2e_check "a restarted tray host gets the icon back" e2e_tray_wait_icon 10
e2e_shot 11-tray-restarted
kill -TERM "$DV_PID"
dv_wait_exit 10

e2e_summary
