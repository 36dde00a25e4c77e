#!/usr/bin/env bash
# The today mark follows a change of the system's time zone: with the
# calendar shown, /etc/localtime is pointed at a zone whose date is another
# day than the one shown (as timedatectl or the desktop's settings do);
# the today mark moves to that day by itself and the selected date stays.
# The system's zone is put back at the end. Needs root; skipped otherwise.
set -u
. "$(dirname "$0")/app.sh"
unset TZ  # the program follows /etc/localtime only without TZ
zones=/usr/share/zoneinfo
if [ "$(id -u)" != 0 ] || [ ! -f "$zones/Etc/UTC" ]; then
  echo "zone: SKIPPED: changing /etc/localtime needs root and tzdata"
  exit 77
fi
saved="$E2E_TMP/localtime"
cp -P /etc/localtime "$saved" 2>/dev/null || saved=''
put_back() {
  if [ -n "$saved" ]; then cp -P "$saved" /etc/localtime; else rm -f /etc/localtime; fi
}
trap 'put_back; e2e_cleanup' EXIT
ln -sfn "$zones/Etc/UTC" /etc/localtime

dv_desktop
# shot NAME: the main window as NAME.png; differs A B: A.png and B.png
# differ.
shot() { dv_shot "$main" "$E2E_ARTIFACTS/$1.png"; }
differs() { dv_changed "$E2E_ARTIFACTS/$1.png" "$E2E_ARTIFACTS/$2.png" >/dev/null; }

dv_start
dv_skip_splash
main=$(dv_main_window)
xdotool mousemove 5 700
dv_show "$main"
shown=$(date +%-m-%-d-%Y)
shot 01-utc
e2e_check "shown in UTC" e2e_is_mapped "$main"

# A zone where it is another day: 14 hours ahead from noon UTC on, 12
# hours behind before noon.
if [ "$(date -u +%-H)" -ge 12 ]; then zone=Pacific/Kiritimati; else zone=Etc/GMT+12; fi
ln -sfn "$zones/$zone" /etc/localtime
e2e_log "zone now $zone: $(date)"
e2e_wait_for 3 eval 'shot 02-other-zone; differs 01-utc 02-other-zone'
e2e_check "the today mark moved to $(date '+%-d %B') without any input" differs 01-utc 02-other-zone

# The selection stayed: Return opens the selected date's notes.
timeout 5 xdotool windowactivate --sync "$main" key Return
e2e_wait_for 5 test -e "$DV_HOME/$shown.txt"
e2e_check "the selected date is still $shown" test -e "$DV_HOME/$shown.txt"
e2e_editor_kill

kill -TERM "$DV_PID"
dv_wait_exit 10
e2e_check "the program ends with status 0" test "${DV_STATUS:-1}" = 0
put_back
e2e_summary
