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

# w32_setup EXE NOTEPAD [DPI]: the program folder ($prog, $prog_win in
# Wine's terms) with Dayvane.exe and the stand-in notepad.exe; the prefix,
# without the program's settings as a new one is; Xvfb with openbox. With
# DPI, the prefix is one of its own at that logical resolution (a copy of
# the run's shared one, which stays at 96 dpi for the other tests).
w32_setup() {
  trap 'w32_kill_program; wineserver -k 2>/dev/null; e2e_cleanup' EXIT
  prog="$E2E_TMP/Dayvane"
  mkdir -p "$prog"
  cp "$1" "$prog/Dayvane.exe"
  cp "$2" "$prog/notepad.exe"
  prog_win="Z:$(tr / '\\' <<<"$prog")"
  # The program's milestones (dv_trace_count), written by Dayvane.exe under
  # its Windows name.
  export DAYVANE_TRACE="$E2E_TMP/trace"
  if [ -n "${3:-}" ]; then
    if [ -n "${DAYVANE_WINEPREFIX:-}" ] && [ -f "$DAYVANE_WINEPREFIX/system.reg" ]; then
      cp -a "$DAYVANE_WINEPREFIX" "$E2E_TMP/wine"
    fi
    local shared=${DAYVANE_WINEPREFIX:-}
    DAYVANE_WINEPREFIX=$E2E_TMP/wine
    wine_prefix_open "$E2E_TMP/wine"
    DAYVANE_WINEPREFIX=$shared
  else
    wine_prefix_open "$E2E_TMP/wine"
  fi
  e2e_check "the Wine prefix is ready ($WINEPREFIX)" test -f "$WINEPREFIX/system.reg"
  (unset DISPLAY
   "$WINE" reg delete 'HKCU\Software\Dayvane' /f
   # Wine 8 takes the resolution from the user's desktop settings (what
   # winecfg writes) and, without those, from the hardware profile's font
   # settings: each alone gives the resolution. Both are set.
   if [ -n "${3:-}" ]; then
     "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$3" /f
     "$WINE" reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
       /v LogPixels /t REG_DWORD /d "$3" /f
   fi
   wineserver -w) >>"$E2E_ARTIFACTS/wine-setup.log" 2>&1
  e2e_start_x && e2e_start_wm
}

# W32_WINEDEBUG: Wine's debug channels for the program (dayvane.log).
w32_start() {
  (cd "$prog" && DAYVANE_TRACE="Z:$(tr / '\\' <<<"$DAYVANE_TRACE")" \
    WINEDEBUG=${W32_WINEDEBUG:-$WINEDEBUG} exec "$WINE" Dayvane.exe) \
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

# w32_show [STEP]: starts the program, clicks its splash away and shows the main
# window with a double-click on the icon in Wine's own tray window (no
# tray host). Sets splash ("X Y W H" of the splash as it was), main (the
# main window's X window; empty when it did not come), ix and iy (the icon).
# With STEP, the splash's screenshot is STEP-splash. The window has
# W32_SHOW_WAIT seconds to come (default 10).
w32_show() {
  local splash_id tray tx ty sx sy sw sh
  w32_start
  splash_id=$(e2e_wait_window '^Form1$' 30)
  splash=$(w32_geometry "$splash_id" | cut -d' ' -f1-4)
  read -r sx sy sw sh <<<"${splash:-0 0 0 0}"
  [ -n "${1:-}" ] && e2e_shot "$1-splash"
  [ -n "$splash_id" ] && xdotool mousemove $((sx + sw / 2)) $((sy + sh / 2)) click 1
  tray=$(e2e_wait_window '^Wine System Tray$' 15)
  read -r tx ty _ < <(w32_geometry "$tray")
  ix=$((${tx:-0} + 10)) iy=$((${ty:-0} + 10))
  xdotool mousemove "$ix" "$iy" sleep 0.3 click --repeat 2 --delay 80 1
  main=$(e2e_wait_window '^Dayvane v2\.0$' "${W32_SHOW_WAIT:-10}")
  [ -n "$main" ] && e2e_wait_settled "$main" ""
  [ -n "$main" ]
}

# w32_menu_at X Y: the right button on the tray icon until its menu is up
# (a focus change in the window manager can close Wine's menu at once).
w32_menu_at() {
  local try
  for try in 1 2 3; do
    xdotool mousemove "$1" "$2" sleep 0.2 mousedown 3 sleep 0.15 mouseup 3
    e2e_wait_for 3 w32_popup && { w32_popup; return 0; }
    e2e_log "no menu after right click $try"
    xdotool key Escape
  done
  return 1
}

# w32_quit X Y STEP: Quit from the tray icon's menu at X Y, confirmed with
# Yes; screenshots STEP-tray-menu and STEP-confirm-exit.
w32_quit() {
  local menu box x y w h
  menu=$(w32_menu_at "$1" "$2")
  e2e_check "the right button pops up the tray menu" test -n "$menu"
  e2e_shot "$3-tray-menu"
  [ -n "$menu" ] || return 1
  read -r x y w h _ < <(w32_geometry "$menu")
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) sleep 0.2 click 1
  box=$(e2e_wait_window '^Confirm Exit$' 10)
  e2e_check "Quit asks \"Confirm Exit\"" test -n "$box"
  e2e_shot "$3-confirm-exit"
  [ -n "$box" ] || return 1
  xdotool windowactivate --sync "$box" sleep 0.3 key y
  e2e_wait_for 15 eval '! w32_running'
  e2e_check "Yes ends the program" eval '! w32_running'
}
