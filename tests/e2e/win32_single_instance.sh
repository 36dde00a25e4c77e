#!/usr/bin/env bash
# One Dayvane per user and program folder under Wine: a second start (also
# while the splash is up) shows the running one's main window, active, and
# ends with status 0 within a second; one program runs, one icon; after the
# running one is killed with SIGKILL a new start works at once; a copy in
# another folder runs beside it.
#
#   win32_single_instance.sh DAYVANE_EXE [ARTIFACT_DIR]
set -u
[ $# -ge 1 ] || { echo "usage: $0 DAYVANE_EXE [ARTIFACT_DIR]" >&2; exit 2; }
exe=$(realpath "$1")
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/wine_check.sh"
wine_pick win32_single_instance "$exe"
e2e_init "${2:-}"
# A prefix of its own: the test changes what a user's registry holds.
export WINEPREFIX="$E2E_TMP/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null; e2e_cleanup' EXIT

prog="$E2E_TMP/Dayvane"
mkdir -p "$prog"
cp "$exe" "$prog/Dayvane.exe"
wine_prefix_make "$WINEPREFIX"
e2e_check "the Wine prefix is made" test -f "$WINEPREFIX/system.reg"
e2e_start_x && e2e_start_wm || exit 1
# trayer at a fixed width (Wine docks into the panel as it is then).
e2e_spawn trayer trayer --edge top --align right --widthtype pixel --width 96 --height 32 \
  --transparent false --tint 0x808080 --SetDockType true
e2e_wait_for 10 _e2e_tray_owned || { e2e_log "trayer did not take the tray"; exit 1; }
# Wine's own processes stay up between the starts, as on a desktop.
wineserver -p

w32_start() {
  e2e_spawn dayvane bash -c "cd '$1' && exec \"$WINE\" Dayvane.exe"
  W32_PID=$E2E_LAST_PID
}
# This test's Windows processes running Dayvane.exe: by process name and by
# this test's Wine prefix (a 32-bit program runs as a child of the wine
# command, a 64-bit one in its place). Never signalled by name.
w32_program_pids() {
  local pid
  for pid in $(pgrep -x Dayvane.exe); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
}
w32_programs() { w32_program_pids | wc -l; }
# Icons docked in trayer (Wine's docked icon windows belong to explorer.exe).
w32_icons() {
  xwininfo -root -tree 2>/dev/null | awk '
    /"panel": \("panel" "trayer"\)/ { depth = match($0, /[^ ]/); inside = 1; next }
    inside && match($0, /[^ ]/) <= depth { inside = 0 }
    inside && /explorer/ && match($0, / [0-9]+x[0-9]+\+/) {
      split(substr($0, RSTART + 1, RLENGTH - 2), d, "x"); if (d[1] > 1 && d[2] > 1) n++ }
    END { print n + 0 }'
}
# second_start: runs Dayvane.exe again in the foreground; SECOND_STATUS, SECOND_MS.
second_start() {
  local t0
  t0=$(now_ms)
  (cd "$prog" && timeout 20 "$WINE" Dayvane.exe) >>"$E2E_ARTIFACTS/second.log" 2>&1
  SECOND_STATUS=$?
  SECOND_MS=$(($(now_ms) - t0))
  e2e_log "second start: status $SECOND_STATUS in $SECOND_MS ms"
}
main_window() { xdotool search --onlyvisible --name '^Dayvane v2\.0$' 2>/dev/null | head -n1; }
active_is_main() { [ -n "$(main_window)" ] && [ "$(xdotool getactivewindow 2>/dev/null)" = "$(main_window)" ]; }

# 1. During the splash.
w32_start "$prog"
first=$W32_PID
splash=$(e2e_wait_window '^Form1$' 30)
e2e_check "the first start shows the splash" test -n "$splash"
second_start
e2e_check "a second start during the splash ends with 0 (got $SECOND_STATUS)" test "$SECOND_STATUS" = 0
e2e_check "within 1 s ($SECOND_MS ms)" test "$SECOND_MS" -lt 1000
main=$(e2e_wait_window '^Dayvane v2\.0$' 10)
e2e_shot 01-shown-after-splash
e2e_check "once loaded, the main window is shown" test -n "$main"
e2e_wait_for 5 active_is_main
e2e_check "and active" active_is_main
e2e_check "one program runs ($(w32_programs))" test "$(w32_programs)" = 1
e2e_wait_for 10 eval '[ "$(w32_icons)" -ge 1 ]'
e2e_check "one icon in the tray ($(w32_icons))" test "$(w32_icons)" = 1

# 2. Hidden by minimising, then started again.
xdotool windowminimize "$main"
e2e_wait_for 5 eval '[ -z "$(main_window)" ]'
e2e_check "minimised, the window is hidden" test -z "$(main_window)"
second_start
e2e_check "a second start ends with 0 (got $SECOND_STATUS)" test "$SECOND_STATUS" = 0
e2e_check "within 1 s ($SECOND_MS ms)" test "$SECOND_MS" -lt 1000
e2e_wait_for 5 active_is_main
e2e_shot 02-shown-again
e2e_check "the running one's window is shown and active" active_is_main
e2e_check "in normal state ($(e2e_wm_state "$(main_window)"))" test "$(e2e_wm_state "$(main_window)")" = Normal
e2e_check "one program runs ($(w32_programs))" test "$(w32_programs)" = 1
e2e_check "one icon in the tray ($(w32_icons))" test "$(w32_icons)" = 1

# 3. Killed with SIGKILL: the next start works at once.
first_pids=$(w32_program_pids)
e2e_log "killing the program: wine $first, Windows process $first_pids"
kill -KILL "$first" $first_pids
e2e_wait_for 10 eval '[ "$(w32_programs)" = 0 ]'
e2e_check "the program is killed" test "$(w32_programs)" = 0
t0=$(now_ms)
w32_start "$prog"
splash=$(e2e_wait_window '^Form1$' 20)
e2e_log "splash after the SIGKILL after $(($(now_ms) - t0)) ms"
e2e_check "after a SIGKILL the next start shows its splash" test -n "$splash"
e2e_wait_gone "$splash" 10
second_start
e2e_check "and a start after it finds it (status $SECOND_STATUS, $SECOND_MS ms)" \
  test "$SECOND_STATUS" = 0 -a "$SECOND_MS" -lt 1000
e2e_wait_for 5 active_is_main
e2e_check "whose window is shown" test -n "$(main_window)"

# 4. A copy in another folder runs side by side.
other="$E2E_TMP/Portable"
mkdir -p "$other"
cp "$exe" "$other/Dayvane.exe"
w32_start "$other"
e2e_wait_for 20 eval '[ "$(w32_programs)" = 2 ]'
e2e_shot 03-two-folders
e2e_check "a copy in another folder runs beside it ($(w32_programs) programs)" test "$(w32_programs)" = 2
e2e_wait_for 10 eval '[ "$(w32_icons)" -ge 2 ]'
e2e_check "with an icon of its own ($(w32_icons))" test "$(w32_icons)" = 2
wineserver -k 2>/dev/null
e2e_summary
