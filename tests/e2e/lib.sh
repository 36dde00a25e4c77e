# shellcheck shell=bash
# Helpers for Dayvane's end-to-end tests: an isolated X session (Xvfb,
# openbox, trayer), window/tray queries, screenshots, a stub text editor
# and a tiny assertion set.  Source it, then call e2e_init.
#
#   . tests/e2e/lib.sh
#   e2e_init "$BUILD_DIR/e2e-artifacts/mytest"
#   e2e_start_x && e2e_start_wm && e2e_start_tray
#   ...
#   e2e_summary   # exit status: 0 when nothing failed

E2E_PIDS=()
E2E_PASSED=0
E2E_FAILED=0
E2E_TEST=${E2E_TEST:-$(basename "${0%.sh}")}
E2E_XVFB_PID=''
E2E_TRAY_PID=''
E2E_XLOCK=''
E2E_EDITOR_LOG=''

# now_ms: the time in milliseconds.
now_ms() { date +%s%3N; }
e2e_log() { printf '[%s %s] %s\n' "$E2E_TEST" "$(date +%T)" "$*" >&2; }

# Fresh HOME and XDG folders under E2E_TMP.
_e2e_homes() {
  mkdir -p "$E2E_TMP/home" "$E2E_TMP/run"
  chmod 700 "$E2E_TMP/run"
  export HOME="$E2E_TMP/home" XDG_RUNTIME_DIR="$E2E_TMP/run"
  export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
  export XDG_CACHE_HOME="$HOME/.cache" XDG_STATE_HOME="$HOME/.local/state"
  mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME"
}

# e2e_session_bus "$@": runs the calling test script again on a session bus
# of its own (dbus-run-session), made once the throw-away HOME and XDG
# folders are in place, so that the services the bus starts use them too.
# Call it first; the script then goes on on that bus.
e2e_session_bus() {
  [ -z "${E2E_SESSION_BUS:-}" ] || return 0
  E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/dayvane-e2e.XXXXXX")
  _e2e_homes
  E2E_SESSION_BUS=1 E2E_BUS_TMP=$E2E_TMP exec dbus-run-session -- bash "$0" "$@"
}

# e2e_init [ARTIFACT_DIR]: fresh HOME/XDG dirs (those of e2e_session_bus when
# it ran), cleanup trap, artifact dir.
e2e_init() {
  E2E_TMP=${E2E_BUS_TMP:-$(mktemp -d "${TMPDIR:-/tmp}/dayvane-e2e.XXXXXX")}
  unset E2E_BUS_TMP
  E2E_ARTIFACTS=${1:-${E2E_ARTIFACTS:-$E2E_TMP/artifacts}}
  mkdir -p "$E2E_ARTIFACTS"
  _e2e_homes
  export QT_QPA_PLATFORM=xcb E2E_TMP E2E_ARTIFACTS
  # No session bus (unless the test made its own with dbus-run-session and
  # set E2E_SESSION_BUS): Qt then docks its tray icon through XEmbed, and
  # nothing of the developer's desktop leaks into the run.
  [ -n "${E2E_SESSION_BUS:-}" ] || unset DBUS_SESSION_BUS_ADDRESS
  unset WAYLAND_DISPLAY QT_QPA_PLATFORMTHEME \
    XDG_CURRENT_DESKTOP DESKTOP_SESSION XDG_SESSION_TYPE SESSION_MANAGER
  export NO_AT_BRIDGE=1
  trap e2e_cleanup EXIT
  trap 'exit 130' INT TERM
}

# e2e_spawn LOGNAME CMD...: run CMD in the background, remembered for cleanup;
# output is appended to $E2E_ARTIFACTS/LOGNAME.log, the pid to E2E_LAST_PID.
e2e_spawn() {
  local name=$1; shift
  "$@" >>"$E2E_ARTIFACTS/$name.log" 2>&1 &
  E2E_LAST_PID=$!
  E2E_PIDS+=("$E2E_LAST_PID")
}

# e2e_pid_alive PID: true while PID runs; a zombie counts as gone (detached
# children are reparented to pid 1, which may reap them late).
e2e_pid_alive() {
  local st
  st=$(sed -n 's/^State:[[:space:]]*\([A-Z]\).*/\1/p' "/proc/$1/status" 2>/dev/null)
  [ -n "$st" ] && [ "$st" != Z ] && [ "$st" != X ]
}

e2e_kill() {
  local pid i
  for pid in "$@"; do
    [ -n "$pid" ] || continue
    kill "$pid" 2>/dev/null || continue
    for i in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do
      e2e_pid_alive "$pid" || break
      sleep 0.1
    done
    e2e_pid_alive "$pid" && kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  return 0
}

