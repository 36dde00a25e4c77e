#!/usr/bin/env bash
# wine_run.sh EXE [ARGS...]: runs a Windows program under Wine, without a
# display and without Wine's debug output, and exits with the program's
# exit code. The prefix is the run's shared one (DAYVANE_WINEPREFIX) or a
# fresh temporary one, removed afterwards. A 64-bit program runs on Wine's
# 64-bit loader, a 32-bit one on wine32.
set -u
[ $# -ge 1 ] || { echo "usage: $0 EXE [ARGS...]" >&2; exit 2; }
exe=$1; shift
[ -f "$exe" ] || { echo "$0: no such program: $exe" >&2; exit 2; }
. "$(dirname "$0")/wine_check.sh"
wine_pick wine_run "$exe"

cleanup() {
  wineserver -k >/dev/null 2>&1
  [ "${WINE_PREFIX_OWNED:-0}" = 1 ] && rm -rf "${WINEPREFIX:?}"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
unset DISPLAY WAYLAND_DISPLAY
wine_prefix_open || exit 1
"$WINE" "$exe" "$@"
code=$?
wineserver -w
exit "$code"
