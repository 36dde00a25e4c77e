#!/usr/bin/env bash
# The Windows program under Wine at a logical resolution of DPI dots per
# inch, in a Wine prefix of its own set to that resolution, on a screen
# sized so that the screen's real pixels show in what is measured:
#   - the main window's client area is its designed 4875 x 3015 twips at
#     that resolution (325 x 201 pixels at 96 dpi, 488 x 302 at 144,
#     650 x 402 at 192), and its text is drawn at that resolution;
#   - a placement given to the shown window (moved and resized) is saved in
#     twips and comes back to the same pixels after Quit and a new start;
#   - the editor for a day's notes is asked for a third of the screen's
#     width and two fifths of its height in real pixels.
#
#   win32_dpi.sh DAYVANE_EXE NOTEPAD_EXE PROBE_EXE DPI [ARTIFACT_DIR]
#
# PROBE_EXE is tests/e2e/win32/window_probe.cpp built: it reads a window's
# geometry from inside Wine.
set -u
[ $# -ge 4 ] || { echo "usage: $0 DAYVANE_EXE NOTEPAD_EXE PROBE_EXE DPI [ARTIFACT_DIR]" >&2; exit 2; }
exe=$(realpath "$1")
notepad=$(realpath "$2")
probe=$(realpath "$3")
dpi=$4
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/wine_check.sh"
E2E_TEST=win32_dpi_$dpi
wine_pick "$E2E_TEST" "$exe"
# A screen of more pixels as the resolution grows, as a real one has.
case $dpi in
  96) E2E_SCREEN=1024x768x24 ;;
  144) E2E_SCREEN=1280x1024x24 ;;
  192) E2E_SCREEN=1600x1200x24 ;;
  *) echo "$0: no screen size for $dpi dpi" >&2; exit 2 ;;
