# shellcheck shell=bash
# Starting and stopping the real Linux program for the end-to-end tests,
# on top of lib.sh. The program is installed into a fresh program folder
# ($DV_HOME), as scripts/run does, so that its notes land there.

DV_BIN=$1
DV_PID=''
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$2"
DV_HOME="$E2E_TMP/Dayvane"
DV_CONF="$XDG_CONFIG_HOME/dayvane/dayvane.conf"
mkdir -p "$DV_HOME"
cp "$DV_BIN" "$DV_HOME/dayvane"
# The program's milestones with their times (see scripts/bench): tests wait
# for them instead of waiting a while (dv_trace_count, in lib.sh).
export DAYVANE_TRACE="$E2E_TMP/trace"

# dv_desktop: the desktop most tests run on: Xvfb with openbox and trayer
# (an XEmbed tray), and the stub editor that a date's double click starts.
# Ends the test when the desktop does not come up.
dv_desktop() {
  e2e_start_x && e2e_start_wm && e2e_start_tray || exit 1
  e2e_stub_editor
}

# dv_start [ARGS...]: starts the program from its folder; DV_PID is its pid.
dv_start() {
  : >"$DAYVANE_TRACE"
  e2e_spawn dayvane-$((++DV_RUNS)) "$DV_HOME/dayvane" "$@"
  DV_PID=$E2E_LAST_PID
}
DV_RUNS=0

# dv_main_window: the main window's id (mapped or not), once it exists: the
# normal top-level window titled "Dayvane v2.0" (the tray icon's embedded
# window and Qt's leader window may carry the title too).
_dv_find_main() {
  local wid
  # From the window tree (xdotool's search gives up on a window that goes
  # away while it looks, as the splash's windows do).
  for wid in $(xwininfo -root -tree 2>/dev/null |
    sed -n 's/^ *\(0x[0-9a-f]*\) "Dayvane v2\.0": ("dayvane" "Dayvane").*/\1/p'); do
    local props
    props=$(xprop -id "$wid" _NET_WM_WINDOW_TYPE 2>/dev/null) || continue
    grep -q _NET_WM_WINDOW_TYPE_NORMAL <<<"$props" || continue
    grep -q _WINDOW_TYPE_OVERRIDE <<<"$props" && continue
    echo "$((wid))"  # decimal, as xdotool prints ids
    return 0
  done
  return 1
}
dv_main_window() {
  e2e_wait_for 10 _dv_find_main && _dv_find_main && return 0
  e2e_log "no main window; the windows are in $E2E_ARTIFACTS/windows.txt"
  xwininfo -root -tree >"$E2E_ARTIFACTS/windows.txt" 2>&1
  return 1
}

# dv_skip_splash: presses a key on the splash and waits for the main window.
dv_skip_splash() {
  local splash
  splash=$(e2e_wait_window '^Form1$' 10) || return 1
  # A real key press (XTest) into the focused splash.
  e2e_wait_for 3 eval '[ "$(xdotool getwindowfocus)" = "$splash" ]'
  xdotool key space
  e2e_wait_gone "$splash" 5
}

dv_running() { e2e_pid_alive "$DV_PID"; }

# dv_shot WID FILE: the screen's pixels under window WID, as FILE.
dv_shot() {
  local x y w h
  read -r x y w h _ <<<"$(e2e_geometry "$1")"
  import -display "$DISPLAY" -window root -crop "${w}x${h}+${x}+${y}" +repage "$2" 2>/dev/null
}

# dv_changed A B: "W H X Y" of the box round the pixels in which the image
# files A and B differ; fails when none do.
dv_changed() {
  local diff box
  diff=$(compare -metric AE "$1" "$2" null: 2>&1) || true
  [ "${diff%% *}" != 0 ] || return 1
  box=$(convert "$1" "$2" -compose difference -composite -threshold 0 -trim \
    -format '%w %h %X %Y' info:) && [ -n "$box" ] && echo "${box//+/}"
}

# dv_settled: the program's main thread waits for events with no time-out
# (x86-64: poll(2) with -1, or ppoll(2) without a time), so no timer of its
# own is armed.
dv_settled() {
  local nr _fds _n timeout
  read -r nr _fds _n timeout _ <"/proc/$DV_PID/syscall" 2>/dev/null || return 1
  [[ ($nr == 7 && $timeout == 0xffffffff) || ($nr == 271 && $timeout == 0x0) ]]
}

# dv_answer_no BOX: answers No in the "Confirm Exit" box BOX, which goes;
# the program runs on.
dv_answer_no() {
  timeout 5 xdotool windowactivate --sync "$1" key alt+n
  e2e_wait_gone "$1" 5
  e2e_check "No keeps the program running" dv_running
}

# dv_wait_exit [TIMEOUT]: waits for the program to end; its status in DV_STATUS.
dv_wait_exit() {
  local deadline=$((SECONDS + ${1:-10}))
  while dv_running; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
  wait "$DV_PID"
  DV_STATUS=$?
}

