#!/usr/bin/env bash
# wine_run.sh EXE [ARGS...]: runs a Windows program under Wine in a fresh
# temporary prefix, without a display and without Wine's debug output, and
# exits with the program's exit code. The prefix is removed afterwards.
#
# A 32-bit program runs in Wine's default (64-bit) prefix through wine32;
# building the prefix takes a few seconds.
set -u
[ $# -ge 1 ] || { echo "usage: $0 EXE [ARGS...]" >&2; exit 2; }
exe=$1; shift
[ -f "$exe" ] || { echo "$0: no such program: $exe" >&2; exit 2; }
. "$(dirname "$0")/wine_check.sh"
wine_check_or_skip wine_run

prefix=$(mktemp -d "${TMPDIR:-/tmp}/dayvane-wine.XXXXXX")
export WINEPREFIX=$prefix WINEDEBUG=-all
# No Mono or Gecko installer dialogs while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
unset DISPLAY WAYLAND_DISPLAY

cleanup() {
  wineserver -k >/dev/null 2>&1
  rm -rf "${prefix:?}"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

start=$SECONDS
wineboot --init >/dev/null 2>&1
wineserver -w
echo "wine_run: prefix ready in $((SECONDS - start)) s" >&2
wine "$exe" "$@"
code=$?
wineserver -w
exit "$code"