esac
export E2E_SCREEN E2E_DPI=$dpi
screen_w=${E2E_SCREEN%%x*}
screen_h=${E2E_SCREEN#*x}; screen_h=${screen_h%%x*}
e2e_init "${5:-}"
rm -f "$E2E_ARTIFACTS"/*.png "$E2E_ARTIFACTS"/*.log "$E2E_ARTIFACTS"/*.txt
e2e_log "Dayvane.exe: $(pe_machine "$exe"), on $WINE, $dpi dpi, screen $E2E_SCREEN"
. "$(dirname "$0")/wine_app.sh"
started=$SECONDS
# Always a prefix of its own: the resolution is the prefix's.
w32_setup "$exe" "$notepad" "$dpi" || exit 1

# pixels TWIPS: the nearest whole number of pixels at this resolution.
pixels() { awk -v t="$1" -v d="$dpi" 'BEGIN { printf "%d", int(t * d / 1440 + 0.5) }'; }

# w32_probe: the main window's geometry as Windows reports it, as
# "client=W,H window=L,T,R,B dpi=D screen=W,H".
w32_probe() {
  "$WINE" "$probe" DayvaneForm 'Dayvane v2.0' 2>/dev/null | tr -d '\r' | grep '^client='
}
# probe_field NAME PROBED: one field of what w32_probe printed.
probe_field() { sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$2"; }

# w32_show_checked STEP: w32_show, with the splash's size checked.
w32_show_checked() {
  w32_show "$1"
  read -r splash_x splash_y splash_w splash_h <<<"${splash:-0 0 0 0}"
  e2e_check "the splash is 4500 x 3375 twips: $(pixels 4500)x$(pixels 3375) pixels (${splash_w}x$splash_h)" \
    test "${splash_w}x$splash_h" = "$(pixels 4500)x$(pixels 3375)"
  e2e_check "a double-click on the icon shows the main window" test -n "$main"
}

# --- First start: the designed size at this resolution ----------------------
w32_show_checked 01
e2e_shot 02-main-window
probed=$(w32_probe)
e2e_log "probe: $probed"
e2e_check "Windows reports $dpi dpi and a screen of ${screen_w}x$screen_h ($probed)" \
  test "$(probe_field dpi "$probed") $(probe_field screen "$probed")" = "$dpi $screen_w,$screen_h"
client_w=$(pixels 4875)
client_h=$(pixels 3015)
e2e_check "the client area is 4875 x 3015 twips: $client_w x $client_h pixels ($(probe_field client "$probed"))" \
  test "$(probe_field client "$probed")" = "$client_w,$client_h"
read -r mx my mw mh _ < <(w32_geometry "$main")
e2e_check "the X window is as wide as the client area (${mw:-?})" test "${mw:-0}" = "$client_w"

# The text is drawn at this resolution: the calendar's blue (its title and
# dates, the selected day; anti-aliased edges included) takes about
# (dpi/96)^2 times the room it takes at 96 dpi (about 2000 pixels there),
# not the same room in a larger window.
convert "$E2E_ARTIFACTS/02-main-window.png" -crop "${mw}x$mh+$mx+$my" +repage \
  "$E2E_ARTIFACTS/02-client.png"
ink=$(/usr/bin/python3 -c '
import sys
from PIL import Image
print(sum(1 for r, g, b in Image.open(sys.argv[1]).convert("RGB").getdata()
          if r < 100 and b - r >= 60 and b - g >= 60))' "$E2E_ARTIFACTS/02-client.png")
ink_at_96=$((${ink:-0} * 96 * 96 / (dpi * dpi)))
e2e_check "the calendar's text is sized for $dpi dpi ($ink blue pixels, $ink_at_96 at 96 dpi)" \
  test "$ink_at_96" -ge 1400 -a "$ink_at_96" -le 2800
# The calendar fills its rectangle (90, 0, 4695, 3015 twips) with its grid.
cal="$((mx + (90 * mw + 2437) / 4875)) $((my + mh - client_h)) $(((4695 * mw + 2437) / 4875)) $client_h"
grid=$("$(dirname "$0")/calendar_shot.py" grid "$E2E_ARTIFACTS/02-main-window.png" $cal)
e2e_check "the calendar at $cal fills its rectangle with 8 x 8 grid lines ($grid)" \
  eval '[[ $grid =~ ^fill=(0\.9[5-9]|1\.0) && $grid == *" vertical=8 horizontal=8" ]]'
# A day with a note is drawn heavier at this resolution too.
shot_py="$(dirname "$0")/calendar_shot.py"
year=$(date +%Y) month=$((10#$(date +%m)))
cell=$("$shot_py" index "$year" "$month" 15) changed=none deadline=$((SECONDS + 5))
xdotool mousemove 5 $((screen_h - 5))
e2e_shot 02-main-window
printf 'Tea with Ann\r\n' >"$prog/$month-15-$year.txt"
while [ "$changed" != "$cell" ] && [ $SECONDS -le $deadline ]; do
  e2e_shot 02-note-on-15
  changed=$("$shot_py" cell "$E2E_ARTIFACTS/02-main-window.png" "$E2E_ARTIFACTS/02-note-on-15.png" $cal)
done
e2e_check "the note marks the 15th (cell $changed)" test "$changed" = "$cell"
e2e_check_bold "the 15th" "$E2E_ARTIFACTS/02-main-window.png" "$E2E_ARTIFACTS/02-note-on-15.png" \
  $cal "$cell"
if [ "$dpi" = 192 ]; then
  # Nor a window drawn at 96 dpi and stretched to twice its size: that is
  # the same after every second pixel is dropped and the rest doubled.
  convert "$E2E_ARTIFACTS/02-client.png" -sample 50% -sample 200% "$E2E_TMP/resampled.png"
  differ=$(compare -metric AE "$E2E_ARTIFACTS/02-client.png" "$E2E_TMP/resampled.png" null: 2>&1)
  e2e_check "it is drawn at 192 dpi, not stretched from 96 ($differ pixels differ from a stretched copy)" \
    test "${differ%% *}" -gt 1000 2>/dev/null
  # The splash's picture fills its window.
  convert "$E2E_ARTIFACTS/01-splash.png" -crop "${splash_w}x$splash_h+$splash_x+$splash_y" +repage \
    -crop 50%x50%+$((splash_w / 2))+$((splash_h / 2)) +repage "$E2E_TMP/splash-corner.png"
  e2e_check "the splash's picture fills its ${splash_w}x$splash_h window" \
    test "$(convert "$E2E_TMP/splash-corner.png" -format '%k' info:)" -gt 16
fi

# A double-click on a date in the middle of the month: the editor's window
# in pixels of the real screen.
xdotool mousemove $((mx + mw * 129 / 325)) $((my + mh * 122 / 221)) sleep 0.3 \
  click --repeat 2 --delay 80 1
e2e_wait_for 10 test -s "$prog/notepad.log"
e2e_shot 03-day-notes
e2e_log "notepad: $(cat "$prog/notepad.log" 2>/dev/null)"
editor_w=$(awk -v s="$screen_w" 'BEGIN { printf "%d", int(s / 3 + 0.5) }')
editor_h=$(awk -v s="$screen_h" 'BEGIN { printf "%d", int(s / 2.5 + 0.5) }')
e2e_check "the editor is asked for ${editor_w}x$editor_h at 0,0 (a third, two fifths of the screen)" \
  grep -qF "|x=0|y=0|w=$editor_w|h=$editor_h|flags=14|" "$prog/notepad.log"

# --- Placement: moved and resized, then Quit ----------------------------------
before=$(w32_geometry "$main")
new_w=$((mw + 40 * dpi / 96)) new_h=$((mh + 30 * dpi / 96))
# Towards the lower right, away from Wine's tray window at the top left.
xdotool windowsize "$main" "$new_w" "$new_h" \
  windowmove "$main" $((screen_w - new_w - 70 * dpi / 96)) $((screen_h - new_h - 90 * dpi / 96))
e2e_wait_settled "$main" "$before"
e2e_shot 04-placed
placed=$(w32_probe)
e2e_log "placed: $placed"
read -r pl pt pr pb < <(probe_field window "$placed" | tr , ' ')
e2e_check "the window took the new size (client $(probe_field client "$placed"))" \
  test "$(probe_field client "$placed")" = "$((client_w + new_w - mw)),$((client_h + new_h - mh))"
w32_quit "$ix" "$iy" 05

"$WINE" reg query 'HKCU\Software\Dayvane\frmMain' 2>/dev/null | tr -d '\r' >"$E2E_ARTIFACTS/registry.txt"
cat "$E2E_ARTIFACTS/registry.txt" >&2
saved() { sed -n "s/^    $1    REG_SZ    *\\([-0-9.]*\\)\$/\\1/p" "$E2E_ARTIFACTS/registry.txt"; }
# Twips of the pixels at this resolution, to within half a twip.
twips_of() { awk -v p="$1" -v d="$dpi" -v s="$2" 'BEGIN { t = p * 1440 / d; exit !(s - t <= 0.5 && t - s <= 0.5) }'; }
e2e_check "saved Left $(saved Left) is ${pl:-?} pixels" twips_of "${pl:-x}" "$(saved Left)"
e2e_check "saved Top $(saved Top) is ${pt:-?} pixels" twips_of "${pt:-x}" "$(saved Top)"
e2e_check "saved Width $(saved Width) is $((${pr:-0} - ${pl:-0})) pixels" \
  twips_of $((${pr:-0} - ${pl:-0})) "$(saved Width)"
e2e_check "saved Height $(saved Height) is $((${pb:-0} - ${pt:-0})) pixels" \
  twips_of $((${pb:-0} - ${pt:-0})) "$(saved Height)"
timeout 20 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null

# --- Second start: the same place and size ------------------------------------
w32_show_checked 06
e2e_shot 07-restored
restored=$(w32_probe)
e2e_log "restored: $restored"
restored_at=$(probe_field window "$restored")
e2e_check "the window comes back at the same place and size ($restored_at; was ${pl:-?},${pt:-?},${pr:-?},${pb:-?})" \
  test "$restored_at" = "${pl:-x},${pt:-x},${pr:-x},${pb:-x}"
w32_quit "$ix" "$iy" 08
timeout 20 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null

e2e_log "took $((SECONDS - started)) s"
e2e_summary
