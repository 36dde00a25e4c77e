#!/usr/bin/env bash
# The calendar knows the diary: days with notes are bold, kept current from
# the file system while the window is shown (whoever writes, however fast,
# also when the folder itself is deleted or renamed), a resting pointer or
# the keyboard shows a date's tip (also while another window is active), a
# screen reader reads the dates in full with their notes (AT-SPI), and in
# the tray the program makes no system call at all. A note that is a named
# pipe is reported, not waited on, and a note is always created in the
# folder the program names.
#
# The grid's cells are found from the marks themselves: two notes in known
# cells give the cell size and position, and every later change must lie in
# the one cell it concerns. The user's week: en_US starts on Sunday.
#
# A full minute of the idle measurement, by hand:
#   strace -c -f -p "$(pidof dayvane)" -o idle.txt & sleep 60; kill -INT $!
set -u
export LC_ALL=en_US.UTF-8 TZ=UTC
. "$(dirname "$0")/lib.sh"
# A session bus for the accessibility bus, which Qt joins without a screen
# reader's asking too.
e2e_session_bus "$@"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
. "$(dirname "$0")/app.sh"
e2e_start_x && e2e_start_wm && e2e_start_tray || exit 1
e2e_stub_editor

now_ms() { date +%s%3N; }

# page_name I [FORMAT]: the notes file name of cell I (0..41) of this
# month's page, Sunday first; with FORMAT (strftime's), its date so.
page_name() {
  python3 - "$1" "${2:-%-m-%-d-%Y.txt}" <<'EOF'
import datetime, sys
today = datetime.date.today()
first = today.replace(day=1)
before = (first.isoweekday() % 7) or 7          # days shown before the 1st
day = first - datetime.timedelta(days=before - int(sys.argv[1]))
print(day.strftime(sys.argv[2]))
EOF
}

# Screenshots of the main window's client area.
shot() {
  SHOTS=$(($(cat "$E2E_TMP/shots" 2>/dev/null || echo 0) + 1))
  echo "$SHOTS" >"$E2E_TMP/shots"
  dv_shot "$main" "$E2E_ARTIFACTS/shot-$SHOTS.png"
  echo "$E2E_ARTIFACTS/shot-$SHOTS.png"
}
# wait_change BEFORE: waits (up to 3 s) for the window to differ from
# BEFORE; sets AFTER, BOX ("W H X Y") and TOOK (ms from T0 to the shot
# that showed it).
wait_change() {
  local deadline=$((SECONDS + 3)) start
  BOX=''
  while [ "$SECONDS" -le "$deadline" ]; do
    start=$(now_ms)
    AFTER=$(shot)
    if BOX=$(dv_changed "$1" "$AFTER"); then
      TOOK=$((start - T0))
      return 0
    fi
  done
  BOX=''
  return 1
}
# in_cell I: the changed box lies in cell I (its centre within a quarter
# cell of the cell's centre, its size within the cell).
in_cell() {
  local w h x y
  read -r w h x y <<<"$BOX"
  local cx=$((x + w / 2)) cy=$((y + h / 2))
  local ex=$((X0 + ($1 % 7) * CW)) ey=$((Y0 + ($1 / 7) * CH))
  [ "$w" -lt "$CW" ] && [ "$h" -lt "$CH" ] &&
    [ $((cx - ex)) -le $((CW / 4)) ] && [ $((ex - cx)) -le $((CW / 4)) ] &&
    [ $((cy - ey)) -le $((CH / 4)) ] && [ $((ey - cy)) -le $((CH / 4)) ]
}
box_centre() { local w h x y; read -r w h x y <<<"$BOX"; echo "$((x + w / 2)) $((y + h / 2))"; }

# note I TEXT: writes cell I's notes file from outside, as a shell does.
note() { T0=$(now_ms); printf '%s' "$2" >"$DV_HOME/$(page_name "$1")"; }

