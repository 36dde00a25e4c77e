# Helpers for the end-to-end tests of the Windows program under Wine, after
# lib.sh and wine_check.sh (and wine_pick): the program folder with the
# stand-in editor, the prefix, the X session, and the program's windows.

W32_PID=''

w32_kill_program() { [ -n "$W32_PID" ] && e2e_kill "$W32_PID"; W32_PID=''; }

w32_stop_wine() {
  w32_kill_program
  [ -d "$WINEPREFIX" ] || return 0
  timeout 20 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null
  return 0
}

# w32_setup EXE NOTEPAD: the program folder ($prog, $prog_win in Wine's
# terms) with Dayvane.exe and the stand-in notepad.exe; the prefix, without
# the program's settings as a new one is; Xvfb with openbox.
w32_setup() {
  trap 'w32_kill_program; wineserver -k 2>/dev/null; e2e_cleanup' EXIT
  prog="$E2E_TMP/Dayvane"
  mkdir -p "$prog"
  cp "$1" "$prog/Dayvane.exe"
  cp "$2" "$prog/notepad.exe"
  prog_win="Z:$(tr / '\\' <<<"$prog")"
  wine_prefix_open "$E2E_TMP/wine"
  e2e_check "the Wine prefix is ready ($WINEPREFIX)" test -f "$WINEPREFIX/system.reg"
  (unset DISPLAY; "$WINE" reg delete 'HKCU\Software\Dayvane' /f >/dev/null 2>&1; wineserver -w)
  e2e_start_x && e2e_start_wm
}

# W32_WINEDEBUG: Wine's debug channels for the program (dayvane.log).
w32_start() {
  (cd "$prog" && WINEDEBUG=${W32_WINEDEBUG:-$WINEDEBUG} exec "$WINE" Dayvane.exe) \
    >>"$E2E_ARTIFACTS/dayvane.log" 2>&1 &
  W32_PID=$!
}
w32_running() { [ -n "$W32_PID" ] && e2e_pid_alive "$W32_PID"; }

# The first mapped override-redirect top-level window of the program (a
# pop-up menu, a tip): its id.
w32_popup() {
  local wid info
  for wid in $(xwininfo -root -children 2>/dev/null | awk '/^ +0x/ && /"dayvane.exe"/ {print $1}'); do
    info=$(xwininfo -id "$wid" 2>/dev/null) || continue
    grep -q 'Override Redirect State: yes' <<<"$info" || continue
    grep -q 'Map State: IsViewable' <<<"$info" || continue
    [ "$(sed -n 's/.*Width: *//p' <<<"$info")" -gt 8 ] || continue
    printf '%d\n' "$wid"
    return 0
  done
  return 1
}

# e2e_geometry without an id would wait for a click on a window.
w32_geometry() { [ -n "${1:-}" ] && e2e_geometry "$1"; }
