#!/usr/bin/env bash
# Remembered placement and proportional layout: the five stored keys, a
# placement restored to the pixel after a restart, a minimised window that
# comes back normal, hand-edited values, and the calendar rescaled with the
# window.
set -u
. "$(dirname "$0")/app.sh"
dv_desktop

# A first run with an empty store writes the five keys.
dv_start
dv_skip_splash
main=$(dv_main_window)
e2e_wait_for 5 test -s "$DV_CONF"
for key in WindowState Left Top Width Height; do
  value=$(dv_setting $key)
  e2e_check "first run wrote $key as \"$value\"" eval "[[ \$value =~ ^(\\ |-)[0-9]+$ ]]"
done
e2e_check "in normal state" test "$(dv_setting WindowState)" = " 0"

# Moved and resized through the window manager, it reopens there.
dv_show "$main"
placed=$(e2e_geometry "$main")
xdotool windowmove "$main" 140 90 windowsize "$main" 420 300
e2e_wait_settled "$main" "$placed"
e2e_shot 01-moved
before=$(dv_frame "$main")
dv_quit
e2e_check "Quit ended the program" test "${DV_STATUS:-1}" = 0
e2e_check "the store holds the frame's left edge" \
  test "$(dv_setting Left)" = " $(($(cut -d' ' -f1 <<<"$before") * 15))"
dv_start
dv_skip_splash
main=$(dv_main_window)
dv_show "$main"
after=$(dv_frame "$main")
e2e_shot 02-reopened
e2e_check "reopened with the same frame ($before / $after)" test "$before" = "$after"

# Moved by the window manager: the store holds where it was moved to once
# the move settles, not at the exit only, and still after a minimise. Quit
# then: at the next double-click it is back, normal, at these bounds.
xdotool windowmove "$main" 200 120
e2e_wait_settled "$main" "$after"
before=$(dv_frame "$main")
# stored_at FRAME: the stored Left and Top of that frame.
stored_at() { echo " $(($(cut -d' ' -f1 <<<"$1") * 15))  $(($(cut -d' ' -f2 <<<"$1") * 15))"; }
e2e_wait_for 2 eval '[ "$(dv_setting Left) $(dv_setting Top)" = "$(stored_at "$before")" ]'
e2e_check "moved, the store holds the moved frame ($(dv_setting Left) $(dv_setting Top) / $before)" \
  test "$(dv_setting Left) $(dv_setting Top)" = "$(stored_at "$before")"
xdotool windowminimize "$main"
e2e_wait_for 5 eval "[ \"\$(e2e_wm_state $main)\" = Withdrawn ]"
e2e_check "and so it does once minimised" test "$(dv_setting Left) $(dv_setting Top)" = "$(stored_at "$before")"
dv_quit
e2e_check "the minimised state was stored" test "$(dv_setting WindowState)" = " 1"
dv_start
dv_skip_splash
main=$(dv_main_window)
dv_wait_trace main-loaded 1
e2e_check "a minimised start stays hidden" eval "! e2e_is_mapped $main"
dv_show "$main"
e2e_shot 03-back-from-minimised
e2e_check "it comes back in normal state" test "$(e2e_wm_state "$main")" = Normal
e2e_check "at its saved bounds ($(dv_frame "$main"))" test "$(dv_frame "$main")" = "$before"

# Resizing the shown window rescales the calendar in proportion.
read -r cx cy cw ch _ <<<"$(e2e_geometry "$main")"
kill -TERM "$DV_PID"
dv_wait_exit 10
rm -f "$DV_CONF"
QT_USE_NATIVE_WINDOWS=1 dv_start
dv_skip_splash
main=$(dv_main_window)
dv_show "$main"
read -r cx cy cw ch _ <<<"$(e2e_geometry "$main")"
bar=$((ch - 201))
calendar_geometry() {
  # The calendar: the largest native child of the main window that does not
  # start at the client's left edge (the client area and the menu bar do).
  [ -n "$main" ] || return 1
  xwininfo -id "$main" -tree | awk '/^ +0x/ && match($0, /[0-9]+x[0-9]+\+[0-9]+\+[0-9]+ /) {
      split(substr($0, RSTART, RLENGTH), g, /[x+ ]/)
      if (g[3] > 0 && g[1] * g[2] > best) { best = g[1] * g[2]; line = g[3] " " g[1] " " g[2] } }
    END { print line }'
}
design=$(calendar_geometry)
e2e_shot 04-design-size
e2e_check "at the design size the calendar is 313 x 201 at 6 ($design)" test "$design" = "6 313 201"
xdotool windowsize "$main" 650 $((402 + bar))
e2e_wait_for 5 eval '[ "$(calendar_geometry)" = "12 626 402" ]'
e2e_shot 05-double-size
doubled=$(calendar_geometry)
e2e_check "at twice the client size it is 626 x 402 at 12 ($doubled)" test "$doubled" = "12 626 402"
xdotool windowsize "$main" 487 $((301 + bar))
e2e_wait_for 5 eval '[ "$(calendar_geometry)" = "9 466 299" ]'
e2e_shot 06-one-and-a-half
# 487 x 301 px is 7305 x 4515 twips: 149% and 149% (truncated), so the
# calendar is 134, 6995 x 4492 twips: 9, 466 x 299 px.
e2e_check "at 149% x 149% it is 466 x 299 at 9 ($(calendar_geometry))" \
  test "$(calendar_geometry)" = "9 466 299"
kill -TERM "$DV_PID"
dv_wait_exit 10

