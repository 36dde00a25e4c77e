#!/usr/bin/env bash
# One Dayvane per user and program folder: a second start shows the running
# one's window (as a double-click on its icon does) and ends at once with
# status 0, also while the splash is still up; one with --today or --date
# has the running one open that day's note instead, and without one running
# starts Dayvane, which then opens it; --help, --version and mistakes on the
# command line need no display; a program killed with SIGKILL
# leaves nothing that blocks the next start; two program folders run side
# by side. Neither a client that holds many connections open, nor a lock
# file left empty, nor a socket or lock another user planted in the shared
# temporary folder delays a start or makes a second copy.
set -u
. "$(dirname "$0")/app.sh"

# 0. The command line, without a display: --help and --version answer and
# end with 0, a mistake says so in one line and ends with 2, and a plain
# start says there is no display and ends with 1 (instead of Qt's abort).
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 10 "$DV_HOME/dayvane" "$@"; }
out=$(nodisplay --help 2>"$E2E_TMP/err"); status=$?
e2e_check "--help without a display ends with 0 ($status) and shows the options" \
  eval '[ $status = 0 ] && grep -q -- "--date YYYY-MM-DD" <<<"$out" && [ ! -s "$E2E_TMP/err" ]'
out=$(nodisplay --version 2>"$E2E_TMP/err"); status=$?
e2e_check "--version says \"$out\" and ends with 0 ($status)" test "$status $out" = "0 Dayvane 2.0"
for bad in --bogus "--date 2026-02-30" --date; do
  # shellcheck disable=SC2086  # the words of $bad are the arguments
  out=$(nodisplay $bad 2>"$E2E_TMP/err"); status=$?
  e2e_check "$bad ends with 2 ($status), one line on stderr: $(cat "$E2E_TMP/err")" \
    test "$status $(wc -l <"$E2E_TMP/err") ${out:-none}" = "2 1 none"
done
nodisplay 2>"$E2E_TMP/err"; status=$?
e2e_check "no display: ends with 1 ($status), one line: $(cat "$E2E_TMP/err")" \
  eval '[ "$status $(wc -l <"$E2E_TMP/err")" = "1 1" ] && grep -q DISPLAY "$E2E_TMP/err"'

dv_desktop
# What the starts write is checked: none of an earlier run's.
rm -f "$E2E_ARTIFACTS"/second.log "$E2E_ARTIFACTS"/dayvane-*.log
# A desktop session's usual limit of descriptors for the programs started.
ulimit -Sn 1024


# dv_check_ms: how long the latest start took to find out whether another
# one runs, from its milestones.
dv_check_ms() {
  local from to
  from=$(dv_trace_last instance-check)
  to=$(dv_trace_last "${1:-instance-listening}")
  [ -n "$from" ] && [ -n "$to" ] && echo $((to - from))
}

# peer hold PATH N REPORT: holds N connections to the socket PATH open and
# writes how many it got to REPORT. peer squat PATH READY: listens at PATH,
# takes every connection and never answers; touches READY once listening.
# Both run until they are killed (the function becomes the Python process).
peer() {
  exec /usr/bin/python3 - "$@" <<'EOF'
import resource, signal, socket, sys
mode, path = sys.argv[1], sys.argv[2]
if mode == "hold":
    n = int(sys.argv[3])
    hard = resource.getrlimit(resource.RLIMIT_NOFILE)[1]
    want = n + 64 if hard == resource.RLIM_INFINITY else min(n + 64, hard)
    resource.setrlimit(resource.RLIMIT_NOFILE, (want, hard))
    held = []
    for _ in range(n):
        s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        s.settimeout(5)
        try:
            s.connect(path)
        except OSError:
            break
        held.append(s)
    with open(sys.argv[4], "w") as f:
        f.write("%d\n" % len(held))
else:
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    s.bind(path)
    s.listen(64)
    open(sys.argv[3], "w").close()
    held = []
    while True:
        held.append(s.accept()[0])
signal.pause()
EOF
}

# The program's icons docked in trayer.
dv_icons() {
  xwininfo -root -tree 2>/dev/null | awk '
    /"panel": \("panel" "trayer"\)/ { depth = match($0, /[^ ]/); inside = 1; next }
    inside && match($0, /[^ ]/) <= depth { inside = 0 }
    inside && /\("dayvane" "Dayvane"\)/ && match($0, / [0-9]+x[0-9]+\+/) {
      split(substr($0, RSTART + 1, RLENGTH - 2), d, "x"); if (d[1] > 1 && d[2] > 1) n++ }
    END { print n + 0 }'
}

