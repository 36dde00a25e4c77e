#!/usr/bin/env bash
# The Debian package for real: made with CPack from this build, installed
# with dpkg -i, started through its menu entry's command, used (a double-
# click on a date makes the note in ~/Dayvane of the test's HOME), started a
# second time (which shows the running one), and removed with dpkg -r, which
# leaves the notes. The package must pass lintian without an error, the menu
# entry and the metainfo desktop-file-validate and appstreamcli validate.
#
#   install_deb.sh DAYVANE BUILD_DIR [ARTIFACT_DIR]
#
# Needs root (dpkg); skipped (77) otherwise. Never touches a dayvane package
# that was installed before the test.
set -u
build=$(realpath "$2")
if [ "$(id -u)" != 0 ]; then
  echo "install_deb: SKIPPED: installing a package needs root" >&2
  exit 77
fi
if dpkg-query -W -f='${Status}' dayvane 2>/dev/null | grep -q 'install ok installed'; then
  echo "install_deb: a dayvane package is installed already; the test leaves it alone and fails" >&2
  exit 1
fi
. "$(dirname "$0")/app.sh"
rm -rf "$DV_HOME"
DV_HOME="$HOME/Dayvane"
INSTALLED=0
deb_cleanup() {
  e2e_cleanup
  [ "$INSTALLED" = 1 ] && dpkg -r dayvane >/dev/null 2>&1
}
trap deb_cleanup EXIT

# The package, made from this build.
pkg="$E2E_TMP/pkg"
(cd "$build" && cpack -G DEB -B "$pkg") >"$E2E_ARTIFACTS/cpack.log" 2>&1
deb=$(ls "$pkg"/dayvane_*.deb 2>/dev/null | head -n1)
e2e_check "cpack makes the package (${deb##*/})" test -f "$deb"
[ -f "$deb" ] || { cat "$E2E_ARTIFACTS/cpack.log"; e2e_summary; exit 1; }
dpkg-deb -I "$deb" >"$E2E_ARTIFACTS/control.txt"
depends=$(sed -n 's/^ Depends: //p' "$E2E_ARTIFACTS/control.txt")
e2e_log "Depends: $depends"
e2e_check "it depends on Debian's Qt 6 libraries" grep -q 'libqt6widgets6' <<<"$depends"
lintian "$deb" >"$E2E_ARTIFACTS/lintian.log" 2>&1
e2e_check "lintian finds no error ($(grep '^E:' "$E2E_ARTIFACTS/lintian.log" | cut -d' ' -f3 | sort -u | tr '\n' ' '))" \
  eval '! grep -q "^E:" "$E2E_ARTIFACTS/lintian.log"'
e2e_check "with the licence" eval 'dpkg-deb -c "$deb" | grep -q "usr/share/doc/dayvane/copyright$"'

dpkg -i "$deb" >"$E2E_ARTIFACTS/dpkg-install.log" 2>&1 && INSTALLED=1
e2e_check "dpkg -i installs it" test "$INSTALLED" = 1
[ "$INSTALLED" = 1 ] || { cat "$E2E_ARTIFACTS/dpkg-install.log"; e2e_summary; exit 1; }
desktop=/usr/share/applications/dayvane.desktop
metainfo=/usr/share/metainfo/org.dayvane.dayvane.metainfo.xml
e2e_check "the program is /usr/bin/dayvane" test -x /usr/bin/dayvane
for size in 16x16 22x22 24x24 32x32 48x48; do
  e2e_check "an icon of $size" test -f "/usr/share/icons/hicolor/$size/apps/dayvane.png"
done
e2e_check "a scalable icon" test -f /usr/share/icons/hicolor/scalable/apps/dayvane.svg
e2e_check "a manual page" eval 'man -l /usr/share/man/man1/dayvane.1.gz 2>/dev/null | grep -q "^NAME"'
desktop-file-validate "$desktop" >"$E2E_ARTIFACTS/desktop-file-validate.log" 2>&1
e2e_check "desktop-file-validate passes the menu entry" test $? = 0 -a ! -s "$E2E_ARTIFACTS/desktop-file-validate.log"
e2e_check "appstreamcli validate passes the metainfo" \
  appstreamcli validate --no-net "$metainfo"

# Started as the menu entry starts it, by a user with no ~/Dayvane yet.
dv_desktop
command=$(sed -n '/^\[Desktop Entry\]/,/^\[/s/^Exec=//p' "$desktop")
e2e_check "the menu entry's command is \"dayvane\"" test "$command" = dayvane
e2e_check "its action \"Today's note\" runs \"dayvane --today\"" \
  test "$(sed -n '/^\[Desktop Action today\]/,/^\[/s/^Exec=//p' "$desktop")" = "dayvane --today"
e2e_check "no ~/Dayvane before the first start" test ! -e "$DV_HOME"
e2e_spawn dayvane-menu sh -c "cd / && exec $command"
DV_PID=$E2E_LAST_PID
dv_skip_splash
main=$(dv_main_window)
e2e_check "it starts, with its icon in the tray" e2e_tray_wait_icon 10 '"dayvane"'
dv_show "$main"
e2e_check "a double-click on the icon shows the window" e2e_is_mapped "$main"
e2e_check "the first start made ~/Dayvane" test -d "$DV_HOME"
dv_double_click_date "$main"
e2e_wait_for 5 eval '[ -n "$(dv_notes)" ]'
note=$(dv_notes)
e2e_shot 01-note
e2e_check "a double-click on a date makes the note in ~/Dayvane ($note)" \
  eval "[[ \$note =~ ^[1-9][0-9]?-[1-9][0-9]?-[0-9]{4}\.txt$ ]]"
e2e_wait_for 5 eval '[ "$(e2e_editor_calls)" -ge 1 ]'
e2e_check "and opens it in the editor there" grep -q "cwd=$DV_HOME argv=$note\$" "$E2E_EDITOR_LOG"
e2e_check "nothing was written beside the program" eval '! ls /usr/bin/*.txt >/dev/null 2>&1'
echo "written in the installed Dayvane" >"$DV_HOME/$note"

# A second start from the menu shows the running one and ends.
xdotool windowminimize "$main"
e2e_wait_for 5 eval "! e2e_is_mapped $main"
t0=$(date +%s%3N)
(cd / && timeout 10 $command) >"$E2E_ARTIFACTS/second.log" 2>&1
status=$?
took=$(($(date +%s%3N) - t0))
e2e_check "a second start ends with 0 within 1 s (status $status, $took ms)" \
  test "$status" = 0 -a "$took" -lt 1000
e2e_wait_for 5 e2e_is_mapped "$main"
e2e_check "and shows the running one's window" e2e_is_mapped "$main"
e2e_shot 02-second-start

kill -TERM "$DV_PID"
dv_wait_exit 10
e2e_check "it ends with status 0 (got ${DV_STATUS:-none})" test "${DV_STATUS:-1}" = 0
e2e_editor_kill

# Removed: the program goes, the notes stay.
dpkg -r dayvane >"$E2E_ARTIFACTS/dpkg-remove.log" 2>&1 && INSTALLED=0
e2e_check "dpkg -r removes the package" test "$INSTALLED" = 0
e2e_check "and the program" test ! -e /usr/bin/dayvane
e2e_check "and the menu entry" test ! -e "$desktop"
e2e_check "the notes stay, as written" \
  test "$(cat "$DV_HOME/$note" 2>/dev/null)" = "written in the installed Dayvane"
e2e_summary