# Hand-edited values: read as the leading-number parse says, unusable ones
# fall back to the window's own, and the program runs.
mkdir -p "$(dirname "$DV_CONF")"
cat >"$DV_CONF" <<'CONF'
[frmMain]
Left=" 150"
Top=abc
Width=99999999999
Height="  4.2e3"
WindowState=7
CONF
dv_start
dv_skip_splash
main=$(dv_main_window)
e2e_check "the program runs with the edited store" dv_running
dv_show "$main"
read -r fx fy fw fh <<<"$(dv_frame "$main")"
e2e_shot 07-edited-store
e2e_check "Left \" 150\" is 10 px, Top \"abc\" is 0 ($fx, $fy)" test "$fx $fy" = "10 0"
e2e_check "Height \"  4.2e3\" is 280 px ($fh)" test "$fh" = 280
e2e_check "Width 99999999999 keeps the designed width ($fw)" test "$fw" = 327
e2e_check "state 7 keeps the normal state" test "$(e2e_wm_state "$main")" = Normal
dv_quit
e2e_check "the next save writes usable values" test "$(dv_setting WindowState) $(dv_setting Width)" = " 0  4905"

# near A B: two frames within a pixel of each other (after the window
# manager restores a maximised window it may put the frame a pixel off).
near() {
  local a b
  read -r -a a <<<"$1"
  read -r -a b <<<"$2"
  for i in 0 1 2 3; do [ $((a[i] - b[i])) -ge -1 ] && [ $((a[i] - b[i])) -le 1 ] || return 1; done
}

# Maximised, then quit: it comes back maximised, and its normal bounds are
# the ones saved before.
rm -f "$DV_CONF"
dv_start
dv_skip_splash
main=$(dv_main_window)
dv_show "$main"
normal=$(dv_frame "$main")
wmctrl -i -r "$main" -b add,maximized_vert,maximized_horz
e2e_wait_for 5 eval "xprop -id $main _NET_WM_STATE | grep -q MAXIMIZED_HORZ"
e2e_wait_for 5 eval '[ "$(dv_setting WindowState)" = " 2" ]'
dv_quit
e2e_check "the maximised state was stored" test "$(dv_setting WindowState)" = " 2"
dv_start
dv_skip_splash
main=$(dv_main_window)
dv_show "$main"
e2e_wait_for 5 eval "xprop -id $main _NET_WM_STATE | grep -q MAXIMIZED_HORZ"
e2e_shot 08-maximised-again
e2e_check "it comes back maximised" eval "xprop -id $main _NET_WM_STATE | grep -q MAXIMIZED_HORZ"
wmctrl -i -r "$main" -b remove,maximized_vert,maximized_horz
e2e_wait_for 5 eval "near \"\$(dv_frame $main)\" \"$normal\""
e2e_shot 09-restored
e2e_check "and restores to its saved normal bounds ($(dv_frame "$main") / $normal)" \
  near "$(dv_frame "$main")" "$normal"
kill -TERM "$DV_PID"
dv_wait_exit 10

# A placement that no screen shows (saved on a monitor that is gone) or
# that runs off the screen's edge (saved at another resolution) is brought
# wholly onto the screen when shown; the store keeps it until a save.
for saved in "60000 45000" "12000 9000"; do
  read -r left top <<<"$saved"
  printf '[frmMain]\nWindowState=" 0"\nLeft=" %s"\nTop=" %s"\nWidth=" 4905"\nHeight=" 3660"\n' \
    "$left" "$top" >"$DV_CONF"
  dv_start
  dv_skip_splash
  main=$(dv_main_window)
  e2e_check "the store still holds Left $left" test "$(dv_setting Left)" = " $left"
  dv_show "$main"
  read -r fx fy fw fh <<<"$(dv_frame "$main")"
  e2e_shot "10-brought-on-screen-from-$left"
  e2e_check "saved at $left,$top: shown wholly on the screen, size kept ($fx $fy $fw $fh)" \
    test "$fx" -ge 0 -a "$fy" -ge 0 -a $((fx + fw)) -le 1024 -a $((fy + fh)) -le 768 -a "$fw $fh" = "327 244"
  kill -TERM "$DV_PID"
  dv_wait_exit 10
done

# A store of 10 MB that something else wrote is not this program's: it is
# not read (the start does not wait for it), and the load's write-back
# replaces it with the program's own few keys. The temporary file that a
# write killed half-way leaves beside the store is gone after the start.
awk 'BEGIN { print "[frmMain]"; print "Left=\" 150\""
  for (i = 0; i < 250000; i++) printf "[junk%d]\nkey=a value that fills the file\n", i }' \
  >"$DV_CONF"
printf '[frmMain]\nLeft=" 99"\n' >"$DV_CONF.Xk3v9Q"
dv_start
dv_wait_trace main-loaded 1 20
took=$(($(dv_trace_last main-loaded) - $(dv_trace_last splash-end)))
e2e_check "a 10 MB store holds up nothing: loaded $took ms after the splash" test "$took" -le 1000
e2e_check "the load's write-back replaced it ($(stat -c %s "$DV_CONF") bytes)" \
  test "$(stat -c %s "$DV_CONF")" -lt 1024
e2e_check "with the designed placement (Left \"$(dv_setting Left)\")" \
  test "$(dv_setting Left)" != " 150"
e2e_check "the killed write's temporary file is gone" test ! -e "$DV_CONF.Xk3v9Q"
main=$(dv_main_window)
dv_show "$main"
e2e_shot 11-after-oversized-store
e2e_check "the window shows" e2e_is_mapped "$main"
kill -TERM "$DV_PID"
dv_wait_exit 10

e2e_summary
