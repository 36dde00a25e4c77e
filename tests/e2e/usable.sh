#!/usr/bin/env bash
# Stored sizes that cannot be used (zero, negative, one pixel, NaN, inf,
# beyond the screen, beyond 32 bits, not UTF-8) give a window that fits the
# screen and shows the whole calendar, and are not written back; one show
# and one minimise replace the settings file at most twice.
set -u
. "$(dirname "$0")/app.sh"
dv_desktop

# The designed frame on this desktop, from a first run with an empty store.
dv_start
dv_skip_splash
main=$(dv_main_window)
e2e_wait_for 5 test -s "$DV_CONF"
dv_show "$main"
read -r _ _ design_w design_h <<<"$(dv_frame "$main")"
design_width=$(dv_setting Width)
design_height=$(dv_setting Height)
e2e_log "designed frame ${design_w}x${design_h}, stored as $design_width x $design_height"
kill -TERM "$DV_PID"
dv_wait_exit 10

# store WIDTH HEIGHT: a hand-written store with these sizes (\xHH: a byte).
store() {
  printf '[frmMain]\nWindowState=" 0"\nLeft=" 1500"\nTop=" 1500"\nWidth=%b\nHeight=%b\n' \
    "$1" "$2" >"$DV_CONF"
}

n=0
while IFS='|' read -r width height what; do
  n=$((n + 1))
  store "$width" "$height"
  dv_start
  dv_skip_splash
  main=$(dv_main_window)
  # The binding saves at once: the bad texts must be gone from the store.
  e2e_wait_for 5 eval '[ "$(dv_setting Width)" != "$width" ]'
  e2e_check "$what: the store holds the usable width ($(dv_setting Width))" \
    test "$(dv_setting Width)" = "$design_width"
  e2e_check "$what: and height ($(dv_setting Height))" test "$(dv_setting Height)" = "$design_height"
  dv_show "$main"
  read -r fx fy fw fh <<<"$(dv_frame "$main")"
  e2e_shot "$(printf '%02d' $n)-$what"
  e2e_check "$what: shown at the designed size ($fw x $fh)" test "$fw $fh" = "$design_w $design_h"
  e2e_check "$what: inside the screen ($fx $fy)" \
    test "$fx" -ge 0 -a "$fy" -ge 0 -a $((fx + fw)) -le 1024 -a $((fy + fh)) -le 768
  kill -TERM "$DV_PID"
  dv_wait_exit 10
done <<'CASES'
 0|-5|zero-and-negative
 15| 15|one-pixel
nan|-inf|nan-and-inf
&H7FFFFFFF| 40000|beyond-the-screen
99999999999|1e400|beyond-32-bits
\xff\xfe|"\xc3("|not-utf8
CASES

# One show and one minimise: at most two replacements of the settings file
# (each a new file renamed over the old one), counted by strace.
dv_start
dv_skip_splash
main=$(dv_main_window)
trace="$E2E_ARTIFACTS/strace.log"
strace -f -qq -p "$DV_PID" -e trace=rename,renameat,renameat2,linkat,fdatasync -o "$trace" \
  2>"$E2E_ARTIFACTS/strace.err" &
tracer=$!
E2E_PIDS+=("$tracer")
e2e_wait_for 5 eval "grep -q '^TracerPid:[[:space:]]*$tracer\$' /proc/$DV_PID/status"
dv_show "$main"
xdotool windowminimize "$main"
e2e_wait_for 5 eval '[ "$(dv_setting WindowState)" = " 1" ]'
e2e_check "the minimised state was stored" test "$(dv_setting WindowState)" = " 1"
kill -INT "$tracer"
wait "$tracer" 2>/dev/null
replacements=$(grep -cE '(rename|linkat).*dayvane\.conf"' "$trace")
syncs=$(grep -c 'fdatasync' "$trace")
e2e_log "show + minimise: $replacements replacements, $syncs fdatasync calls"
e2e_check "show + minimise replaced the file at most twice ($replacements)" \
  test "$replacements" -ge 1 -a "$replacements" -le 2
e2e_check "with one fdatasync pair each at most ($syncs)" test "$syncs" -le $((2 * replacements))
dv_quit

e2e_summary