e2e_cleanup() {
  local i
  for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do e2e_kill "${E2E_PIDS[i]}"; done
  E2E_PIDS=()
  [ -n "$E2E_EDITOR_LOG" ] && [ -f "$E2E_EDITOR_LOG" ] && e2e_editor_kill
  [ -n "$E2E_XLOCK" ] && rm -f "$E2E_XLOCK"
  [ -n "${E2E_KEEP_TMP:-}" ] || rm -rf "${E2E_TMP:?}"
}

# e2e_wait_for TIMEOUT CMD...: poll CMD every 0.1 s until it succeeds.
e2e_wait_for() {
  local deadline=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -le "$deadline" ] || return 1
    sleep 0.1
  done
}

# e2e_stays TIMEOUT CMD...: true when CMD holds all through TIMEOUT seconds
# (for what must not happen: the program must not end, a window must not
# appear); false as soon as it fails.
e2e_stays() {
  local deadline=$((SECONDS + $1)); shift
  while [ "$SECONDS" -le "$deadline" ]; do
    "$@" >/dev/null 2>&1 || return 1
    sleep 0.1
  done
}

# e2e_wait_settled WID OLD [TIMEOUT]: waits until WID's geometry differs
# from OLD and reads the same twice in a row (the window manager is done).
e2e_wait_settled() {
  local deadline=$((SECONDS + ${3:-5})) last='' now
  while [ "$SECONDS" -le "$deadline" ]; do
    now=$(e2e_geometry "$1")
    [ "$now" != "$2" ] && [ "$now" = "$last" ] && return 0
    last=$now
    sleep 0.1
  done
  return 1
}

# A lock whose owner is gone (a run killed with SIGKILL) may be reused.
_e2e_stale_lock() {
  local pid
  [ -f "$1" ] || return 1
  pid=$(tr -dc 0-9 <"$1" 2>/dev/null) || return 1
  [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null
}

# e2e_start_x: Xvfb 1024x768x24 on the first free display in :90..:140.
# Xvfb writes no lock file with -displayfd, so we hold /tmp/.X<n>-lock
# ourselves: that keeps parallel runs (and other X servers) off it.
e2e_start_x() {
  local n fd_file="$E2E_TMP/displayfd"
  for n in $(seq "${E2E_DISPLAY_MIN:-90}" "${E2E_DISPLAY_MAX:-140}"); do
    [ -e "/tmp/.X11-unix/X$n" ] && continue
    _e2e_stale_lock "/tmp/.X$n-lock" && rm -f "/tmp/.X$n-lock"
    (set -C; printf '%10d\n' "$$" >"/tmp/.X$n-lock") 2>/dev/null || continue
    E2E_XLOCK="/tmp/.X$n-lock"
    : >"$fd_file"
    Xvfb ":$n" -screen 0 "${E2E_SCREEN:-1024x768x24}" -nolisten tcp -noreset \
      -displayfd 3 3>"$fd_file" >>"$E2E_ARTIFACTS/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    E2E_PIDS+=("$E2E_XVFB_PID")
    while kill -0 "$E2E_XVFB_PID" 2>/dev/null && [ ! -s "$fd_file" ]; do sleep 0.05; done
    if [ -s "$fd_file" ]; then
      export DISPLAY=":$n"
      e2e_log "Xvfb on $DISPLAY (${E2E_SCREEN:-1024x768x24}, ${E2E_DPI:-96} dpi)"
      # The desktop's resolution, as a desktop's settings daemon sets it.
      echo "Xft.dpi: ${E2E_DPI:-96}" | xrdb -merge
      return 0
    fi
    wait "$E2E_XVFB_PID" 2>/dev/null   # display taken after all: next one
    rm -f "$E2E_XLOCK"; E2E_XLOCK=''
  done
  e2e_log "no free X display"; return 1
}

# Selection owner window (decimal, 0 when none) via a small Xlib helper
# built once per run.
e2e_selection_owner() {
  local bin="$E2E_TMP/selowner"
  if [ ! -x "$bin" ]; then
    printf '%s\n' '#include <X11/Xlib.h>' '#include <stdio.h>' \
      'int main(int c, char **v) { Display *d = XOpenDisplay(0); if (!d || c < 2) return 2;' \
      ' printf("%lu\n", XGetSelectionOwner(d, XInternAtom(d, v[1], False))); return 0; }' \
      >"$bin.c"
    cc -o "$bin" "$bin.c" -lX11 || return 2
  fi
  "$bin" "$1"
}

_e2e_wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }

