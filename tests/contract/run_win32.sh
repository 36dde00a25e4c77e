#!/usr/bin/env bash
# run_win32.sh CONTRACT_EXE [ARTIFACT_DIR]: the Win32 toolkit's contract
# tests under Wine, in Xvfb with openbox. The prefix is the run's shared one
# (DAYVANE_WINEPREFIX) or one of its own.
set -u
exe=$(realpath "$1")
. "$(dirname "$0")/../e2e/lib.sh"
. "$(dirname "$0")/../e2e/wine_check.sh"
wine_pick contract_win32 "$exe"
E2E_TEST=contract_win32
e2e_init "${2:-}"
trap 'wineserver -k 2>/dev/null; e2e_cleanup' EXIT
wine_prefix_open "$E2E_TMP/wine" || exit 1
e2e_start_x && e2e_start_wm || exit 1
"$WINE" "$exe"
code=$?
timeout 20 wineserver -w 2>/dev/null
exit "$code"
