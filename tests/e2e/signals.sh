#!/usr/bin/env bash
# A clean end in every state: SIGTERM, SIGINT and SIGHUP while the splash is
# up, the window hidden or shown, About open, "Confirm Exit" open and the
# tray menu open each end the program within a second with status 0, the
# icon gone, the placement saved and nothing left on screen. Also: the tray
# host dying while the window is hidden shows the window.
set -u
. "$(dirname "$0")/app.sh"
dv_desktop

signals=(TERM INT HUP)
round=0

# ends_cleanly STATE: sends the next signal, then checks the end.
ends_cleanly() {
  local state=$1 signal=${signals[round++ % 3]} start took
  rm -f "$DV_CONF"
  start=$(now_ms)
  kill -"$signal" "$DV_PID"
  dv_wait_exit 5
  took=$(($(now_ms) - start))
  e2e_shot "end-$state"
  e2e_check "$state: SIG$signal ends the program in ${took} ms with status ${DV_STATUS:-none}" \
    test "${DV_STATUS:-1}" = 0 -a "$took" -lt 1000
  e2e_check "$state: the icon is gone" eval '! e2e_tray_icon_pos "\"dayvane\""'
  if [ "$state" != splash ]; then
    e2e_check "$state: the placement was saved" test -n "$(dv_setting WindowState)"
  fi
  e2e_check "$state: no window of the program is left" \
    eval '[ -z "$(xdotool search --onlyvisible --classname dayvane 2>/dev/null)" ]'
}

start_hidden() {
  dv_start
  dv_skip_splash
  main=$(dv_main_window)
  e2e_tray_wait_icon 10 '"dayvane"' >/dev/null
}

dv_start
e2e_wait_window '^Form1$' 10 >/dev/null
ends_cleanly splash

start_hidden
ends_cleanly hidden

start_hidden
dv_show "$main"
ends_cleanly shown

start_hidden
dv_show "$main"
timeout 5 xdotool windowactivate --sync "$main" key --clearmodifiers alt+b
e2e_wait_popup 5 >/dev/null
xdotool key Return
e2e_wait_window '^About Dayvane v2\.0\.\.\.$' 5 >/dev/null
ends_cleanly about-open

start_hidden
e2e_tray_right_click
e2e_wait_popup 5 >/dev/null
xdotool key Down Return
e2e_wait_window '^Confirm Exit$' 5 >/dev/null
ends_cleanly confirm-exit-open

start_hidden
e2e_tray_right_click
e2e_wait_popup 5 >/dev/null
ends_cleanly tray-menu-open

# The tray host dies while the window is hidden: the window is shown; a
# tray that comes back gets the icon, and the window stays.
start_hidden
e2e_check "hidden at first" eval "! e2e_is_mapped $main"
e2e_stop_tray
e2e_wait_for 5 e2e_is_mapped "$main"
e2e_shot tray-gone
e2e_check "the tray host gone, the window is shown" e2e_is_mapped "$main"
e2e_start_tray
e2e_check "a tray host back gets the icon" e2e_tray_wait_icon 10 '"dayvane"'
e2e_check "and the window stays" e2e_is_mapped "$main"
kill -TERM "$DV_PID"
dv_wait_exit 5
e2e_summary