# e2e_start_wm: openbox with a plain config; waits until it manages windows.
e2e_start_wm() {
  local rc="$E2E_TMP/openbox-rc.xml"
  cat >"$rc" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy></placement>
  <desktops><number>1</number></desktops>
  <theme><name>Clearlooks</name></theme>
</openbox_config>
EOF
  e2e_spawn openbox openbox --config-file "$rc" --sm-disable
  e2e_wait_for 10 _e2e_wm_ready || { e2e_log "openbox did not start"; return 1; }
}

_e2e_tray_owned() { [ "$(e2e_selection_owner _NET_SYSTEM_TRAY_S0)" != 0 ]; }

# e2e_start_tray: trayer docked top-right; waits for _NET_SYSTEM_TRAY_S0.
e2e_start_tray() {
  e2e_spawn trayer trayer --edge top --align right --widthtype request \
    --height 32 --transparent false --tint 0x808080 --SetDockType true
  E2E_TRAY_PID=$E2E_LAST_PID
  e2e_wait_for 10 _e2e_tray_owned || { e2e_log "trayer did not take the tray"; return 1; }
}

# The Xfce panel: a task list and the notification area, which hosts XEmbed
# icons and StatusNotifierItems (org.kde.StatusNotifierWatcher).
_e2e_xfce_panel_config() {
  local dir="$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
  mkdir -p "$dir"
  cat >"$dir/xfce4-panel.xml" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=8;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="32"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
        <value type="int" value="2"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
    <property name="plugin-2" type="string" value="tasklist"/>
  </property>
</channel>
EOF
}

_e2e_sni_host() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.NameHasOwner string:org.kde.StatusNotifierWatcher | grep -q 'boolean true'
}