# second_start [FOLDER]: runs the program again in the foreground, from its
# folder; its status in SECOND_STATUS, how long it took in SECOND_MS.
# start_with ARGS...: the same from $DV_HOME, with ARGS.
start_in() {
  local t0 folder=$1
  shift
  t0=$(now_ms)
  timeout 10 "$folder/dayvane" "$@" >>"$E2E_ARTIFACTS/second.log" 2>&1
  SECOND_STATUS=$?
  SECOND_MS=$(($(now_ms) - t0))
}
second_start() { start_in "${1:-$DV_HOME}"; }
start_with() { start_in "$DV_HOME" "$@"; }

# 1. A second start while the splash is up: it ends at once, and the main
# window is shown as soon as it is loaded.
dv_start
first=$DV_PID
# Its own milestone says when the splash is on screen (a window search can
# miss a window that is still being mapped).
e2e_check "the first start shows the splash" dv_wait_trace "shown frmSplash" 1 30
plain_ms=$(dv_check_ms)
e2e_log "the first start's check took $plain_ms ms"
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

# A start with --today or --date hands the day's note to the running one
# and ends at once; its shown calendar moves to the date.
dv_check_today_note start_with --today
e2e_check "the --today starts ended with 0 within 1 s (got $SECOND_STATUS, $SECOND_MS ms)" \
  test "$SECOND_STATUS" = 0 -a "$SECOND_MS" -lt 1000
dv_open_note start_with --date 2024-02-29
e2e_shot 02a-date-2024-02-29
e2e_check "--date 2024-02-29 ends with 0 ($SECOND_STATUS, $SECOND_MS ms) and opens 2-29-2024.txt ($DV_OPEN_ARG)" \
  test "$SECOND_STATUS $DV_OPEN_ARG" = "0 2-29-2024.txt" -a "$SECOND_MS" -lt 1000
e2e_check "an empty one" test -f "$DV_HOME/2-29-2024.txt" -a ! -s "$DV_HOME/2-29-2024.txt"
e2e_check "one icon in the tray ($(dv_icons))" test "$(dv_icons)" = 1
e2e_check "the first program still runs" e2e_pid_alive "$first"
e2e_editor_kill

