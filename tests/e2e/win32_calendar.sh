#!/usr/bin/env bash
# The Windows program's calendar under Wine, read from screenshots: it fills
# its designed rectangle with grid lines at the designed size and after a
# resize to 1.5 times; days with notes turn bold within a second when any
# program writes a note and plain again when it is emptied or deleted, and
# nothing else in the folder changes the page or is even read (the
# program's trace); hidden in the tray it keeps the page current, so that a
# show reads nothing; a resting pointer and the keyboard show a date's tip.
# A screen reader (PROBE_EXE, tests/e2e/win32/accessible_probe.cpp built)
# reads the page as a table of days named by their full dates, the note's
# first line, today and the month buttons, and hears the arrow key move
# the focus. Find as you type keeps only the matching days bold.
#
#   win32_calendar.sh DAYVANE_EXE NOTEPAD_EXE PROBE_EXE [ARTIFACT_DIR]
set -u
[ $# -ge 3 ] || { echo "usage: $0 DAYVANE_EXE NOTEPAD_EXE PROBE_EXE [ARTIFACT_DIR]" >&2; exit 2; }
exe=$(realpath "$1")
notepad=$(realpath "$2")
probe=$(realpath "$3")
# The user's locale: en_US, whose week starts on Sunday.
export LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/wine_check.sh"
wine_pick win32_calendar "$exe"
e2e_init "${4:-}"
rm -f "$E2E_ARTIFACTS"/*.png "$E2E_ARTIFACTS"/*.log
. "$(dirname "$0")/wine_app.sh"
w32_setup "$exe" "$notepad" || exit 1
shot_py="$(dirname "$0")/calendar_shot.py"

w32_show
e2e_check "the icon's double-click shows the window" test -n "$main"
[ -n "$main" ] || exit 1
# The X window holds the menu bar and the client area, 201 pixels high at
# the design size (96 dpi).
read -r mx my mw mh _ < <(w32_geometry "$main")
menu=$((mh - 201))

# The calendar's rectangle: 90 + 4695 + 90 twips across the client width,
# the whole client height.
calendar() {
  local x y w h
  read -r x y w h _ < <(w32_geometry "$main")
  local cw=$w ch=$((h - menu))
  echo "$((x + (90 * cw + 2437) / 4875)) $((y + menu)) $(((4695 * cw + 2437) / 4875)) $ch"
}
# full_shot: the screen to a new file; prints its name. (Called in $(...):
# the count is kept in a file.)
full_shot() {
  local n=$(($(cat "$E2E_TMP/shots" 2>/dev/null || echo 0) + 1))
  echo "$n" >"$E2E_TMP/shots"
  import -display "$DISPLAY" -window root "$E2E_ARTIFACTS/shot-$n.png" 2>/dev/null
  echo "$E2E_ARTIFACTS/shot-$n.png"
}
# fills NAME: the calendar fills its rectangle and has its grid.
fills() {
  local rect result fill v h
  rect=$(calendar)
  e2e_shot "$1"
  result=$("$shot_py" grid "$E2E_ARTIFACTS/$1.png" $rect)
  e2e_log "$1: calendar at $rect: $result"
  read -r fill v h <<<"$result"
  fill=${fill#fill=}
  e2e_check "$1: the drawing covers at least 95 % of the calendar's rectangle ($fill)" \
    python3 -c "import sys; sys.exit(not $fill >= 0.95)"
  e2e_check "$1: 8 vertical and 8 horizontal grid lines ($v, $h)" \
    test "$v $h" = "vertical=8 horizontal=8"
}

fills 01-design-size
e2e_check "the calendar is 313 x 201 at the design size ($(calendar))" \
  eval '[[ "$(calendar)" == *" 313 201" ]]'

# --- The marks ---------------------------------------------------------------
year=$(date +%Y) month=$((10#$(date +%m)))
note() { echo "$prog/$month-$1-$year.txt"; }
cell_of() { "$shot_py" index "$year" "$month" "$1"; }
# wait_cell BEFORE: waits up to 3 s for the calendar to differ from BEFORE;
# sets AFTER, CELL (the cell that changed) and TOOK (ms since T0).
wait_cell() {
  local deadline=$((SECONDS + 3)) start
  CELL=none
  while [ "$SECONDS" -le "$deadline" ]; do
    start=$(date +%s%3N)
    AFTER=$(full_shot)
    CELL=$("$shot_py" cell "$1" "$AFTER" $(calendar))
    if [ "$CELL" != none ]; then
      TOOK=$((start - T0))
      return 0
    fi
  done
  return 1
}
unchanged() { [ "$("$shot_py" cell "$1" "$(full_shot)" $(calendar))" = none ]; }

# The pointer off the calendar, so that no tip comes.
xdotool mousemove 5 700
S0=$(full_shot)
T0=$(date +%s%3N)
printf 'Tea with Ann\r\nat five\r\n' >"$(note 15)"
wait_cell "$S0"
e2e_check "a note written from outside marks its day within 1 s (cell $CELL, ${TOOK:-?} ms)" \
  test "$CELL" = "$(cell_of 15)" -a "${TOOK:-9999}" -le 1000
cp "$AFTER" "$E2E_ARTIFACTS/02-note-on-15.png"
e2e_check_bold "the 15th" "$S0" "$AFTER" $(calendar) "$(cell_of 15)"
S1=$AFTER

# Files that are no notes of the page are named by the folder's watch and
# cost no read of the notes.
reads=$(dv_trace_count marks-) ignored=$(dv_trace_count notes-ignored)
echo "not a day" >"$prog/notes.txt"
echo "no such month" >"$prog/13-1-$year.txt"
echo "a month not shown" >"$prog/$(( (month + 5) % 12 + 1 ))-20-$((year + 1)).txt"
dv_wait_trace notes-ignored $((ignored + 1)) 3
e2e_check "other files and a month not shown are seen and read nothing" \
  test "$(dv_trace_count notes-ignored)" -gt "$ignored" -a "$(dv_trace_count marks-)" = "$reads"
: >"$(note 16)"
e2e_check "an empty note, other files and a month not shown change nothing" \
  e2e_stays 2 unchanged "$S1"

# An editor's save: a temporary file renamed over the note.
printf 'Dentist' >"$prog/~16.tmp"
T0=$(date +%s%3N)
mv -f "$prog/~16.tmp" "$(note 16)"
wait_cell "$S1"
e2e_check "a note saved through a rename is seen (cell $CELL, ${TOOK:-?} ms)" \
  test "$CELL" = "$(cell_of 16)" -a "${TOOK:-9999}" -le 1000
S2=$AFTER

T0=$(date +%s%3N)
: >"$(note 15)"
wait_cell "$S2"
e2e_check "emptying a note removes its mark (cell $CELL)" test "$CELL" = "$(cell_of 15)"
S3=$AFTER
T0=$(date +%s%3N)
rm -f "$(note 16)"
wait_cell "$S3"
e2e_check "deleting a note removes its mark (cell $CELL)" test "$CELL" = "$(cell_of 16)"
e2e_check "the page is as it was before the notes" unchanged "$S0"

# --- Hidden ------------------------------------------------------------------
# Minimised to the tray, the window keeps its page current from the
# folder's watch: a note written meanwhile is marked when it is shown
# again, and the show reads nothing.
xdotool windowminimize "$main"
e2e_wait_for 5 eval '! e2e_is_mapped "$main"'
e2e_check "minimised, the window hides in the tray" eval '! e2e_is_mapped "$main"'
reads=$(dv_trace_count marks-read) updates=$(dv_trace_count marks-updated)
shows=$(dv_trace_count "shown frmMain")
printf 'Tea with Ann\r\nat five\r\n' >"$(note 15)"
dv_wait_trace marks-updated $((updates + 1)) 3
xdotool mousemove "$ix" "$iy" sleep 0.3 click --repeat 2 --delay 80 1
dv_wait_trace "shown frmMain" $((shows + 1)) 10
e2e_wait_for 5 e2e_is_mapped "$main"
CELL=$("$shot_py" cell "$S0" "$(full_shot)" $(calendar))
e2e_check "a note written while hidden is marked when shown (cell $CELL)" test "$CELL" = "$(cell_of 15)"
e2e_check "the show read nothing: the watch kept the page" \
  test "$(dv_trace_count marks-read)" = "$reads"
xdotool mousemove 5 700

# --- The tips ------------------------------------------------------------------
# Date, week, the note's first line, and the same day's notes of three
# earlier years, newest first.
for back in 12 4 8; do printf 'Snow in %s\r\n' $((year - back)) >"$prog/$month-15-$((year - back)).txt"; done
printf 'Tea with Ann\r\nat five\r\n' >"$(note 15)"
e2e_wait_for 3 eval '! unchanged "$S0"'
read -r cx cy cw ch <<<"$(calendar)"
read -r px py <<<"$("$shot_py" centre "$(full_shot)" $(calendar) "$(cell_of 15)")"
xdotool mousemove "$px" "$py"
e2e_wait_for 5 w32_popup
tip=$(w32_popup)
e2e_shot 03-tip-hover
e2e_check "a resting pointer shows the date's tip" test -n "$tip"
read -r _ _ tw th _ < <(w32_geometry "$tip")
e2e_check "the tip has seven lines (${tw:-0}x${th:-0})" test "${th:-0}" -ge 84 -a "${tw:-0}" -ge 60
e2e_check "on this day: the earlier years' notes, newest first ($(dv_trace_words tip))" eval \
  '[[ "$(dv_trace_words tip)" == *"|Tea with Ann|On this day:|$((year - 4)): Snow in $((year - 4))|$((year - 8)): "*"|$((year - 12)): "* ]]'
# Saved while the pointer rests, the note's new first line is in the tip; a
# double click that opens the editor takes the tip away.
printf 'Lunch with Bo\r\n' >"$(note 15)"
e2e_check "the tip follows the note saved under it" \
  e2e_wait_for 3 grep -q ' tip .*|Lunch with Bo' "$DAYVANE_TRACE"
xdotool click --repeat 2 --delay 80 1
e2e_wait_for 10 test -s "$prog/notepad.log"
e2e_check "the double click that opens the editor takes the tip away" e2e_wait_for 3 eval '! w32_popup'
# The keyboard: focus by a click on the day names, then the right arrow.
xdotool mousemove $((cx + cw / 2)) $((cy + ch * 600 / 3015)) sleep 0.2 click 1
e2e_wait_for 3 eval '! w32_popup'

# --- Screen readers --------------------------------------------------------------
# The calendar's accessible object: child 0 the table, 1 to 42 the days, 43
# and 44 the month buttons (one line each).
long_date() { date -d "$1" '+%A, %B %-d, %Y'; }
child_of() { echo $(($("$shot_py" index $(date -d "$1" '+%Y %-m %-d')) + 1)); }
start=$SECONDS
acc=$("$WINE" "$probe" 2>>"$E2E_ARTIFACTS/probe.log" | tr -d '\r')
e2e_log "probe read the calendar in $((SECONDS - start)) s"
echo "$acc" >"$E2E_ARTIFACTS/accessible.txt"
e2e_check "the calendar is a table of its 42 days and 2 buttons, named by its month" \
  grep -q "^0 role=table name=\"$(date '+%B %Y')\" .* children=44$" <<<"$acc"
e2e_check "each day is a cell named by its full date" \
  test "$(grep -cE '^[0-9]+ role=cell name="[A-Z][a-z]+day, [A-Z][a-z]+ [0-9]{1,2}, [0-9]{4}"' \
    <<<"$acc")" = 42
# The double click selected the 15th.
day15="$year-$month-15"
e2e_check "the day with a note is described by its first line, and is the focused selection" \
  grep -q "^$(child_of "$day15") role=cell name=\"$(long_date "$day15")\" description=\"\(Today. \)\?\
Note: Lunch with Bo\" state=selected,focused," <<<"$acc"
e2e_check "today is described so" \
  grep -q "^$(child_of today) role=cell name=\"$(long_date today)\" description=\"Today" <<<"$acc"
e2e_check "a hit test at the centre of each day and button finds it" \
  test "$(grep -cE '^([1-9][0-9]*) .* at=[0-9]+,[0-9]+,[1-9][0-9]*,[1-9][0-9]* hit=\1$' <<<"$acc")" = 44
read -r l t w h < <(grep "^$(child_of "$day15") " <<<"$acc" | sed 's/.* at=\([^ ]*\).*/\1/' | tr , ' ')
e2e_check "the day with a note lies where it is drawn ($px,$py in ${l:-?},${t:-?} ${w:-?}x${h:-?})" \
  test "${l:-0}" -le "$px" -a "$px" -lt $((${l:-0} + ${w:-0})) -a "${t:-0}" -le "$py" -a \
  "$py" -lt $((${t:-0} + ${h:-0}))
e2e_check "the month buttons are named" \
  test "$(grep -oE '^4[34] role=pushbutton name="[^"]*"' <<<"$acc" | tr '\n' ' ')" = \
  '43 role=pushbutton name="Previous month" 44 role=pushbutton name="Next month" '
# The events a screen reader follows, while the arrow key moves the selection.
"$WINE" "$probe" events 20000 >"$E2E_TMP/events" 2>>"$E2E_ARTIFACTS/probe.log" &
events_pid=$!
e2e_wait_for 10 grep -q ready "$E2E_TMP/events"

xdotool key Right
e2e_wait_for 5 w32_popup
e2e_shot 04-tip-keyboard
e2e_check "the arrow key moves the selection and shows its tip" w32_popup
heard() { grep -q "^$1 $2 \"$3\"" "$E2E_TMP/events"; }
day16="$year-$month-16"
e2e_wait_for 5 heard selection "$(child_of "$day16")" "$(long_date "$day16")"
e2e_check "a screen reader hears the focus and the selection move to the 16th" eval \
  'heard focus "$(child_of "$day16")" "$(long_date "$day16")" &&
   heard selection "$(child_of "$day16")" "$(long_date "$day16")"'
# Page Down: the next month's page, a new name.
xdotool key Next
next_month=$(date -d "$(date +%Y-%m-15) +1 month" '+%B %Y')
e2e_wait_for 5 heard namechange 0 "$next_month"
e2e_check "the next page is told: reordered, renamed \"$next_month\"" \
  eval 'heard reorder 0 "$next_month" && heard namechange 0 "$next_month"'
e2e_kill "$events_pid"
tr -d '\r' <"$E2E_TMP/events" >"$E2E_ARTIFACTS/events.txt"

# --- Find as you type --------------------------------------------------------------
# "heron" in notes of three months, one of them this month's 20th, whose
# 21st has a note without it. While the find is on only the 20th stays bold
# there; Enter visits the three in date order, across months and round;
# Escape brings every mark back.
xdotool key Prior mousemove 5 700 key Escape
e2e_wait_for 3 eval '! w32_popup'
PLAIN=$(full_shot)
heron=("$(date -d "$(date +%Y-%m-15) -2 month" +%F)" "$(date +%Y-%m-20)"
  "$(date -d "$(date +%Y-%m-20) +3 month" +%F)")
for day in "${heron[@]}"; do printf 'A grey Heron\r\n' >"$prog/$(date -d "$day" +%-m-%-d-%Y).txt"; done
printf 'hero of the day\r\n' >"$(note 21)"
e2e_wait_for 3 eval 'MARKED=$(full_shot) && e2e_heavier "$PLAIN" "$MARKED" $(calendar) "$(cell_of 21)" &&
  e2e_heavier "$PLAIN" "$MARKED" $(calendar) "$(cell_of 20)"'
xdotool type --delay 100 Heron
e2e_check "typing Heron finds three days ($(dv_trace_words find-tip))" \
  e2e_wait_for 5 eval '[ "$(dv_trace_words find-tip)" = "Find: Heron | 3 days" ]'
only_20th() {
  FOUND=$(full_shot)
  e2e_heavier "$PLAIN" "$FOUND" $(calendar) "$(cell_of 20)" &&
    e2e_heavier "$FOUND" "$MARKED" $(calendar) "$(cell_of 21)" &&
    e2e_heavier "$FOUND" "$MARKED" $(calendar) "$(cell_of 15)"
}
e2e_check "only the page's matching day stays bold" e2e_wait_for 3 only_20th
e2e_shot 06-find-heron
read -r _ ty _ < <(w32_geometry "$(w32_popup)")
read -r _ cy _ ch < <(calendar)
e2e_check "the find's tip is below the calendar (${ty:-none})" test "${ty:-0}" -ge $((cy + ch))
xdotool key BackSpace BackSpace
e2e_check "Backspace edits the text ($(dv_trace_words find-tip))" \
  e2e_wait_for 3 eval '[ "$(dv_trace_words find-tip)" = "Find: Her | 4 days" ]'
xdotool key Escape
e2e_check "Escape ends the find: every mark is back, the tip gone" \
  e2e_wait_for 3 eval '! w32_popup && unchanged "$MARKED"'
xdotool type --delay 100 heron
visited="$(dv_find_select Return) $(dv_find_select Return)"
e2e_shot 07-find-next-months
visited="$visited $(dv_find_select Return)"
e2e_check "Enter visits them in order, across months and round ($visited)" \
  test "$visited" = "${heron[1]} ${heron[2]} ${heron[0]}"
e2e_check "Shift+Enter goes back round ($(dv_find_select shift+Return))" \
  test "$(dv_trace_words find-select)" = "${heron[2]}"
e2e_check "F3 goes on, the tip counts ($(dv_find_select F3), $(dv_trace_words find-tip))" \
  test "$(dv_trace_words find-select) $(dv_trace_words find-tip)" = "${heron[0]} Find: heron | Day 1 of 3"

# --- Resized ---------------------------------------------------------------------
xdotool mousemove 5 700 key Escape
placed=$(w32_geometry "$main")
xdotool windowsize "$main" 488 $((menu + 302))
e2e_wait_settled "$main" "$placed"
fills 05-one-and-a-half
e2e_check "the calendar is 1.5 times as large ($(calendar))" \
  eval '[[ "$(calendar)" == *" 469 302" || "$(calendar)" == *" 470 302" ]]'

w32_stop_wine
e2e_summary
