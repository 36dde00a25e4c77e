#!/usr/bin/env bash
# Start-up: the splash's size, place and timing, the hidden main window, and
# an orderly end on SIGTERM.
set -u
. "$(dirname "$0")/app.sh"
# With a tray host: without one the main window is shown on purpose.
dv_desktop


# 1. Doing nothing: the splash shows for 2000 ms.
# Polled without pause so that the moment it maps is seen within a few ms.
dv_start
deadline=$((SECONDS + 10))
until splash=$(xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | head -n1) &&
  [ -n "$splash" ]; do
  [ "$SECONDS" -lt "$deadline" ] || { e2e_fail "no splash window"; e2e_summary; exit 1; }
done
e2e_shot 01-splash
read -r cx cy cw ch fx fy fw fh _ <<<"$(e2e_geometry "$splash")"
e2e_check "splash is 300 x 225 without a frame (${cw}x${ch}, frame ${fw}x${fh})" \
  test "$cw $ch $fw $fh" = "300 225 300 225"
e2e_check "splash is centred (at $cx,$cy)" test "$cx $cy" = "362 271"
e2e_wait_gone "$splash" 5
# Timed from the program's own milestones: the splash's load (which arms
# its timer), its first paint, and the hand-over.
took=$(($(dv_trace_last splash-end) - $(dv_trace_last splash-load)))
e2e_check "the hand-over came ${took} ms after the splash's load (2000 +- 100)" \
  test "$took" -ge 1900 -a "$took" -le 2100
seen=$(($(dv_trace_last splash-end) - $(dv_trace_last "shown frmSplash")))
e2e_check "the splash was on screen for ${seen} ms (at least 1900)" test "$seen" -ge 1900
main=$(dv_main_window)
e2e_check "main window exists" test -n "$main"
dv_wait_trace main-loaded 1
e2e_shot 02-after-splash
e2e_check "main window is never mapped" eval "! e2e_is_mapped $main"
e2e_check "main window never even asked to be mapped" \
  eval "! xprop -id $main WM_STATE 2>/dev/null | grep -q 'Normal\|Iconic'"
# After the splash, no timer: the program sleeps until something happens.
e2e_wait_for 5 dv_settled
e2e_check "in the tray, no timer of the program's is armed" dv_settled

# 2. SIGTERM ends the program in order, with status 0.
kill -TERM "$DV_PID"
dv_wait_exit 10
e2e_check "SIGTERM ends the program with status 0 (got ${DV_STATUS:-none})" test "${DV_STATUS:-1}" = 0
e2e_check "the end saved the placement" test -s "$DV_CONF"

# 3. A click on the splash hands over at once.
dv_start
splash=$(e2e_wait_window '^Form1$' 10)
start=$(now_ms)
xdotool mousemove 400 300 click 1
e2e_wait_gone "$splash" 5
took=$(($(now_ms) - start))
e2e_check "a click ends the splash at once (${took} ms)" test "$took" -lt 1000
main=$(dv_main_window)
e2e_check "after the click the main window is loaded and hidden" eval "! e2e_is_mapped $main"
kill -INT "$DV_PID"
dv_wait_exit 10
e2e_check "SIGINT ends the program with status 0" test "${DV_STATUS:-1}" = 0

# 4. A key press hands over at once.
dv_start
splash=$(e2e_wait_window '^Form1$' 10)
e2e_wait_for 3 eval '[ "$(xdotool getwindowfocus)" = "$splash" ]'
start=$(now_ms)
xdotool key a
e2e_wait_gone "$splash" 5
took=$(($(now_ms) - start))
e2e_check "a key press ends the splash at once (${took} ms)" test "$took" -lt 1000
kill -TERM "$DV_PID"
dv_wait_exit 10

e2e_summary