# The program's own account (its trace, dv_marks_now): marks_read_at N
# prints the time of its first read since T0 that found N.
marks_read_at() {
  awk -v t="$T0" -v n="$1" '$2 == "marks-read" && $1 >= t && $3 == n { print $1; exit }' \
    "$DAYVANE_TRACE"
}
# cpu_ms: the program's processor time so far, in milliseconds.
cpu_ms() { awk -v hz="$(getconf CLK_TCK)" '{ print int(($14 + $15) * 1000 / hz) }' "/proc/$DV_PID/stat"; }
# double_click_cell I: double-clicks the date in cell I.
double_click_cell() {
  local cx cy
  read -r cx cy _ <<<"$(e2e_geometry "$main")"
  xdotool mousemove $((cx + X0 + ($1 % 7) * CW)) $((cy + Y0 + ($1 / 7) * CH)) sleep 0.3 \
    click --repeat 2 --delay 80 1
}

dv_start
dv_skip_splash
main=$(dv_main_window)
xdotool mousemove 5 700
dv_show "$main"
e2e_check "the window is shown" e2e_is_mapped "$main"
sleep 0.5
BEFORE=$(shot)
cp "$BEFORE" "$E2E_ARTIFACTS/01-no-notes.png"

# Two notes calibrate the grid: cell 12 (second week, Friday) and cell 36
# (sixth week, Monday).
note 12 "first"
wait_change "$BEFORE"
e2e_check "a note written from outside is marked within 1 s (${TOOK:-?} ms)" \
  test -n "$BOX" -a "${TOOK:-9999}" -le 1000
read -r ax ay <<<"$(box_centre)"
e2e_check_bold "at ${E2E_DPI:-96} dpi" "$BEFORE" "$AFTER"
BEFORE=$AFTER
note 36 "second"
wait_change "$BEFORE"
read -r bx by <<<"$(box_centre)"
CW=$(((ax - bx) / 4)) CH=$(((by - ay) / 4))
X0=$((ax - 5 * CW)) Y0=$((ay - CH))
e2e_log "cells ${CW}x${CH}, first cell's centre at $X0,$Y0"
e2e_check "cells are of a sensible size (${CW}x${CH})" test "$CW" -ge 20 -a "$CH" -ge 12
# The first column begins at the calendar's left edge: Sunday first.
e2e_check "the week starts on the user's day (first column at $((X0 - CW / 2)))" \
  test $((X0 - CW / 2)) -ge 0 -a $((X0 - CW / 2)) -le $((CW / 2))
BEFORE=$AFTER

for cell in 0 41; do
  note "$cell" "a day of the month next door"
  wait_change "$BEFORE"
  e2e_check "cell $cell, of another month, is marked in its own cell ($BOX)" in_cell "$cell"
  BEFORE=$AFTER
done
cp "$BEFORE" "$E2E_ARTIFACTS/02-four-notes.png"

# What is not an entry changes nothing: an empty notes file, other files,
# a note for a month not shown. A note written after them is the barrier:
# once it shows, they have been seen.
T0=$(now_ms)
: >"$DV_HOME/$(page_name 20)"
echo "not a note" >"$DV_HOME/notes.txt"
echo "not a date" >"$DV_HOME/13-1-$(date +%Y).txt"
echo "far away" >"$DV_HOME/$(date -d '+3 months' +%-m-15-%Y).txt"
note 22 $'\n   Tea with Ann <b>at five</b>\nsecond line'
wait_change "$BEFORE"
e2e_check "empty files, other files and other months change nothing ($BOX)" in_cell 22
BEFORE=$AFTER

# Emptying and deleting take the mark away.
name=$(page_name 12)
T0=$(now_ms)
: >"$DV_HOME/$name"
wait_change "$BEFORE"
e2e_check "emptying a note removes its mark (${TOOK:-?} ms)" \
  eval 'in_cell 12 && [ "$TOOK" -le 1000 ]'
BEFORE=$AFTER
name=$(page_name 36)
T0=$(now_ms)
rm "$DV_HOME/$name"
wait_change "$BEFORE"
e2e_check "deleting a note removes its mark (${TOOK:-?} ms)" \
  eval 'in_cell 36 && [ "$TOOK" -le 1000 ]'
BEFORE=$AFTER