socket=$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -type s -name 'dayvane-*' | head -n1)
name=${socket##*/}
e2e_check "the running program listens on a socket in XDG_RUNTIME_DIR ($name)" test -S "$socket"
e2e_check "of the user's alone ($(stat -c '%U %a' "$socket"))" \
  test "$(stat -c '%u %a' "$socket")" = "$(id -u) 700"

# A client holds 1,100 connections open, more than the program may have
# descriptors: a start still finds the running one at once, its socket
# stays, and the program serves only a few clients at a time.
e2e_spawn holder peer hold "$socket" 1100 "$E2E_TMP/held"
holder=$E2E_LAST_PID
e2e_check "a client holds connections open" e2e_wait_for 60 test -s "$E2E_TMP/held"
e2e_log "it holds $(cat "$E2E_TMP/held") connections; the program has $(ls /proc/"$first"/fd | wc -l) descriptors open"
e2e_check "1,100 of them ($(cat "$E2E_TMP/held"))" test "$(cat "$E2E_TMP/held")" = 1100
e2e_check "the program has few descriptors open ($(ls /proc/"$first"/fd | wc -l))" \
  test "$(ls /proc/"$first"/fd | wc -l)" -lt 100
e2e_check "its socket is still there" test -S "$socket"
xdotool windowminimize "$main"
e2e_wait_for 5 eval "[ \"\$(e2e_wm_state $main)\" = Withdrawn ]"
second_start
e2e_check "a start meanwhile ends with 0 (got $SECOND_STATUS, $SECOND_MS ms)" \
  test "$SECOND_STATUS" = 0 -a "$SECOND_MS" -lt 1000
e2e_wait_for 5 e2e_is_mapped "$main"
e2e_shot 02b-held-connections
e2e_check "and the running one's window is shown" e2e_is_mapped "$main"
e2e_check "one icon in the tray ($(dv_icons))" test "$(dv_icons)" = 1
e2e_check "the socket stays" test -S "$socket"
e2e_kill "$holder"

# 3. Killed with SIGKILL: its socket and lock stay behind, and the next
# start works at once all the same, also with the lock file left empty (as
# a kill between making and writing it leaves it).
kill -KILL "$first"
dv_wait_exit 5
e2e_check "the left-over socket is there" test -S "$socket"
: >"$socket.lock"
t0=$(now_ms)
dv_start
dv_wait_trace "shown frmSplash" 1 5
shown=$(dv_trace_last "shown frmSplash")
e2e_log "splash after the SIGKILL after $((${shown:-0} - t0)) ms"
e2e_check "after a SIGKILL the next start shows its splash within 5 s" \
  test -n "$shown" -a "$((${shown:-0} - t0))" -lt 5000
check_ms=$(dv_check_ms)
e2e_check "with an empty lock file its check takes as long as the first start's ($check_ms ms, $plain_ms ms)" \
  test -n "$check_ms" -a "${check_ms:-1000}" -lt $((${plain_ms:-0} + 200))
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

# None running: --today starts Dayvane as usual (splash, icon), which then
# opens today's note.
calls=$(e2e_editor_calls)
dv_start --today
e2e_check "a start with --today shows the splash" dv_wait_trace "shown frmSplash" 1 10
dv_skip_splash
e2e_wait_for 5 eval '[ "$(dv_icons)" -ge 1 ] && [ "$(e2e_editor_calls)" -gt $calls ]'
e2e_shot 03b-started-with-today
e2e_check "and ends up in the tray ($(dv_icons) icon) with the editor on today's note ($(tail -n1 "$E2E_EDITOR_LOG"))" \
  eval '[ "$(dv_icons)" = 1 ] && tail -n1 "$E2E_EDITOR_LOG" | grep -q "argv=$(dv_today_note)\$"'
e2e_check "after its main window loaded" \
  test "$(dv_trace_last main-loaded)" -le "$(dv_trace_last open-note)"
kill -TERM "$DV_PID"
dv_wait_exit 10
e2e_editor_kill

# 5. Without XDG_RUNTIME_DIR, the shared temporary folder: another user
# planted a socket that takes connections and never answers, and an empty
# lock, under the names a Dayvane of this folder would take there. Neither
# delays a start nor makes a second copy.
shared="$E2E_TMP/tmp"
mkdir -p "$shared"
chmod 1777 "$shared"
chmod 711 "$E2E_TMP"
squatter=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
e2e_spawn squatter "${squatter[@]}" bash -c "$(declare -f peer); peer squat '$shared/$name' '$shared/ready'"
e2e_wait_for 10 test -e "$shared/ready"
"${squatter[@]}" install -m 000 /dev/null "$shared/$name.lock"
e2e_check "another user's socket and lock are there ($(stat -c %U "$shared/$name" "$shared/$name.lock" | xargs))" \
  test -S "$shared/$name" -a -f "$shared/$name.lock"
unset XDG_RUNTIME_DIR
export TMPDIR="$shared"
dv_start
e2e_check "a start shows its splash" dv_wait_trace "shown frmSplash" 1 10
check_ms=$(dv_check_ms)
e2e_check "its check takes as long as with XDG_RUNTIME_DIR ($check_ms ms)" \
  test -n "$check_ms" -a "${check_ms:-1000}" -lt $((${plain_ms:-0} + 200))
private=$(stat -c '%U %a' "$shared/dayvane-$(id -u)")
e2e_check "its socket is in a folder of the user's alone ($private)" \
  test -S "$shared/dayvane-$(id -u)/$name" -a "$private" = "$(id -un) 700"
dv_skip_splash
e2e_wait_for 5 eval '[ "$(dv_icons)" -ge 1 ]'
second_start
e2e_check "a second start ends with 0 (got $SECOND_STATUS, $SECOND_MS ms)" \
  test "$SECOND_STATUS" = 0 -a "$SECOND_MS" -lt 1000
main=$(dv_main_window)
e2e_wait_for 5 e2e_is_mapped "$main"
e2e_shot 04-shared-temporary-folder
e2e_check "the running one's window is shown" e2e_is_mapped "$main"
e2e_check "one icon in the tray ($(dv_icons))" test "$(dv_icons)" = 1
e2e_check "the other user's socket and lock are left alone" \
  test -S "$shared/$name" -a "$(stat -c %U "$shared/$name.lock")" = nobody
kill -TERM "$DV_PID"
dv_wait_exit 10

# Another user made the folder dayvane-UID: the program does not use it,
# says so and runs at once.
rm -rf "${shared:?}/dayvane-$(id -u)"
"${squatter[@]}" mkdir -m 700 "$shared/dayvane-$(id -u)"
dv_start
e2e_check "with a folder of another user's, a start shows its splash" \
  dv_wait_trace "shown frmSplash" 1 10
check_ms=$(dv_check_ms instance-alone)
e2e_check "at once ($check_ms ms)" test -n "$check_ms" -a "${check_ms:-1000}" -lt 200
e2e_check "and says why it does not look for a running one" \
  grep -q "dayvane-$(id -u) is not a folder of this user's alone" "$E2E_ARTIFACTS/dayvane-$DV_RUNS.log"
kill -TERM "$DV_PID"
dv_wait_exit 10
e2e_check "it ends with status 0 (got ${DV_STATUS:-none})" test "${DV_STATUS:-1}" = 0
e2e_summary
