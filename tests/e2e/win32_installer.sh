#!/usr/bin/env bash
# The Windows installer under Wine: a silent install (/S) for the current
# user into %LOCALAPPDATA%\Programs\Dayvane with its Start-menu entries
# (Dayvane, and "Dayvane – Today's note" running Dayvane.exe /today), the
# Run value and the uninstall entry; Dayvane started from there makes its
# notes beside itself; the silent uninstall removes the program and keeps
# every notes file (and the settings, unless /REMOVESETTINGS). A second
# round installs with /NOAUTOSTART and uninstalls with /REMOVESETTINGS.
#
#   win32_installer.sh SETUP_EXE NOTEPAD_EXE [ARTIFACT_DIR]
set -u
[ $# -ge 2 ] || { echo "usage: $0 SETUP_EXE NOTEPAD_EXE [ARTIFACT_DIR]" >&2; exit 2; }
setup=$(realpath "$1")
notepad=$(realpath "$2")
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/wine_check.sh"
wine_pick win32_installer "$setup"
e2e_init "${3:-}"
# A prefix of its own: the test changes what a user's registry holds.
export WINEPREFIX="$E2E_TMP/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null; e2e_cleanup' EXIT
wine_prefix_make "$WINEPREFIX"
e2e_check "the Wine prefix is made" test -f "$WINEPREFIX/system.reg"
e2e_start_x && e2e_start_wm || exit 1
e2e_spawn trayer trayer --edge top --align right --widthtype pixel --width 64 --height 32 \
  --transparent false --tint 0x808080 --SetDockType true
e2e_wait_for 10 _e2e_tray_owned || { e2e_log "trayer did not take the tray"; exit 1; }
wineserver -p

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Dayvane'
reg_value() { "$WINE" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
reg_key() { "$WINE" reg query "$1" >/dev/null 2>&1; }
unix_path() { "$WINE" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
local_appdata=$("$WINE" cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
appdata=$("$WINE" cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')
inst_win="$local_appdata\\Programs\\Dayvane"
inst=$(unix_path "$inst_win")
menu_entry="$(unix_path "$appdata")/Microsoft/Windows/Start Menu/Programs/Dayvane.lnk"
today_entry="${menu_entry%/*}/Dayvane – Today's note.lnk"
# lnk_command FILE: "TARGET|ARGUMENTS" of a shell link (its link info's
# local path, else its relative path; the arguments from its strings).
lnk_command() {
  /usr/bin/python3 - "$1" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
flags = struct.unpack_from("<I", data, 0x14)[0]
pos = 0x4C
if flags & 0x01:  # a target id list
    pos += 2 + struct.unpack_from("<H", data, pos)[0]
target = ""
if flags & 0x02:  # link info
    size = struct.unpack_from("<I", data, pos)[0]
    base = struct.unpack_from("<I", data, pos + 16)[0]
    if base:
        target = data[pos + base:data.index(b"\0", pos + base)].decode("latin-1")
    pos += size
strings = {}
for bit, name in ((0x04, "name"), (0x08, "relative"), (0x10, "dir"), (0x20, "args"), (0x40, "icon")):
    if flags & bit:
        count = struct.unpack_from("<H", data, pos)[0]
        pos += 2
        width = 2 if flags & 0x80 else 1
        raw = data[pos:pos + count * width]
        strings[name] = raw.decode("utf-16-le" if width == 2 else "latin-1")
        pos += count * width
print("%s|%s" % (target or strings.get("relative", ""), strings.get("args", "")))
EOF
}
e2e_log "installing into $inst_win ($inst)"

# --- Silent install ---------------------------------------------------------
"$WINE" "$setup" /S >"$E2E_ARTIFACTS/setup.log" 2>&1
status=$?
e2e_check "the installer runs silently with status 0 (got $status)" test "$status" = 0
e2e_check "Dayvane.exe is in %LOCALAPPDATA%\\Programs\\Dayvane" test -f "$inst/Dayvane.exe"
e2e_check "with its uninstaller" test -f "$inst/uninstall.exe"
e2e_check "a Start-menu entry" test -f "$menu_entry"
today_command=$(lnk_command "$today_entry" 2>/dev/null)
e2e_check "and \"Dayvane – Today's note\" running Dayvane.exe /today ($today_command)" \
  eval '[[ ${today_command,,} == *"dayvane\\dayvane.exe|/today" ]]'
run=$(reg_value "$run_key" Dayvane)
e2e_check "Dayvane starts at sign-in: Run value \"$run\"" test "$run" = "\"$inst_win\\Dayvane.exe\""
e2e_check "the uninstall entry names the quiet uninstaller" \
  test "$(reg_value "$uninstall_key" QuietUninstallString)" = "\"$inst_win\\uninstall.exe\" /S"

# --- Started from the installed folder, a note beside it --------------------
cp "$notepad" "$inst/notepad.exe"  # the stand-in text editor, found first there
(cd "$inst" && exec "$WINE" Dayvane.exe) >>"$E2E_ARTIFACTS/dayvane.log" 2>&1 &
W32_PID=$!
E2E_PIDS+=("$W32_PID")
splash=$(e2e_wait_window '^Form1$' 30)
e2e_check "the installed program starts" test -n "$splash"
read -r sx sy _ < <(e2e_geometry "$splash")
xdotool mousemove $((sx + 150)) $((sy + 112)) click 1
e2e_wait_gone "$splash" 5
read -r ix iy _ < <(e2e_tray_wait_icon 15 explorer)
e2e_check "its icon docks in the tray" test -n "${ix:-}"
sleep 0.5
xdotool mousemove "$ix" "$iy" sleep 0.3 click --repeat 2 --delay 80 1
main=$(e2e_wait_window '^Dayvane v2\.0$' 10)
e2e_check "a double-click on the icon shows the window" test -n "$main"
sleep 0.5
read -r mx my _ < <(e2e_geometry "$main")
xdotool mousemove $((mx + 129)) $((my + 122)) sleep 0.3 click --repeat 2 --delay 80 1
e2e_wait_for 10 test -s "$inst/notepad.log"
e2e_shot 01-note
note=$(cd "$inst" && ls | grep -E '^[1-9][0-9]?-[1-9][0-9]?-[0-9]{4}\.txt$')
e2e_check "a double-click on a date makes the note beside the program ($note)" \
  test "$(wc -w <<<"$note")" = 1
e2e_check "and opens it there" grep -qiF "|cwd=$inst_win" "$inst/notepad.log"
echo "dear diary" >"$inst/$note"
echo "an older day" >"$inst/1-1-2000.txt"
kill "$W32_PID"
e2e_wait_for 10 eval '! e2e_pid_alive $W32_PID'
reg_key 'HKCU\Software\Dayvane\frmMain'
e2e_check "its settings are in HKCU\\Software\\Dayvane" test $? = 0

# --- Silent uninstall ---------------------------------------------------------
# The uninstaller runs from a copy of itself and returns at once.
"$WINE" "$inst/uninstall.exe" /S >"$E2E_ARTIFACTS/uninstall.log" 2>&1
e2e_wait_for 30 eval '[ ! -e "$inst/uninstall.exe" ] && ! reg_key "$uninstall_key"'
e2e_check "the uninstaller removes the program" test ! -e "$inst/Dayvane.exe" -a ! -e "$inst/uninstall.exe"
e2e_check "the Start-menu entries" test ! -e "$menu_entry" -a ! -e "$today_entry"
e2e_check "the Run value" test -z "$(reg_value "$run_key" Dayvane)"
e2e_check "the uninstall entry" eval '! reg_key "$uninstall_key"'
e2e_check "and keeps every notes file, as written" \
  test "$(cat "$inst/$note" 2>/dev/null)|$(cat "$inst/1-1-2000.txt" 2>/dev/null)" = "dear diary|an older day"
e2e_check "and, silently, the settings" reg_key 'HKCU\Software\Dayvane\frmMain'
ls -la "$inst" >"$E2E_ARTIFACTS/left-behind.txt" 2>&1

# --- Without autostart; settings removed on request -------------------------
"$WINE" "$setup" /S /NOAUTOSTART >>"$E2E_ARTIFACTS/setup.log" 2>&1
e2e_check "/NOAUTOSTART installs without the Run value" \
  eval 'test -f "$inst/Dayvane.exe" && [ -z "$(reg_value "$run_key" Dayvane)" ]'
"$WINE" "$inst/uninstall.exe" /S /REMOVESETTINGS >>"$E2E_ARTIFACTS/uninstall.log" 2>&1
e2e_wait_for 30 eval '[ ! -e "$inst/uninstall.exe" ]'
e2e_wait_for 10 eval '! reg_key "HKCU\\Software\\Dayvane"'
e2e_check "/REMOVESETTINGS removes the settings too" eval '! reg_key "HKCU\\Software\\Dayvane"'
e2e_check "and still keeps the notes" test -s "$inst/$note" -a -s "$inst/1-1-2000.txt"
e2e_summary