# An editor that saves into a temporary file and renames it over the note
# (cell 20's empty file).
name=$(page_name 20)
T0=$(now_ms)
printf 'saved by an editor\n' >"$DV_HOME/.$name.tmp"
mv "$DV_HOME/.$name.tmp" "$DV_HOME/$name"
wait_change "$BEFORE"
e2e_check "a note renamed into place is seen (${TOOK:-?} ms)" \
  eval 'in_cell 20 && [ "$TOOK" -le 1000 ]'
BEFORE=$AFTER
cp "$BEFORE" "$E2E_ARTIFACTS/03-after-changes.png"

# The tip of a date with a note: date, week, the note's first line, and
# the same day's notes of three earlier years, newest first.
IFS=- read -r m d y <<<"$(page_name 22 %-m-%-d-%Y)"
for back in 12 4 8; do echo "Snow in $((y - back))" >"$DV_HOME/$m-$d-$((y - back)).txt"; done
read -r cx cy _ <<<"$(e2e_geometry "$main")"
xdotool mousemove $((cx + X0 + (22 % 7) * CW)) $((cy + Y0 + (22 / 7) * CH)) sleep 0.2 \
  mousemove_relative 1 1
tip=$(e2e_wait_window_type TOOLTIP 5)
e2e_shot 04-tip-with-note
e2e_check "resting on a date shows its tip" test -n "$tip"
read -r _ _ tw th _ <<<"$(e2e_geometry "${tip:-0}")"
e2e_check "of seven lines (${tw:-?}x${th:-?})" test "${th:-0}" -ge 90 -a "${tw:-0}" -ge 120
e2e_check "on this day: the earlier years' notes, newest first ($(dv_trace_words tip))" eval \
  '[[ "$(dv_trace_words tip)" == *" | On this day: | $((y - 4)): Snow in $((y - 4)) | $((y - 8)): "*" | $((y - 12)): "* ]]'
# A note that is not text at all.
printf '\xff\xfe\x00\xd8\n\xc3(\x80\x01\xe2\x80\xae bytes' >"$DV_HOME/$(page_name 23)"
xdotool mousemove $((cx + X0 + (23 % 7) * CW)) $((cy + Y0 + (23 / 7) * CH)) sleep 0.2 \
  mousemove_relative 1 1
sleep 1  # the tip follows the pointer after the toolkit's delay
tip=$(e2e_wait_window_type TOOLTIP 5)
e2e_shot 05-tip-with-bytes
e2e_check "a note of stray bytes shows a tip too, and the program runs" \
  eval '[ -n "$tip" ] && dv_running'

# Another window active (a click went elsewhere): resting on a date still
# shows its tip.
xdotool mousemove 5 700
e2e_wait_for 5 eval '[ -z "$(e2e_wait_window_type TOOLTIP 0)" ]'
e2e_spawn other xmessage -title other-window -geometry 200x60+0+600 "another window"
other_pid=$E2E_LAST_PID
other=$(e2e_wait_window '^other-window$' 5)
timeout 5 xdotool windowactivate --sync "$other"
e2e_check "another window is active" test "$(xdotool getactivewindow)" = "$other"
xdotool mousemove $((cx + X0 + (22 % 7) * CW)) $((cy + Y0 + (22 / 7) * CH)) sleep 0.2 \
  mousemove_relative 1 1
tip=$(e2e_wait_window_type TOOLTIP 5)
e2e_shot 05b-tip-other-window-active
e2e_check "while another window is active, resting on a date shows its tip" test -n "$tip"
e2e_kill "$other_pid"

# What a screen reader reads of the grid (AT-SPI): dates in full, in the
# user's language (so a day of another month says its month), with their
# notes' first lines and today, under the day names as column headers;
# the month arrows by name.
/usr/bin/python3 "$(dirname "$0")/a11y.py" grid >"$E2E_ARTIFACTS/a11y-grid.txt"
grid() { grep -F -- "$1" "$E2E_ARTIFACTS/a11y-grid.txt"; }
long='%A, %B %-d, %Y'
e2e_check "a date is read in full ($(page_name 22 "$long"))" \
  eval 'grid "table cell	$(page_name 22 "$long")	Note: Tea with Ann <b>at five</b>	"'
