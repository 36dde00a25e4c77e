#!/usr/bin/env bash
# One Dayvane per user and program folder: a second start shows the running
# one's window (as a double-click on its icon does) and ends at once with
# status 0, also while the splash is still up; a program killed with SIGKILL
# leaves nothing that blocks the next start; two program folders run side
# by side.
set -u
. "$(dirname "$0")/app.sh"
e2e_start_x && e2e_start_wm && e2e_start_tray || exit 1

now_ms() { date +%s%3N; }

# The program's icons docked in trayer.
dv_icons() {
  xwininfo -root -tree 2>/dev/null | awk '
    /"panel": \("panel" "trayer"\)/ { depth = match($0, /[^ ]/); inside = 1; next }
    inside && match($0, /[^ ]/) <= depth { inside = 0 }
    inside && /\("dayvane" "dayvane"\)/ && match($0, / [0-9]+x[0-9]+\+/) {
      split(substr($0, RSTART + 1, RLENGTH - 2), d, "x"); if (d[1] > 1 && d[2] > 1) n++ }
    END { print n + 0 }'
}

# second_start [FOLDER]: runs the program again in the foreground, from its
# folder; its status in SECOND_STATUS, how long it took in SECOND_MS.
second_start() {
  local t0
  t0=$(now_ms)
  timeout 10 "${1:-$DV_HOME}/dayvane" >>"$E2E_ARTIFACTS/second.log" 2>&1
  SECOND_STATUS=$?
  SECOND_MS=$(($(now_ms) - t0))
}

# 1. A second start while the splash is up: it ends at once, and the main
# window is shown as soon as it is loaded.
dv_start
first=$DV_PID
# Its own milestone says when the splash is on screen (a window search can
# miss a window that is still being mapped).
e2e_check "the first start shows the splash" dv_wait_trace "shown frmSplash" 1 30
second_start
e2e_check "a second start during the splash ends with 0 (got $SECOND_STATUS)" test "$SECOND_STATUS" = 0
e2e_check "within 1 s (${SECOND_MS} ms)" test "$SECOND_MS" -lt 1000
e2e_check "without a splash of its own" \
  test "$(xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | wc -l)" -le 1
main=$(dv_main_window)
e2e_wait_for 10 e2e_is_mapped "$main"
e2e_shot 01-shown-after-splash
e2e_check "once loaded, the main window is shown" e2e_is_mapped "$main"
e2e_wait_for 5 eval '[ "$(xdotool getactivewindow)" = "$main" ]'
e2e_check "and active" test "$(xdotool getactivewindow)" = "$main"
e2e_wait_for 5 eval '[ "$(dv_icons)" -ge 1 ]'
e2e_check "one icon in the tray ($(dv_icons))" test "$(dv_icons)" = 1

# 2. Hidden by minimising, then started again: the window comes back in
# normal state and active, the first program keeps running, one icon.
xdotool windowminimize "$main"
e2e_wait_for 5 eval "[ \"\$(e2e_wm_state $main)\" = Withdrawn ]"
e2e_check "minimised, the window is hidden" test "$(e2e_wm_state "$main")" = Withdrawn
settings_before=$(stat -c %Y.%s "$DV_CONF" 2>/dev/null)
second_start
e2e_check "a second start ends with 0 (got $SECOND_STATUS)" test "$SECOND_STATUS" = 0
e2e_check "within 1 s (${SECOND_MS} ms)" test "$SECOND_MS" -lt 1000
e2e_log "second start took $SECOND_MS ms"
e2e_wait_for 5 e2e_is_mapped "$main"
e2e_wait_for 5 eval '[ "$(xdotool getactivewindow)" = "$main" ]'
e2e_shot 02-shown-again
e2e_check "the running one's window is shown" e2e_is_mapped "$main"
e2e_check "in normal state ($(e2e_wm_state "$main"))" test "$(e2e_wm_state "$main")" = Normal
e2e_check "and active" test "$(xdotool getactivewindow)" = "$main"
e2e_check "the first program still runs" e2e_pid_alive "$first"
e2e_check "one icon in the tray ($(dv_icons))" test "$(dv_icons)" = 1
e2e_check "the second start wrote nothing to stderr" test ! -s "$E2E_ARTIFACTS/second.log"
[ -n "$settings_before" ] && e2e_log "settings $settings_before -> $(stat -c %Y.%s "$DV_CONF")"

# Shown and active already: a further start changes nothing but ends too.
second_start
e2e_check "with the window shown, a start ends with 0 (got $SECOND_STATUS, $SECOND_MS ms)" \
  test "$SECOND_STATUS" = 0 -a "$SECOND_MS" -lt 1000
e2e_check "the window stays shown" e2e_is_mapped "$main"

# 3. Killed with SIGKILL: its socket stays behind, and the next start
# works at once all the same.
socket=$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -type s -name 'dayvane-*' | head -n1)
e2e_check "the running program listens on a socket in XDG_RUNTIME_DIR (${socket##*/})" test -S "$socket"
kill -KILL "$first"
dv_wait_exit 5
e2e_check "the left-over socket is there" test -S "$socket"
t0=$(now_ms)
dv_start
dv_wait_trace "shown frmSplash" 1 5
shown=$(dv_trace_last "shown frmSplash")
e2e_log "splash after the SIGKILL after $((${shown:-0} - t0)) ms"
e2e_check "after a SIGKILL the next start shows its splash within 5 s" \
  test -n "$shown" -a "$((${shown:-0} - t0))" -lt 5000
dv_skip_splash
e2e_wait_for 5 eval '[ "$(dv_icons)" -ge 1 ]'
e2e_check "and runs, with its icon" eval 'dv_running && [ "$(dv_icons)" = 1 ]'
second_start
e2e_check "and a start after it finds it (status $SECOND_STATUS, $SECOND_MS ms)" \
  test "$SECOND_STATUS" = 0 -a "$SECOND_MS" -lt 1000
main=$(dv_main_window)
e2e_wait_for 5 e2e_is_mapped "$main"
e2e_check "whose window is shown" e2e_is_mapped "$main"

# 4. Another program folder (a second portable copy) runs side by side.
other="$E2E_TMP/Portable"
mkdir -p "$other"
cp "$DV_HOME/dayvane" "$other/dayvane"
e2e_spawn other "$other/dayvane"
other_pid=$E2E_LAST_PID
e2e_wait_for 10 eval '[ "$(dv_icons)" -ge 2 ]'
e2e_shot 03-two-folders
e2e_check "a copy in another folder runs beside it, with an icon of its own ($(dv_icons))" \
  eval 'e2e_pid_alive "$other_pid" && [ "$(dv_icons)" = 2 ]'

# Both end in order.
kill -TERM "$other_pid"
kill -TERM "$DV_PID"
dv_wait_exit 10
e2e_check "the program ends with status 0 on SIGTERM (got ${DV_STATUS:-none})" test "${DV_STATUS:-1}" = 0
e2e_wait_for 10 eval '! e2e_pid_alive "$other_pid"'
e2e_check "no socket is left after an orderly end" \
  test -z "$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -type s -name 'dayvane-*')"
e2e_summary