# e2e_start_xfce: xfconfd, xfwm4 and xfce4-panel on the session bus that the
# test runs in (dbus-run-session); waits for the window manager and for the
# panel's StatusNotifierItem host.
e2e_start_xfce() {
  local xfconfd
  _e2e_xfce_panel_config
  xfconfd=$(ls /usr/lib/*/xfce4/xfconf/xfconfd 2>/dev/null | head -n1)
  [ -n "$xfconfd" ] && e2e_spawn xfconfd "$xfconfd"
  e2e_spawn xfwm4 xfwm4 --compositor=off --sm-client-disable
  e2e_wait_for 10 _e2e_wm_ready || { e2e_log "xfwm4 did not start"; return 1; }
  e2e_start_panel
}

e2e_start_panel() {
  e2e_spawn xfce4-panel xfce4-panel --sm-client-disable --disable-wm-check
  E2E_PANEL_PID=$E2E_LAST_PID
  e2e_wait_for 20 _e2e_sni_host || { e2e_log "xfce4-panel hosts no StatusNotifierItems"; return 1; }
}

e2e_stop_panel() {
  e2e_kill "$E2E_PANEL_PID"; E2E_PANEL_PID=''
  e2e_wait_for 5 eval '! _e2e_sni_host'
}

_e2e_sni_host_registered() {
  dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
    org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
    string:IsStatusNotifierHostRegistered 2>/dev/null | grep -q 'boolean true'
}

# e2e_start_kde: a Plasma 5 desktop on the test's session bus: KWin, kded5
# (which serves the StatusNotifierWatcher) and plasmashell, whose panel's
# system tray hosts StatusNotifierItems; waits for the window manager, for
# the tray's host and for the panel. The session's variables stay set, so
# that the program under test sees a KDE session too (and Qt its KDE theme).
e2e_start_kde() {
  export XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5
  # No OpenGL in Xvfb: Qt Quick draws the shell's panel in software.
  export QT_QUICK_BACKEND=software
  # KWin without compositing and Plasma without animations: a window is on
  # the screen (and in a screenshot) once it is mapped.
  printf '[Compositing]\nEnabled=false\n' >>"$XDG_CONFIG_HOME/kwinrc"
  printf '[KDE]\nAnimationDurationFactor=0\n' >>"$XDG_CONFIG_HOME/kdeglobals"
  # The services that the bus starts (kglobalaccel, kactivitymanagerd,
  # kscreen) need the display, which came after the bus.
  dbus-update-activation-environment DISPLAY XDG_CURRENT_DESKTOP KDE_FULL_SESSION \
    KDE_SESSION_VERSION QT_QUICK_BACKEND
  e2e_spawn kwin kwin_x11 --replace
  e2e_wait_for 20 _e2e_wm_ready || { e2e_log "kwin_x11 did not start"; return 1; }
  e2e_spawn kded5 kded5
  e2e_wait_for 20 _e2e_sni_host || { e2e_log "kded5 serves no StatusNotifierWatcher"; return 1; }
  e2e_spawn plasmashell plasmashell --no-respawn
  E2E_PANEL_PID=$E2E_LAST_PID
  e2e_wait_for 90 _e2e_sni_host_registered ||
    { e2e_log "plasmashell's tray hosts no StatusNotifierItems"; return 1; }
  e2e_wait_window_type DOCK 30 >/dev/null || { e2e_log "plasmashell shows no panel"; return 1; }
  e2e_log "Plasma is up after $SECONDS s"
}

_e2e_overview_shown() {
  gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
    --method org.freedesktop.DBus.Properties.Get org.gnome.Shell OverviewActive 2>/dev/null |
    grep -q true
}

# e2e_start_gnome: GNOME Shell as the X11 window manager and compositor (Mesa's
# software renderer) on the session bus that the test runs in
# (e2e_session_bus), with the AppIndicator extension as the tray host at
# the scale of E2E_DPI; waits for the host and closes the overview that the
# shell shows at start.
e2e_start_gnome() {
  local bus="$E2E_TMP/system-bus" i
  # The shell gives up without a system bus: a bus of the test's own stands in.
  e2e_spawn system-bus dbus-daemon --session --nofork --address="unix:path=$bus"
  export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$bus"
  e2e_wait_for 10 test -S "$bus" || { e2e_log "no stand-in system bus"; return 1; }
  gsettings set org.gnome.shell disable-user-extensions false
  gsettings set org.gnome.shell enabled-extensions "['ubuntu-appindicators@ubuntu.com']"
  # No banners (running as root gets one) over the top bar and the windows.
  gsettings set org.gnome.desktop.notifications show-banners false
  gsettings set org.gnome.desktop.interface scaling-factor $((${E2E_DPI:-96} / 96))
  export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=x11
  e2e_spawn gnome-shell env LIBGL_ALWAYS_SOFTWARE=1 gnome-shell --x11 --replace
  e2e_wait_for 60 _e2e_wm_ready || { e2e_log "gnome-shell did not start"; return 1; }
  e2e_wait_for 60 _e2e_sni_host || { e2e_log "GNOME Shell hosts no StatusNotifierItems"; return 1; }
  # The settings daemon's part that tells X clients the desktop's scale and
  # resolution (XSETTINGS), as in a GNOME session.
  e2e_spawn gsd-xsettings /usr/libexec/gsd-xsettings
  e2e_wait_for 20 eval '[ "$(e2e_selection_owner _XSETTINGS_S0)" != 0 ]' ||
    { e2e_log "gsd-xsettings did not start"; return 1; }
  # Escape closes the overview that the shell opens at start (once it takes
  # keys).
  e2e_wait_for 30 _e2e_overview_shown || e2e_log "no overview at start"
  for i in 1 2 3 4 5 6 7 8 9 10; do
    xdotool key Escape
    e2e_wait_for 3 eval '! _e2e_overview_shown' && return 0
  done
  e2e_log "the overview stays"; return 1
}

# e2e_topbar_icon_pos: "X Y" of the program's icon in GNOME's top bar (its
# right half, above the work area).
_e2e_topbar_height() { xprop -root _NET_WORKAREA | sed -n 's/.* = [0-9]*, \([0-9]*\),.*/\1/p'; }
e2e_topbar_icon_pos() {
  local width bar
  read -r width _ < <(e2e_screen_size)
  bar=$(_e2e_topbar_height)
  [ "${bar:-0}" -gt 0 ] && e2e_blue_centre $((width / 2)) 0 $((width / 2)) "$bar"
}

# e2e_topbar_click [XDOTOOL CLICK ARGS]: clicks the program's icon in the top bar.
e2e_topbar_click() {
  local x y
  read -r x y < <(e2e_topbar_icon_pos) || { e2e_log "no icon in the top bar"; return 1; }
  xdotool mousemove "$x" "$y" sleep 0.2 click "${@:-1}"
}
# e2e_topbar_menu: one click on the program's icon in the top bar; waits
# until the shell draws a menu below it.
e2e_topbar_menu() {
  local x y bar area diff
  read -r x y < <(e2e_topbar_icon_pos) || { e2e_log "no icon in the top bar"; return 1; }
  bar=$(_e2e_topbar_height)
  area="$((4 * bar))x$((bar))+$((x - 3 * bar))+$((bar + bar / 4))"
  import -display "$DISPLAY" -window root -crop "$area" "$E2E_TMP/no-menu.png" 2>/dev/null || return 1
  xdotool mousemove "$x" "$y" sleep 0.2 click 1
  _e2e_menu_drawn() {
    import -display "$DISPLAY" -window root -crop "$area" "$E2E_TMP/menu.png" 2>/dev/null &&
      diff=$(compare -metric AE "$E2E_TMP/no-menu.png" "$E2E_TMP/menu.png" null: 2>&1)
    [ "${diff%% *}" != 0 ]
  }
  e2e_wait_for 5 _e2e_menu_drawn || { e2e_log "no menu below the icon"; return 1; }
}
e2e_topbar_double_click() { e2e_topbar_click --repeat 2 --delay 80 1; }

# e2e_sni ARGS: the StatusNotifierItem calls a host makes (see sni.py).
e2e_sni() { /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/sni.py" "$@"; }

# e2e_blue_centre X Y W H: "X Y" of the centre of the blue day cells of the
# program's icon artwork (pure blue, which a host may dim a little) inside
# that rectangle of the screen.
e2e_blue_centre() {
  import -display "$DISPLAY" -window root -crop "$3x$4+$1+$2" "$E2E_TMP/icon-area.png" 2>/dev/null || return 1
  convert "$E2E_TMP/icon-area.png" -depth 8 txt:- 2>/dev/null | awk -v ox="$1" -v oy="$2" -F'[,:() ]+' '
    NR > 1 && $5 >= 192 && $3 <= 48 && $4 <= 48 { x = $1 + ox; y = $2 + oy
      if (n == 0 || x < x0) x0 = x; if (x > x1) x1 = x
      if (n == 0 || y < y0) y0 = y; if (y > y1) y1 = y; n++ }
    END { if (n < 4) exit 1; print int((x0 + x1) / 2), int((y0 + y1) / 2) }'
}

# e2e_screen_size: "W H" of the screen.
e2e_screen_size() { xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\) .*/\1 \2/p'; }

# e2e_panel_icon_pos [LEFT WIDTH]: "X Y" of the program's icon in the
# notification area of the panel at the bottom of the screen, which comes
# first there (Xfce) or is found between LEFT and LEFT + WIDTH (KDE).
e2e_panel_icon_pos() {
  local height
  read -r _ height < <(e2e_screen_size)
  e2e_blue_centre "${1:-0}" $((height - 80)) "${2:-120}" 80
}

# e2e_start_kwin: KWin as a Wayland compositor on a virtual 1024x768 screen,
# with Xwayland, on a session bus of its own; exports WAYLAND_DISPLAY,
# DISPLAY (its Xwayland) and DBUS_SESSION_BUS_ADDRESS.  KWin runs from a
# copy: the installed binary carries a file capability that a container's
# bounding set may lack (exec then fails with EPERM), and its built-in
# platform plugin only loads in a binary named kwin_wayland.
e2e_start_kwin() {
  local kwin="$E2E_TMP/kwin/kwin_wayland" bus="$XDG_RUNTIME_DIR/bus"
  command -v kwin_wayland >/dev/null || { e2e_log "kwin_wayland is not installed"; return 1; }
  mkdir -p "${kwin%/*}"
  cp "$(command -v kwin_wayland)" "$kwin"
  e2e_spawn dbus-daemon dbus-daemon --session --nofork --nopidfile --address="unix:path=$bus"
  e2e_wait_for 5 test -S "$bus" || { e2e_log "no session bus"; return 1; }
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$bus" WAYLAND_DISPLAY="wayland-dv-kwin-$$"
  # KWin starts the programs it is given once Xwayland is up, with DISPLAY
  # set: this one tells us the display.
  printf 'echo "$DISPLAY" >%s.new && mv %s.new %s\n' "$E2E_TMP/kwin/display" \
    "$E2E_TMP/kwin/display" "$E2E_TMP/kwin/display" >"$E2E_TMP/kwin/display.sh"
  # The screenshot interface without a check of the caller's desktop file.
  e2e_spawn kwin env KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 "$kwin" --virtual --xwayland \
    --socket "$WAYLAND_DISPLAY" --width 1024 --height 768 --no-lockscreen \
    --no-global-shortcuts --no-kactivities "sh $E2E_TMP/kwin/display.sh"
  e2e_wait_for 20 test -s "$E2E_TMP/kwin/display" || { e2e_log "kwin_wayland did not start Xwayland"; return 1; }
  DISPLAY=$(cat "$E2E_TMP/kwin/display")
  export DISPLAY
  e2e_log "kwin_wayland on $WAYLAND_DISPLAY, Xwayland on $DISPLAY"
  e2e_wait_for 10 _e2e_wm_ready || { e2e_log "KWin does not manage X windows"; return 1; }
}

# e2e_kwin_shot NAME: KWin's whole screen (Wayland and X windows) to
# $E2E_ARTIFACTS/NAME.png, through its ScreenShot2 interface.
e2e_kwin_shot() {
  /usr/bin/python3 - "$E2E_ARTIFACTS/$1.png" <<'EOF'
import os
import sys

import dbus
from PIL import Image

shooter = dbus.Interface(dbus.SessionBus().get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2"),
                         "org.kde.KWin.ScreenShot2")
read_end, write_end = os.pipe()
info = shooter.CaptureWorkspace({}, dbus.types.UnixFd(write_end))
os.close(write_end)
data = b""
while chunk := os.read(read_end, 1 << 20):
    data += chunk
size = (int(info["width"]), int(info["height"]))
# QImage's RGB32, ARGB32 and ARGB32_Premultiplied: BGRA bytes.
if int(info["format"]) not in (4, 5, 6):
    sys.exit(f"unexpected image format {info['format']}")
Image.frombuffer("RGBA", size, data, "raw", "BGRA", int(info["stride"]), 1).convert("RGB").save(sys.argv[1])
EOF
}

e2e_stop_tray() {
  e2e_kill "$E2E_TRAY_PID"; E2E_TRAY_PID=''
  e2e_wait_for 5 eval '! _e2e_tray_owned'
}

# e2e_wait_window [--class] PATTERN [TIMEOUT]: print the first visible
# matching window id (decimal).
e2e_wait_window() {
  local by=--name
  [ "$1" = --class ] && { by=--class; shift; }
  local deadline=$((SECONDS + ${2:-10})) wid
  while :; do
    wid=$(xdotool search --onlyvisible "$by" "$1" 2>/dev/null | head -n1)
    [ -n "$wid" ] && { echo "$wid"; return 0; }
    [ "$SECONDS" -le "$deadline" ] || return 1
    sleep 0.1
  done
}

# e2e_is_mapped WID: true when the window is IsViewable.
# (An empty id must not reach xwininfo: it would wait for a click.)
e2e_is_mapped() { [ -n "${1:-}" ] && xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsViewable"; }

# e2e_wait_gone WID [TIMEOUT]: wait until WID is unmapped or destroyed.
e2e_wait_gone() { e2e_wait_for "${2:-10}" eval "! e2e_is_mapped $1"; }

# e2e_wm_state WID: prints Normal, Iconic or Withdrawn (WM_STATE).
e2e_wm_state() {
  local st; st=$(xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/.*window state: //p')
  echo "${st:-Withdrawn}"
}

# e2e_wait_window_type TYPE [TIMEOUT]: first visible window whose
# _NET_WM_WINDOW_TYPE has _NET_WM_WINDOW_TYPE_<TYPE> (TOOLTIP, DOCK, ...).
e2e_wait_window_type() {
  local deadline=$((SECONDS + ${2:-10})) wid
  while :; do
    for wid in $(xdotool search --onlyvisible --classname . 2>/dev/null); do
      xprop -id "$wid" _NET_WM_WINDOW_TYPE 2>/dev/null |
        grep -q "_NET_WM_WINDOW_TYPE_$1\b" && { echo "$wid"; return 0; }
    done
    [ "$SECONDS" -le "$deadline" ] || return 1
    sleep 0.2
  done
}

# e2e_wait_popup [TIMEOUT]: first mapped override-redirect top-level that is
# not a tooltip, e.g. a QMenu popped up from the tray (Qt types it NORMAL).
e2e_wait_popup() {
  local deadline=$((SECONDS + ${1:-10})) wid
  while :; do
    for wid in $(xwininfo -root -children 2>/dev/null | awk '
        /^ +0x/ && match($0, / [0-9]+x[0-9]+[+-]/) {
          split(substr($0, RSTART + 1, RLENGTH - 2), d, "x")
          if (d[1] > 1 && d[2] > 1) print $1
        }'); do
      xwininfo -id "$wid" 2>/dev/null | grep -q 'Override Redirect State: yes' || continue
      e2e_is_mapped "$wid" || continue
      xprop -id "$wid" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q TOOLTIP && continue
      printf '%d\n' "$wid"; return 0
    done
    [ "$SECONDS" -le "$deadline" ] || return 1
    sleep 0.2
  done
}

# e2e_geometry WID: prints "CX CY CW CH FX FY FW FH L R T B": client
# rectangle and frame rectangle in root coordinates, then the frame extents.
e2e_geometry() {
  local info x y w h l=0 r=0 t=0 b=0 ext
  [ -n "${1:-}" ] || return 1
  info=$(xwininfo -id "$1") || return 1
  x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
  y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
  w=$(sed -n 's/.*Width: *//p' <<<"$info")
  h=$(sed -n 's/.*Height: *//p' <<<"$info")
  ext=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.* = //p' | tr -d ,)
  [ -n "$ext" ] && read -r l r t b <<<"$ext"
  echo "$x $y $w $h $((x - l)) $((y - t)) $((w + l + r)) $((h + t + b)) $l $r $t $b"
}

# e2e_shot NAME: whole screen to $E2E_ARTIFACTS/NAME.png.
e2e_shot() { import -display "$DISPLAY" -window root "$E2E_ARTIFACTS/$1.png"; }

# e2e_wait_drawn WID BEFORE [TIMEOUT]: waits until the screen under window
# WID differs from the screenshot BEFORE (of the whole screen, taken before
# WID came): a compositing window manager shows a window once it is drawn.
e2e_wait_drawn() {
  local x y w h
  read -r x y w h _ <<<"$(e2e_geometry "$1")"
  [ -n "${h:-}" ] || return 1
  convert "$2" -crop "${w}x${h}+${x}+${y}" +repage "$E2E_TMP/undrawn.png" || return 1
  e2e_wait_for "${3:-5}" eval "import -display \"\$DISPLAY\" -window root -crop ${w}x${h}+${x}+${y} +repage \"\$E2E_TMP/drawn.png\" &&
    ! compare -metric AE \"\$E2E_TMP/undrawn.png\" \"\$E2E_TMP/drawn.png\" null:"
}

# e2e_tray_icon_pos [PATTERN]: "X Y WID" of the first icon docked in
# trayer (optionally the first whose xwininfo line matches PATTERN, e.g. its
# WM_CLASS); X Y is the icon's centre in root coordinates.
e2e_tray_icon_pos() {
  local line w h x y wid
  # Icons are embedded below trayer's "panel" window: panel > socket > icon.
  line=$(xwininfo -root -tree 2>/dev/null | awk -v pat="${1:-.}" '
    /"panel": \("panel" "trayer"\)/ { depth = match($0, /[^ ]/); inside = 1; next }
    inside && match($0, /[^ ]/) <= depth { inside = 0 }
    inside && $0 ~ pat && match($0, /[0-9]+x[0-9]+[+-]+[0-9]+[+-]+[0-9]+ +[+-]+[0-9]+[+-]+[0-9]+$/) {
      split(substr($0, RSTART, RLENGTH), f, /[x+ ]+/)
      if (f[1] > 1 && f[2] > 1) { print f[1], f[2], f[5], f[6], $1; exit }
    }')
  [ -n "$line" ] || return 1
  read -r w h x y wid <<<"$line"
  echo "$((x + w / 2)) $((y + h / 2)) $wid"
}

# e2e_tray_wait_icon [TIMEOUT [PATTERN]]: wait until an icon is docked, print it.
e2e_tray_wait_icon() { e2e_wait_for "${1:-10}" e2e_tray_icon_pos "${2:-.}" && e2e_tray_icon_pos "${2:-.}"; }

_e2e_tray_click() {
  local x y
  read -r x y _ < <(e2e_tray_icon_pos) || { e2e_log "no tray icon"; return 1; }
  xdotool mousemove "$x" "$y" sleep 0.2 click "$@"
}
e2e_tray_click() { _e2e_tray_click 1; }
e2e_tray_double_click() { _e2e_tray_click --repeat 2 --delay 80 1; }
e2e_tray_right_click() { _e2e_tray_click 3; }
e2e_tray_middle_click() { _e2e_tray_click 2; }
e2e_tray_hover() {
  local x y
  read -r x y _ < <(e2e_tray_icon_pos) || return 1
  xdotool mousemove "$x" "$y" sleep 0.1 mousemove_relative 1 1
}

# e2e_stub_editor [DIR]: install a stub text editor, the XDG default for
# text/plain.  Each launch appends "pid=.. cwd=.. argv=a|b|.." to
# $E2E_EDITOR_LOG and stays alive until the test script ends; with
# STUB_EDITOR_WINDOW=1 in its environment it also maps an xmessage window
# titled "stub-editor <file name>".
e2e_stub_editor() {
  local dir=${1:-$HOME/bin}
  mkdir -p "$dir" "$XDG_DATA_HOME/applications"
  export E2E_EDITOR_LOG="$E2E_TMP/editor.log" E2E_EDITOR="$dir/stub-editor"
  : >"$E2E_EDITOR_LOG"
  cat >"$E2E_EDITOR" <<EOF
#!/bin/bash
args=\$(printf '%s|' "\$@")
echo "pid=\$\$ cwd=\$PWD argv=\${args%|}" >>'$E2E_EDITOR_LOG'
xm=''
if [ "\${STUB_EDITOR_WINDOW:-0}" = 1 ]; then
  xmessage -name stub-editor -title "stub-editor \${1##*/}" "\$*" &
  xm=\$!
fi
trap '[ -n "\$xm" ] && kill \$xm 2>/dev/null; exit 0' TERM INT HUP
# Stay alive like a real editor (until its window is closed), but never
# outlive the test run.
while kill -0 $$ 2>/dev/null && { [ -z "\$xm" ] || kill -0 "\$xm" 2>/dev/null; }; do
  sleep 0.5
done
[ -n "\$xm" ] && kill "\$xm" 2>/dev/null
exit 0
EOF
  chmod +x "$E2E_EDITOR"
  cat >"$XDG_DATA_HOME/applications/stub-editor.desktop" <<EOF
[Desktop Entry]
Type=Application
Name=Stub Editor
Exec=$E2E_EDITOR %f
MimeType=text/plain;
Terminal=false
EOF
  printf '[Default Applications]\ntext/plain=stub-editor.desktop\n' \
    >"$XDG_CONFIG_HOME/mimeapps.list"
}

# e2e_editor_calls: number of stub editor launches so far.
e2e_editor_calls() { wc -l <"$E2E_EDITOR_LOG"; }

# e2e_editor_kill: end the stub editors still running ("closes" them).
e2e_editor_kill() {
  local pid
  sed -n 's/^pid=\([0-9]*\) .*/\1/p' "$E2E_EDITOR_LOG" | while read -r pid; do
    e2e_pid_alive "$pid" && e2e_kill "$pid"
  done
  return 0
}

# The milestones the program writes to $DAYVANE_TRACE (see scripts/bench).
# dv_trace_count EVENT: how many times the program (this run) has reached
# EVENT (the event's first words).
dv_trace_count() {
  awk -v e="$1" 'index(substr($0, index($0, " ") + 1), e) == 1 { n++ } END { print n + 0 }' \
    "$DAYVANE_TRACE" 2>/dev/null || echo 0
}
# dv_trace_last EVENT: the time (ms) of the latest EVENT.
dv_trace_last() {
  awk -v e="$1" 'index(substr($0, index($0, " ") + 1), e) == 1 { t = $1 } END { print t }' \
    "$DAYVANE_TRACE" 2>/dev/null
}
# dv_trace_words EVENT: the words after the latest EVENT (one word).
dv_trace_words() { sed -n "s/^[0-9]* $1 //p" "$DAYVANE_TRACE" | tail -n1; }
# dv_wait_trace EVENT COUNT [TIMEOUT]: waits until EVENT was reached COUNT times.
dv_wait_trace() { e2e_wait_for "${3:-10}" eval "[ \$(dv_trace_count '$1') -ge $2 ]"; }
# dv_find_select KEY: presses KEY in a find and prints the date it selects.
dv_find_select() {
  local n
  n=$(dv_trace_count find-select)
  xdotool key "$1"
  e2e_wait_for 3 eval '[ "$(dv_trace_count find-select)" -gt $n ]' && dv_trace_words find-select
}
# dv_marks_now: the number of dates marked at the program's latest read of
# the folder.
dv_marks_now() { awk '$2 == "marks-read" { n = $3 } END { print n }' "$DAYVANE_TRACE"; }

e2e_ok() { E2E_PASSED=$((E2E_PASSED + 1)); printf 'ok   - %s: %s\n' "$E2E_TEST" "$*"; }
e2e_fail() { E2E_FAILED=$((E2E_FAILED + 1)); printf 'FAIL - %s: %s\n' "$E2E_TEST" "$*"; }

# e2e_check DESCRIPTION CMD...: ok when CMD succeeds, FAIL otherwise.
e2e_check() {
  local what=$1; shift
  if "$@" >/dev/null; then e2e_ok "$what"; else e2e_fail "$what"; fi
}

# e2e_check_bold WHAT PLAIN BOLD [X Y W H CELL]: the shots PLAIN and BOLD
# hold a date drawn plain, then bold (its note written): the bold one has
# at least a fifth more ink (calendar_shot.py ink, on the date cell CELL of
# the calendar at X Y W H when given).
e2e_check_bold() {
  local ink
  ink=$(e2e_ink "${@:2}")
  e2e_check "$1: a day with a note is drawn heavier (ink ${ink#* } against ${ink% *})" \
    e2e_more_ink $ink
}
# e2e_ink PLAIN BOLD [X Y W H CELL]: the ink of both, "PLAIN BOLD".
e2e_ink() {
  /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/calendar_shot.py" ink "$@" |
    sed 's/[a-z]*=//g'
}
# e2e_more_ink PLAIN BOLD: whether BOLD is a fifth more than PLAIN.
e2e_more_ink() { [ "$((${2:-0} * 10))" -ge "$((${1:-1} * 12))" ]; }
# e2e_heavier PLAIN BOLD [X Y W H CELL]: whether BOLD has a fifth more ink.
e2e_heavier() {
  local ink
  ink=$(e2e_ink "$@")
  e2e_more_ink $ink
}

# e2e_summary: closing line; returns non-zero when anything failed.
e2e_summary() {
  printf '%s: %d passed, %d failed\n' "$E2E_TEST" "$E2E_PASSED" "$E2E_FAILED"
  [ "$E2E_FAILED" -eq 0 ] && [ "$E2E_PASSED" -gt 0 ]
}