e2e_check "a day of another month too, with its note" \
  eval 'grid "table cell	$(page_name 0 "$long")	Note: a day of the month next door	"'
e2e_check "today is read as today" eval 'grid "table cell	$(date +"$long")	Today"'
plain=35
[ "$(page_name $plain %F)" = "$(date +%F)" ] && plain=34
e2e_check "a day without a note has no description" \
  eval 'grid "table cell	$(page_name $plain "$long")		"'
headers=$(grid "table column header	" | cut -f2 | tr '\n' ' ')
e2e_check "the day names are the column headers, Sunday first ($headers)" \
  eval '[ "$headers" = "Sunday Monday Tuesday Wednesday Thursday Friday Saturday " ] &&
    ! grid "table column header" | grep -q selectable'
e2e_check "the month arrows are named" \
  eval 'grid "push button	Previous month	" && grid "push button	Next month	"'

# The keyboard: moving the selection shows the new date's tip.
xdotool mousemove 5 700
e2e_wait_for 5 eval '[ -z "$(e2e_wait_window_type TOOLTIP 0)" ]'
timeout 5 xdotool windowactivate --sync "$main"
xdotool mousemove $((cx + X0 + (15 % 7) * CW)) $((cy + Y0 + (15 / 7) * CH)) click 1 \
  mousemove 5 700 sleep 0.3
# A screen reader hears of the date the selection moves to.
: >"$E2E_ARTIFACTS/a11y-watch.log"
e2e_spawn a11y-watch /usr/bin/python3 "$(dirname "$0")/a11y.py" watch 5
watcher=$E2E_LAST_PID
e2e_wait_for 5 grep -q ready "$E2E_ARTIFACTS/a11y-watch.log"
xdotool key Right
tip=$(e2e_wait_window_type TOOLTIP 5)
e2e_shot 06-tip-keyboard
e2e_check "moving the selection with the keyboard shows its tip" test -n "$tip"
e2e_check "and gives the focus to its date ($(page_name 16 "$long"))" e2e_wait_for 5 \
  grep -qF "focus:	$(page_name 16 "$long")" "$E2E_ARTIFACTS/a11y-watch.log"
# Its end is told to the program (the bus's listeners change): before the
# quiet in the tray.
e2e_wait_for 10 eval '! e2e_pid_alive $watcher'

