#!/usr/bin/env bash
# The today mark follows the clock: started (under faketime) shortly before
# midnight, the shown calendar moves its today mark to the new day by
# itself, and the selected date stays where it was.
set -u
export LC_ALL=de_DE.UTF-8 TZ=UTC  # de_DE: the week starts on Monday
. "$(dirname "$0")/app.sh"
# The library for this machine's own architecture (others may be installed).
faketime_lib=/usr/lib/$(gcc -print-multiarch 2>/dev/null)/faketime/libfaketime.so.1
[ -f "$faketime_lib" ] || faketime_lib=$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -n1)
[ -n "$faketime_lib" ] || { echo "faketime is not installed (scripts/deps test)"; exit 77; }
dv_desktop

# shot NAME: the main window as NAME.png; changed A B: the box in which
# A.png and B.png differ.
shot() { dv_shot "$main" "$E2E_ARTIFACTS/$1.png"; }
changed() { dv_changed "$E2E_ARTIFACTS/$1.png" "$E2E_ARTIFACTS/$2.png"; }

# Saturday 14 March 2026, 23:59:35 (the clock runs on from there).
e2e_spawn dayvane-clock env LD_PRELOAD="$faketime_lib" FAKETIME='@2026-03-14 23:59:35' \
  "$DV_HOME/dayvane"
DV_PID=$E2E_LAST_PID
dv_skip_splash
main=$(dv_main_window)
xdotool mousemove 5 700
dv_show "$main"
shot 01-before-midnight
e2e_check "shown before midnight" e2e_is_mapped "$main"

# Midnight comes within 25 s; nothing is touched meanwhile.
deadline=$((SECONDS + 40))
shot 02-after-midnight
until box=$(changed 01-before-midnight 02-after-midnight); do
  [ "$SECONDS" -le "$deadline" ] || break
  sleep 0.5
  shot 02-after-midnight
done
e2e_check "the today mark moved without any input ($box)" test -n "$box"
# Saturday and Sunday share a row: the change spans two cells of one row.
read -r w h _ _ <<<"${box:-0 0 0 0}"
e2e_check "from the 14th to the 15th only (${w}x${h})" test "$w" -gt 60 -a "$w" -le 100 -a "$h" -le 30

# The selection stayed on the 14th: Return opens the selected date's notes.
timeout 5 xdotool windowactivate --sync "$main" key Return
e2e_wait_for 5 test -e "$DV_HOME/3-14-2026.txt"
e2e_check "the selected date is still the 14th" \
  eval '[ -e "$DV_HOME/3-14-2026.txt" ] && [ ! -e "$DV_HOME/3-15-2026.txt" ]'
e2e_editor_kill

kill -TERM "$DV_PID"
dv_wait_exit 10
e2e_check "the program ends with status 0" test "${DV_STATUS:-1}" = 0
# A program under the faked clock may have written font caches with a date
# in the past; fontconfig would rebuild them, slowly, at the next program's
# start. They are brought up to date here, on the real clock.
fc-cache >/dev/null 2>&1
e2e_summary