# dv_setting KEY: the stored text of frmMain/KEY (quotes removed).
dv_setting() {
  sed -n "/^\[frmMain\]/,/^\[/s/^$1=//p" "$DV_CONF" | sed 's/^"\(.*\)"$/\1/'
}

# dv_notes: the notes files in the program folder, one a line.
dv_notes() { (cd "$DV_HOME" && ls -1 -- *.txt 2>/dev/null); }

# dv_today_note: the name of today's notes file (M-D-YYYY.txt).
dv_today_note() { date +%-m-%-d-%Y.txt; }

# dv_open_note CMD...: runs CMD (a middle click, a start with --today...)
# and waits up to 5 s for the stub editor's next start; DV_OPEN_MS is how
# long it took, DV_OPEN_ARG the file name it got.
dv_open_note() {
  local calls t0
  calls=$(e2e_editor_calls)
  t0=$(date +%s%3N)
  "$@"
  e2e_wait_for 5 eval "[ \"\$(e2e_editor_calls)\" -gt $calls ]"
  DV_OPEN_MS=$(($(date +%s%3N) - t0))
  DV_OPEN_ARG=$(tail -n1 "$E2E_EDITOR_LOG" | sed -n 's/.* argv=//p')
}

# dv_check_today_note CMD...: CMD opens today's note within 1 s, made empty
# when it was missing and left as it was when it was there.
dv_check_today_note() {
  local note
  note=$(dv_today_note)
  rm -f "$DV_HOME/$note"
  dv_open_note "$@"
  e2e_check "$* starts the editor on today's note ($DV_OPEN_ARG) within 1 s ($DV_OPEN_MS ms)" \
    test "$DV_OPEN_ARG" = "$note" -a "$DV_OPEN_MS" -lt 1000
  e2e_check "a missing note is made empty" test -f "$DV_HOME/$note" -a ! -s "$DV_HOME/$note"
  printf 'dear diary\n' >"$DV_HOME/$note"
  # Two clicks closer than the double-click time (400 ms) are one gesture.
  sleep 0.5
  dv_open_note "$@"
  e2e_check "again: the editor on it within 1 s ($DV_OPEN_MS ms), its bytes unchanged" \
    test "$DV_OPEN_ARG $(cat "$DV_HOME/$note")" = "$note dear diary" -a "$DV_OPEN_MS" -lt 1000
}

# dv_double_click_date WID: double-clicks a date in the middle of the grid of
# the calendar in main window WID; dv_click_date WID clicks it once.
_dv_click_date() {
  local cx cy cw ch
  read -r cx cy cw ch _ <<<"$(e2e_geometry "$1")"; shift
  xdotool mousemove $((cx + cw / 2)) $((cy + ch * 3 / 5)) sleep 0.3 click "$@" 1
}
dv_double_click_date() { _dv_click_date "$1" --repeat 2 --delay 80; }
dv_click_date() { _dv_click_date "$1"; }

# dv_click_close WID: clicks the close button in the window manager's title
# bar of WID (top right corner of the frame).
dv_click_close() {
  local fx fy fw
  read -r _ _ _ _ fx fy fw _ _ _ t _ <<<"$(e2e_geometry "$1")"
  xdotool mousemove $((fx + fw - 10)) $((fy + t / 2)) sleep 0.2 click 1
}

# dv_show: double-clicks the tray icon and waits for the main window.
dv_show() {
  e2e_tray_wait_icon 10 '"dayvane"' >/dev/null || return 1
  dv_wait_trace main-loaded 1 || return 1
  local shown
  shown=$(dv_trace_count "shown frmMain")
  e2e_tray_double_click
  e2e_wait_for 5 e2e_is_mapped "$1" && dv_wait_trace "shown frmMain" $((shown + 1)) 5
}

# dv_quit: Quit from the tray menu, Yes; waits for the end.
dv_quit() {
  local box
  e2e_tray_right_click
  e2e_wait_popup 5 >/dev/null || return 1
  xdotool key Down Return
  box=$(e2e_wait_window '^Confirm Exit$' 5) || return 1
  timeout 5 xdotool windowactivate --sync "$box" key Return
  dv_wait_exit 10
}

# dv_frame WID: the window's frame rectangle "X Y W H" in root coordinates.
dv_frame() {
  local fx fy fw fh
  read -r _ _ _ _ fx fy fw fh _ <<<"$(e2e_geometry "$1")"
  echo "$fx $fy $fw $fh"
}

# dv_drag_title WID DX DY: drags window WID by its title bar (real button
# and pointer motion) by DX, DY.
dv_drag_title() {
  local fx fy fw t i
  read -r _ _ _ _ fx fy fw _ _ _ t _ <<<"$(e2e_geometry "$1")"
  xdotool mousemove $((fx + fw / 3)) $((fy + t / 2)) sleep 0.2 mousedown 1
  for i in 1 2 3 4 5 6 7 8 9 10; do
    xdotool sleep 0.03 mousemove $((fx + fw / 3 + $2 * i / 10)) $((fy + t / 2 + $3 * i / 10))
  done
  xdotool sleep 0.2 mouseup 1
}