# In the tray: no system call at all for 20 s, also while notes are written.
# The tip goes with a key or when the pointer leaves the date it is for.
xdotool key Escape mousemove $((cx + X0)) $((cy + Y0)) sleep 0.3 mousemove 5 700
e2e_wait_for 12 eval '[ -z "$(e2e_wait_window_type TOOLTIP 0)" ]'
HIDDEN=$(shot)
xdotool windowminimize "$main"
e2e_wait_for 5 eval '! e2e_is_mapped $main'
e2e_wait_for 10 dv_settled
e2e_check "hidden in the tray, no timer is armed" dv_settled
strace -c -f -p "$DV_PID" -o "$E2E_ARTIFACTS/idle-strace.txt" &
tracer=$!
e2e_wait_for 5 grep -q 'TracerPid:[[:space:]]*[1-9]' "/proc/$DV_PID/status"
sleep 10
echo "written while hidden" >"$DV_HOME/$(page_name 12)"
sleep 10
kill -INT "$tracer"
wait "$tracer"
# Attaching interrupts the call the program waits in, which the kernel then
# restarts (restart_syscall): that one is the tracer's, not the program's.
calls=$(awk '/^-/ || /^%/ || $NF == "total" || $NF == "restart_syscall" { next }
  { n += ($4 ~ /^[0-9]+$/) ? $4 : 0 } END { print n + 0 }' "$E2E_ARTIFACTS/idle-strace.txt")
e2e_check "hidden in the tray: ${calls:-0} system calls in 20 s" test "${calls:-0}" = 0
# Shown again, it is up to date at once.
dv_show "$main"
xdotool mousemove 5 700
AFTER=$(shot)
cp "$AFTER" "$E2E_ARTIFACTS/07-shown-again.png"
BOX=$(dv_changed "$HIDDEN" "$AFTER")
e2e_check "shown again, the note written meanwhile is marked ($BOX)" in_cell 12

# The whole page's notes files, cell by cell.
mapfile -t PAGE < <(for cell in $(seq 0 41); do page_name "$cell"; done)
# with_content: how many of them hold something.
with_content() {
  local name n=0
  for name in "${PAGE[@]}"; do [ -s "$DV_HOME/$name" ] && n=$((n + 1)); done
  echo "$n"
}

# A single note is marked at once: the program's read that shows it.
expected=$(($(dv_marks_now) + 1))
T0=$(now_ms)
echo "one more" >"$DV_HOME/${PAGE[9]}"
e2e_wait_for 3 eval '[ -n "$(marks_read_at $expected)" ]'
at=$(marks_read_at "$expected")
took=$((${at:-$((T0 + 99999))} - T0))
e2e_check "a single note is read and marked within 50 ms ($took ms)" test "$took" -le 50

# A burst: 1,000 rewrites within a second of the notes of 21 days of the
# month (each emptied, then written, as a shell or an editor saving in
# place does). The first change shows at once, the rest is folded into a
# few reads of the folder; no mark blinks (a note is empty between its
# emptying and its new text), and the marks end right.
reads=$(dv_trace_count marks-read)
cpu=$(cpu_ms)
T0=$(now_ms)
python3 - "$DV_HOME" "${PAGE[@]:7:21}" <<'PY'
import sys, time
folder, names = sys.argv[1], sys.argv[2:]
start = time.monotonic()
for i in range(1000):
    with open(f"{folder}/{names[i % len(names)]}", "w") as note:
        note.write(f"burst {i}\n")
    late = start + (i + 1) / 1000 - time.monotonic()
    if late > 0:
        time.sleep(late)
PY
burst_ms=$(($(now_ms) - T0))
expected=$(with_content)
# Settled: the marks are right and the last read was 300 ms ago.
e2e_wait_for 5 eval '[ "$(dv_marks_now)" = "$expected" ] &&
  [ $(($(now_ms) - $(dv_trace_last marks-read))) -ge 300 ]'
reads=$(($(dv_trace_count marks-read) - reads))
cpu=$(($(cpu_ms) - cpu))
e2e_log "burst: 1000 writes in $burst_ms ms, $reads reads of the folder, $cpu ms of processor"
e2e_check "a burst of 1000 writes ends with its $expected notes marked ($(dv_marks_now))" \
  test "$(dv_marks_now)" = "$expected"
# At most one read in 50 ms (a read a write would be 1000).
e2e_check "the burst is read a few times ($reads), not once a write" \
  test "$reads" -ge 1 -a "$reads" -le $((5 + burst_ms / 50))
e2e_check "and costs little processor time ($cpu ms)" test "$cpu" -le 300
e2e_check "no mark went away for a moment during the burst" \
  awk -v t="$T0" '$2 == "marks-read" && $1 >= t { if (n != "" && $3 < n) drop = 1; n = $3 }
    END { exit drop || n == "" }' "$DAYVANE_TRACE"
cp "$(shot)" "$E2E_ARTIFACTS/08-after-burst.png"

# Find as you type: "heron" in notes of three months, one of them on the
# page (cell 25, with a UTF-8 mark), one after 100 KB of other text; "hero"
# alone (cell 26) is no match, nor is a note of over 1 MB.
# While the find is on only the page's matching day is bold; Enter visits
# the three in date order, across months and round; Escape, or the focus
# leaving, brings every mark back.
iso_of() { local m d y; IFS=- read -r m d y <<<"${1%.txt}"; printf '%04d-%02d-%02d' "$y" "$m" "$d"; }
name_of() { date -d "$1" +%-m-%-d-%Y.txt; }
# bold_changes BEFORE AFTER: the cells whose text is lighter ("-I") or
# heavier ("+I") in AFTER: fewer or more pixels off the cell's background.
bold_changes() {
  /usr/bin/python3 - "$1" "$2" "$X0" "$Y0" "$CW" "$CH" <<'PY'
import sys
from PIL import Image
shots = [Image.open(p).convert("RGB") for p in sys.argv[1:3]]
x0, y0, cw, ch = map(int, sys.argv[3:])
def ink(shot, i):
    cx, cy = x0 + i % 7 * cw, y0 + i // 7 * ch
    cell = shot.crop((cx - cw // 2 + 2, cy - ch // 2 + 2, cx + cw // 2 - 2, cy + ch // 2 - 2))
    return cell.width * cell.height - max(cell.getcolors(cell.width * cell.height))[0]
print(" ".join(f"{'+' if d > 0 else '-'}{i}" for i in range(42)
               for d in [ink(shots[1], i) - ink(shots[0], i)] if d))
PY
}
heron=("$(date -d "$(date +%Y-%m-15) -2 month" +%F)" "$(iso_of "${PAGE[25]}")"
  "$(date -d "$(date +%Y-%m-20) +1 month" +%F)")
T0=$(now_ms)
{ head -c 100000 /dev/zero | tr '\0' .; echo 'Saw a grey HERON by the lake'; } \
  >"$DV_HOME/$(name_of "${heron[0]}")"
{ head -c 1100000 /dev/zero | tr '\0' .; echo heron; } >"$DV_HOME/$(date -d '+2 month' +%-m-1-%Y.txt)"
printf '\xef\xbb\xbfThe heron again\n' >"$DV_HOME/${PAGE[25]}"
printf 'Heronry in the park\n' >"$DV_HOME/$(name_of "${heron[2]}")"
printf 'hero of the day\n' >"$DV_HOME/${PAGE[26]}"
e2e_wait_for 3 eval '[ -n "$(marks_read_at "$(with_content)")" ]'
read -r cx cy _ <<<"$(e2e_geometry "$main")"
timeout 5 xdotool windowactivate --sync "$main"
xdotool mousemove $((cx + X0 + (25 % 7) * CW)) $((cy + Y0 + (25 / 7) * CH)) click 1 \
  mousemove 5 700
e2e_wait_for 12 eval '[ -z "$(e2e_wait_window_type TOOLTIP 0)" ]'
MARKED=$(shot)
xdotool type --delay 100 Heron
e2e_wait_for 5 eval '[ "$(dv_trace_words find-tip)" = "Find: Heron | 3 days" ]'
e2e_check "typing Heron finds three days ($(dv_trace_words find-tip))" \
  test "$(dv_trace_words find-tip)" = "Find: Heron | 3 days"
lighter=$(for i in $(seq 0 41); do
  [ "$i" != 25 ] && [ -s "$DV_HOME/${PAGE[i]}" ] && echo "-$i"; done | paste -sd' ')
e2e_wait_for 3 eval '[ "$(bold_changes "$MARKED" "$(shot)")" = "$lighter" ]'
e2e_shot 12-find-heron
e2e_check "only the page's matching day stays bold ($(bold_changes "$MARKED" "$(shot)"))" \
  test "$(bold_changes "$MARKED" "$(shot)")" = "$lighter"
visited="$(dv_find_select Return) $(dv_find_select Return)"
e2e_shot 13-find-wrapped
visited="$visited $(dv_find_select Return)"
e2e_check "Enter visits them in order, across months and round ($visited)" \
  test "$visited" = "${heron[2]} ${heron[0]} ${heron[1]}"
e2e_check "Shift+Enter goes back round ($(dv_find_select shift+Return))" \
  test "$(dv_trace_words find-select)" = "${heron[0]}"
e2e_check "F3 goes on, the tip counts ($(dv_find_select F3), $(dv_trace_words find-tip))" \
  test "$(dv_trace_words find-select) $(dv_trace_words find-tip)" = "${heron[1]} Find: Heron | Day 2 of 3"
xdotool key BackSpace BackSpace
e2e_wait_for 3 eval '[ "$(dv_trace_words find-tip)" = "Find: Her | 4 days" ]'
e2e_check "Backspace edits the text ($(dv_trace_words find-tip))" \
  test "$(dv_trace_words find-tip)" = "Find: Her | 4 days"
# The date's tip from the keyboard goes when the pointer passes by.
xdotool key Escape mousemove $((cx + X0)) $((cy + Y0)) sleep 0.3 mousemove 5 700
e2e_wait_for 12 eval '[ -z "$(e2e_wait_window_type TOOLTIP 0)" ]'
e2e_check "Escape ends the find: every mark is back, the tip gone" \
  e2e_wait_for 3 eval '! dv_changed "$MARKED" "$(shot)"'
ends=$(dv_trace_count find-end)
xdotool type h
e2e_wait_for 3 eval '[[ $(dv_trace_words find-tip) == "Find: h | "* ]]'
xdotool windowminimize "$main"
e2e_check "the focus leaving ends a find" dv_wait_trace find-end $((ends + 1)) 3
dv_show "$main"
xdotool mousemove 5 700

# A named pipe by a note's name: a double-click on its date says what it
# is and does not wait for a reader; the program goes on.
mkfifo "$DV_HOME/${PAGE[30]}"
editors=$(e2e_editor_calls)
double_click_cell 30
box=$(e2e_wait_window_type DIALOG 5)
e2e_shot 09-named-pipe
e2e_check "a note that is a named pipe gets a message box" test -n "$box"
if [ -n "$box" ]; then
  timeout 5 xdotool windowactivate --sync "$box" key Return
  e2e_check "which closes: the program answers" e2e_wait_gone "$box" 5
fi
e2e_check "no editor was started for it" test "$(e2e_editor_calls)" = "$editors"
rm "$DV_HOME/${PAGE[30]}"

# The folder deleted and made again: notes written into the new one are
# marked as before.
T0=$(now_ms)
rm -rf "${DV_HOME:?}"
e2e_wait_for 3 eval '[ -n "$(marks_read_at 0)" ]'
e2e_check "the folder deleted: no marks ($(dv_marks_now))" test "$(dv_marks_now)" = 0
mkdir "$DV_HOME"
T0=$(now_ms)
echo "in the new folder" >"$DV_HOME/${PAGE[15]}"
e2e_wait_for 3 eval '[ -n "$(marks_read_at 1)" ]'
at=$(marks_read_at 1)
took=$((${at:-$((T0 + 99999))} - T0))
e2e_check "made again, a note written into it is marked within 1 s ($took ms)" \
  test "$took" -le 1000
cp "$(shot)" "$E2E_ARTIFACTS/10-folder-made-again.png"

# The folder renamed and an empty one made in its place: the marks follow
# the name, and a double-click creates the note in the new folder, where
# the editor starts.
T0=$(now_ms)
mv "$DV_HOME" "$DV_HOME.old"
mkdir "$DV_HOME"
e2e_wait_for 3 eval '[ -n "$(marks_read_at 0)" ]'
e2e_check "renamed, an empty folder in its place: no marks ($(dv_marks_now))" test "$(dv_marks_now)" = 0
cp "$(shot)" "$E2E_ARTIFACTS/11-folder-renamed.png"
editors=$(e2e_editor_calls)
double_click_cell 16
e2e_wait_for 5 eval '[ "$(e2e_editor_calls)" -gt "$editors" ]'
e2e_check "a double-click creates the note in the new folder" test -f "$DV_HOME/${PAGE[16]}"
e2e_check "and not in the renamed one" test ! -e "$DV_HOME.old/${PAGE[16]}"
e2e_check "the editor starts in the new folder" \
  eval 'tail -n1 "$E2E_EDITOR_LOG" | grep -qF "cwd=$DV_HOME argv=${PAGE[16]}"'

# SIGTERM ends it at once.
T0=$(now_ms)
kill -TERM "$DV_PID"
dv_wait_exit 10
took=$(($(now_ms) - T0))
e2e_check "the program ends at once ($took ms) with status 0" \
  test "${DV_STATUS:-1}" = 0 -a "$took" -le 2000
e2e_summary
