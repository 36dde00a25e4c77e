#!/usr/bin/env bash
# The Windows program under Wine, driven like a person with xdotool in Xvfb
# with openbox: the splash; the tray icon in Wine's own "Wine System Tray"
# window (no tray host yet); a double-click on it shows the window; a
# double-click on a date makes the day's notes file and starts the text
# editor (a stand-in notepad.exe in the program folder); the tray menu and
# Quit; the placement in the registry. Then a restart with trayer as the
# tray host: the icon docks there, the placement comes back, a middle click
# on it and Dayvane.exe /today open today's note, Quit again.
# Last, the shell's tray dies (explorer.exe killed): the window is shown.
#
#   win32_e2e.sh DAYVANE_EXE NOTEPAD_EXE [ARTIFACT_DIR]
#
# The prefix is the run's shared one (DAYVANE_WINEPREFIX, without the
# program's settings) or one of its own, made at the start and removed at
# the end. A 64-bit Dayvane.exe runs on Wine's 64-bit loader.
set -u
[ $# -ge 2 ] || { echo "usage: $0 DAYVANE_EXE NOTEPAD_EXE [ARTIFACT_DIR]" >&2; exit 2; }
exe=$(realpath "$1")
notepad=$(realpath "$2")
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/wine_check.sh"
wine_pick win32_e2e "$exe"
e2e_init "${3:-}"
rm -f "$E2E_ARTIFACTS"/*.png "$E2E_ARTIFACTS"/*.log
e2e_log "Dayvane.exe: $(pe_machine "$exe"), on $WINE"
. "$(dirname "$0")/wine_app.sh"
started=$SECONDS
w32_setup "$exe" "$notepad" || exit 1

# trayer at a fixed width. Wine docks its icon window into the tray's
# panel as it is at that moment and never learns that the panel grows: in a
# panel that is still 2 pixels wide (--widthtype request) the icon is
# clipped away, neither drawn nor clickable.
w32_start_tray() {
  e2e_spawn trayer trayer --edge top --align right --widthtype pixel --width 64 --height 32 \
    --transparent false --tint 0x808080 --SetDockType true
  E2E_TRAY_PID=$E2E_LAST_PID
  e2e_wait_for 10 _e2e_tray_owned || { e2e_log "trayer did not take the tray"; return 1; }
}

# w32_start_docked: starts the program, clicks its splash away and waits
# for its icon in trayer: "ix iy icon" of it.
w32_start_docked() {
  local splash sx sy
  w32_start
  splash=$(e2e_wait_window '^Form1$' 30)
  read -r sx sy _ < <(w32_geometry "$splash")
  [ -n "$splash" ] && xdotool mousemove $((sx + 150)) $((sy + 112)) click 1
  read -r ix iy icon < <(e2e_tray_wait_icon 15 explorer)
}

pixel() { convert "$1" -crop "1x1+$2+$3" -format '%[hex:p{0,0}]' info: 2>/dev/null; }

# The program icon's artwork (DAYVANE_ART, its folder, when the caller names
# it): the images drawn for 16 and 32 px, and the 32 px one shrunk to 16 px
# as a scaler would make it.
art=${DAYVANE_ART:-}
[ -f "$art/dayvane-16.png" ] || art=''
if [ -n "$art" ]; then
  convert "$art/dayvane-32.png" -sample 16x16 "$E2E_TMP/sampled-16.png"
  convert "$art/dayvane-32.png" -resize 16x16 "$E2E_TMP/resized-16.png"
fi

# differing IMAGE PART: how many pixels of PART differ from IMAGE at the
# place in IMAGE where PART fits best (a large number when none is found).
differing() {
  local out
  out=$(compare -dissimilarity-threshold 100000 -metric AE -fuzz 10% -subimage-search \
    "$1" "$2" null: 2>&1)
  [[ $out =~ ^([0-9]+) ]] && echo "${BASH_REMATCH[1]}" || echo 99999
}

# w32_window_icon WID SIZE OUT: the window's SIZE x SIZE image of
# _NET_WM_ICON (Wine puts the window's big and small icons there) as OUT, a
# PPM file.
w32_window_icon() {
  xprop -id "$1" -notype -f _NET_WM_ICON 32c _NET_WM_ICON 2>/dev/null | tr -d , | awk -v want="$2" '
    { for (i = 3; i <= NF; i++) v[n++] = $i }
    END {
      i = 0
      while (i + 1 < n) {
        w = v[i]; h = v[i + 1]
        if (w == want && h == want) {
          print "P3", w, h, 255
          for (k = 0; k < w * h; k++) {
            p = v[i + 2 + k]
            print int(p / 65536) % 256, int(p / 256) % 256, p % 256
          }
          exit 0
        }
        i += 2 + w * h
      }
      exit 1
    }' >"$3"
}

# check_window_icons WID WHAT: WID carries the icon drawn for 16 px as its
# small icon and the 32 px design as its big one.
check_window_icons() {
  [ -n "$art" ] || return 0
  local small=$E2E_ARTIFACTS/$2-icon-16.ppm big=$E2E_ARTIFACTS/$2-icon-32.ppm
  w32_window_icon "$1" 16 "$small"
  w32_window_icon "$1" 32 "$big"
  e2e_check "$2: the small window icon is the one drawn for 16 px ($(differing "$small" \
    "$art/dayvane-16.png") pixels differ)" test "$(differing "$small" "$art/dayvane-16.png")" -le 8
  e2e_check "$2: the big window icon is the 32 px design ($(differing "$big" \
    "$art/dayvane-32.png") pixels differ)" test "$(differing "$big" "$art/dayvane-32.png")" -le 8
}

# --- First run: no tray host -------------------------------------------------
w32_start
splash=$(e2e_wait_window '^Form1$' 30)
e2e_shot 01-splash
e2e_check "the splash appears" test -n "$splash"
read -r sx sy sw sh _ < <(w32_geometry "$splash")
e2e_check "the splash is 300 x 225, centred (${sw}x$sh+$sx+$sy)" \
  test "$sw $sh $sx $sy" = "300 225 362 271"
# The splash shows its picture: pixels of the screen and of the bitmap
# (DAYVANE_SPLASH, the bitmap file, when the caller names it).
e2e_check "the splash is not blank" \
  test "$(convert "$E2E_ARTIFACTS/01-splash.png" -crop "300x225+$sx+$sy" -format '%k' info:)" -gt 16
if [ -f "${DAYVANE_SPLASH:-}" ]; then
  same=0
  for point in "150 112" "20 20" "280 200" "40 180"; do
    read -r px py <<<"$point"
    [ "$(pixel "$E2E_ARTIFACTS/01-splash.png" $((sx + px)) $((sy + py)))" = \
      "$(pixel "bmp:$DAYVANE_SPLASH" "$px" "$py")" ] && same=$((same + 1))
  done
  e2e_check "the splash shows its bitmap ($same of 4 pixels)" test "$same" = 4
fi
e2e_wait_gone "$splash" 10
e2e_check "the splash goes by itself" eval "! e2e_is_mapped $splash"

tray=$(e2e_wait_window '^Wine System Tray$' 15)
e2e_check "without a tray host the icon is in Wine's own tray window" test -n "$tray"
e2e_shot 02-icon-in-wine-tray
read -r tx ty _ < <(w32_geometry "$tray")
ix=$((tx + 10)) iy=$((ty + 10))
e2e_check "the main window is hidden" \
  eval "! xdotool search --onlyvisible --name '^Dayvane v2\.0\$' >/dev/null"

xdotool mousemove "$ix" "$iy" sleep 0.3 click --repeat 2 --delay 80 1
main=$(e2e_wait_window '^Dayvane v2\.0$' 10)
e2e_check "a double-click on the icon shows \"Dayvane v2.0\"" test -n "$main"
e2e_wait_settled "$main" ""
e2e_shot 03-main-window
read -r mx my mw mh _ < <(w32_geometry "$main")
e2e_check "its client area is 325 pixels wide below the menu bar (${mw}x$mh)" \
  test "$mw" = 325 -a "$mh" -ge 201
check_window_icons "$main" main

# About (Alt+B, then its one item): the window has the program icon too.
xdotool windowactivate --sync "$main" sleep 0.3 key alt+b sleep 0.3 key Return
about=$(e2e_wait_window '^About Dayvane v2\.0\.\.\.$' 10)
e2e_check "About opens from the menu bar" test -n "$about"
e2e_shot 03-about
if [ -n "$about" ]; then
  check_window_icons "$about" about
  xdotool windowactivate --sync "$about" sleep 0.3 key alt+F4
  e2e_wait_gone "$about" 10
  e2e_check "About closes" eval "! e2e_is_mapped $about"
fi

# A double-click on a date in the middle of the month.
xdotool mousemove $((mx + 129)) $((my + 122)) sleep 0.3 click --repeat 2 --delay 80 1
e2e_wait_for 10 test -s "$prog/notepad.log"
e2e_shot 04-day-notes
note=$(cd "$prog" && ls | grep -E '^[1-9][0-9]?-[1-9][0-9]?-[0-9]{4}\.txt$')
e2e_check "one notes file named M-D-YYYY.txt ($note)" test "$(wc -w <<<"$note")" = 1
e2e_check "a new notes file is empty" test -f "$prog/$note" -a ! -s "$prog/$note"
e2e_log "notepad: $(cat "$prog/notepad.log" 2>/dev/null)"
e2e_check "the editor started as \"notepad.exe $note\"" \
  grep -qF "cmdline=notepad.exe $note|" "$prog/notepad.log"
e2e_check "a third of the width, 2/5 of the height: 341 x 307, flags 14" \
  grep -qF "|w=341|h=307|flags=14|" "$prog/notepad.log"
e2e_check "in the program folder" grep -qiF "|cwd=$prog_win" "$prog/notepad.log"

# Moved somewhere else, to come back there after the restart.
placed=$(w32_geometry "$main")
xdotool windowmove "$main" 120 160
e2e_wait_settled "$main" "$placed"
read -r mx my _ < <(w32_geometry "$main")
e2e_log "main window moved to $mx,$my"

w32_quit "$ix" "$iy" 05
e2e_wait_for 10 eval "! xdotool search --onlyvisible --name '^Wine System Tray\$' >/dev/null"
e2e_shot 06-ended
e2e_check "the icon is gone" \
  eval "! xdotool search --onlyvisible --name '^Wine System Tray\$' >/dev/null"

# The placement in the registry: five texts such as " 1234".
"$WINE" reg query 'HKCU\Software\Dayvane\frmMain' 2>/dev/null | tr -d '\r' >"$E2E_ARTIFACTS/registry.txt"
cat "$E2E_ARTIFACTS/registry.txt" >&2
for key in Left Top Width Height WindowState; do
  value=$(sed -n "s/^    $key    REG_SZ    \(.*\)\$/\1/p" "$E2E_ARTIFACTS/registry.txt")
  e2e_check "HKCU\\Software\\Dayvane\\frmMain $key = \"$value\"" \
    eval "[[ \$value =~ ^(\ [0-9]+|-[0-9]+)\$ ]]"
done
e2e_check "saved in the normal state" \
  grep -qE '^    WindowState    REG_SZ     0$' "$E2E_ARTIFACTS/registry.txt"
w32_stop_wine

# --- Second run: trayer is the tray host ------------------------------------
w32_start_tray || exit 1
w32_start
splash=$(e2e_wait_window '^Form1$' 30)
e2e_check "the splash appears again" test -n "$splash"
# A click on the splash goes on at once, before its timer.
read -r sx sy _ < <(w32_geometry "$splash")
xdotool mousemove $((sx + 150)) $((sy + 112)) click 1
e2e_wait_gone "$splash" 1
e2e_check "a click on the splash ends it" eval "! e2e_is_mapped $splash"
read -r ix iy icon < <(e2e_tray_wait_icon 15 explorer)
e2e_check "the icon docks in trayer" test -n "${icon:-}"
e2e_shot 07-icon-in-trayer
# The tray shows the image drawn for 16 px, not the 32 px one shrunk.
if [ -n "$art" ] && [ -n "${icon:-}" ]; then
  read -r ax ay aw ah _ < <(w32_geometry "$icon")
  convert "$E2E_ARTIFACTS/07-icon-in-trayer.png" -crop "${aw}x$ah+$ax+$ay" +repage \
    "$E2E_ARTIFACTS/07-tray-icon.png"
  drawn=$(differing "$E2E_ARTIFACTS/07-tray-icon.png" "$art/dayvane-16.png")
  sampled=$(differing "$E2E_ARTIFACTS/07-tray-icon.png" "$E2E_TMP/sampled-16.png")
  resized=$(differing "$E2E_ARTIFACTS/07-tray-icon.png" "$E2E_TMP/resized-16.png")
  e2e_check "the tray icon (${aw}x$ah) is the one drawn for 16 px: $drawn pixels differ (32 px one shrunk: $sampled, $resized)" \
    test "$drawn" -le 8 -a "$sampled" -gt 24 -a "$resized" -gt 24
fi
e2e_check "not in Wine's own tray window" \
  eval "! xdotool search --onlyvisible --name '^Wine System Tray\$' >/dev/null"

xdotool mousemove "$ix" "$iy" sleep 0.3 click --repeat 2 --delay 80 1
main=$(e2e_wait_window '^Dayvane v2\.0$' 10)
e2e_check "a double-click on the docked icon shows the window" test -n "$main"
e2e_wait_settled "$main" ""
e2e_shot 08-placement-restored
read -r rx ry _ < <(w32_geometry "$main")
e2e_check "the placement is restored ($rx,$ry; was $mx,$my)" test "$rx $ry" = "$mx $my"

# A middle click on the icon opens today's note; a start with /today or
# /date hands it to the running one and ends with 0 at once.
today=$(date +%-m-%-d-%Y.txt)
rm -f "$prog/$today"
editor_calls() { wc -l <"$prog/notepad.log"; }
calls=$(editor_calls)
xdotool mousemove "$ix" "$iy" sleep 0.3 click 2
e2e_wait_for 10 eval '[ "$(editor_calls)" -gt $calls ]'
e2e_shot 08b-middle-click
e2e_check "a middle click on the icon starts \"notepad.exe $today\"" \
  eval 'tail -n1 "$prog/notepad.log" | grep -qF "cmdline=notepad.exe $today|"'
e2e_check "with the note made empty" test -f "$prog/$today" -a ! -s "$prog/$today"
echo "dear diary" >"$prog/$today"
for args in /today "--date 2024-02-29"; do
  calls=$(editor_calls)
  t0=$(date +%s%3N)
  # shellcheck disable=SC2086  # the words of $args are the arguments
  (cd "$prog" && timeout 20 "$WINE" Dayvane.exe $args) >"$E2E_TMP/out" 2>&1
  status=$?
  ms=$(($(date +%s%3N) - t0))
  e2e_wait_for 10 eval '[ "$(editor_calls)" -gt $calls ]'
  e2e_check "Dayvane.exe $args ends with 0 ($status, $ms ms) and the running one starts the editor: $(tail -n1 "$prog/notepad.log" | cut -d'|' -f1)" \
    test "$status" = 0 -a "$(editor_calls)" -gt "$calls"
done
e2e_shot 08c-date-2024-02-29
e2e_check "on today's note, left as it was, and on 2-29-2024.txt" \
  eval 'tail -n2 "$prog/notepad.log" | cut -d"|" -f1 | tr "\n" " " | grep -qxF "cmdline=notepad.exe $today cmdline=notepad.exe 2-29-2024.txt " && [ "$(cat "$prog/$today")" = "dear diary" ]'
out=$(cd "$prog" && timeout 20 "$WINE" Dayvane.exe /version 2>/dev/null | tr -d '\r'); status=$?
e2e_check "Dayvane.exe /version says \"$out\" and ends with 0" test "$status $out" = "0 Dayvane 2.0"
(cd "$prog" && timeout 20 "$WINE" Dayvane.exe /bogus) >/dev/null 2>"$E2E_TMP/err"; status=$?
e2e_check "Dayvane.exe /bogus ends with 2 ($status): $(tr -d '\r' <"$E2E_TMP/err")" \
  eval '[ $status = 2 ] && grep -q "unknown option" "$E2E_TMP/err"'

w32_quit "$ix" "$iy" 09
e2e_wait_for 10 eval '! e2e_tray_icon_pos explorer'
e2e_shot 10-ended
e2e_check "the docked icon is gone" eval '! e2e_tray_icon_pos explorer'
w32_stop_wine

# --- Third run: the tray goes away and does not come back --------------------
w32_start_docked
e2e_check "the icon docks in trayer once more" test -n "${icon:-}"
e2e_check "the main window is hidden while the icon is there" \
  eval "! xdotool search --onlyvisible --name '^Dayvane v2\.0\$' >/dev/null"
# Wine's explorer.exe holds the shell's tray window (Shell_TrayWnd).
shell=$(pgrep -f '[Ee]xplorer\.exe' | head -1)
e2e_check "the shell's process is found ($shell)" test -n "$shell"
[ -n "$shell" ] && kill -9 "$shell"
# Wine may start a new shell at once (its desktop needs one): then the icon
# docks again, and the program is within reach that way.
reachable() {
  xdotool search --onlyvisible --name '^Dayvane v2\.0$' >/dev/null || e2e_tray_icon_pos explorer
}
e2e_wait_for 10 eval '! kill -0 '"${shell:-0}"' 2>/dev/null'
e2e_wait_for 10 reachable
main=$(xdotool search --onlyvisible --name '^Dayvane v2\.0$' 2>/dev/null | head -n1)
e2e_shot 11-tray-gone
e2e_check "with the tray gone the window is shown (or a new tray has the icon)" reachable
e2e_check "the program runs on" w32_running
if [ -n "$main" ]; then
  # The menu bar's Quit, then the one item of its menu.
  read -r mx my _ < <(w32_geometry "$main")
  xdotool mousemove $((mx + 98)) $((my + 10)) sleep 0.3 click 1
  e2e_wait_for 5 w32_popup
  menu=$(w32_popup)
  e2e_shot 12-menu-bar-quit
  read -r x y w h _ < <(w32_geometry "$menu")
  [ -n "$menu" ] && xdotool mousemove $((x + w / 2)) $((y + h / 2)) sleep 0.2 click 1
  box=$(e2e_wait_window '^Confirm Exit$' 10)
  e2e_check "its menu bar's Quit asks \"Confirm Exit\"" test -n "$box"
  [ -n "$box" ] && xdotool windowactivate --sync "$box" sleep 0.3 key y
  e2e_wait_for 15 eval '! w32_running'
  e2e_check "Yes ends the program" eval '! w32_running'
fi
w32_stop_wine

# --- Fourth run: a hand-written store with unusable sizes ---------------------
# A width of 0 and a height beyond 32 bits: the window gets a size that
# shows the whole calendar and fits the screen, and that size is what is
# saved, not the bad one.
(unset DISPLAY
 "$WINE" reg add 'HKCU\Software\Dayvane\frmMain' /v Width /t REG_SZ /d ' 0' /f
 "$WINE" reg add 'HKCU\Software\Dayvane\frmMain' /v Height /t REG_SZ /d '&H7FFFFFFF' /f
 "$WINE" reg add 'HKCU\Software\Dayvane\frmMain' /v WindowState /t REG_SZ /d ' 0' /f
 wineserver -w) >/dev/null 2>&1
w32_start_docked
e2e_check "the icon docks in trayer with the damaged store" test -n "${icon:-}"
[ -n "${icon:-}" ] && xdotool mousemove "$ix" "$iy" sleep 0.3 click --repeat 2 --delay 80 1
main=$(e2e_wait_window '^Dayvane v2\.0$' 10)
e2e_check "the window is shown" test -n "$main"
read -r mx my mw mh fx fy fw fh _ < <(w32_geometry "$main")
e2e_shot 13-unusable-store
e2e_check "it shows the whole calendar and fits the screen (${mw}x$mh, frame ${fw}x$fh+$fx+$fy)" \
  test "${mw:-0}" -ge 325 -a "${mh:-0}" -ge 201 -a "${fw:-9999}" -le 1024 -a "${fh:-9999}" -le 768
w32_quit "$ix" "$iy" 14
"$WINE" reg query 'HKCU\Software\Dayvane\frmMain' 2>/dev/null | tr -d '\r' >"$E2E_ARTIFACTS/registry-repaired.txt"
width=$(sed -n 's/^    Width    REG_SZ    \(.*\)$/\1/p' "$E2E_ARTIFACTS/registry-repaired.txt")
height=$(sed -n 's/^    Height    REG_SZ    \(.*\)$/\1/p' "$E2E_ARTIFACTS/registry-repaired.txt")
e2e_check "the saved size is the usable one (Width \"$width\", Height \"$height\")" \
  eval '[[ $width =~ ^\ [0-9]+$ && $height =~ ^\ [0-9]+$ && ${width# } -ge 4875 && ${height# } -le 11520 ]]'
w32_stop_wine

e2e_log "Wine part took $((SECONDS - started)) s"
e2e_summary
