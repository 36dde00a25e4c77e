# shellcheck shell=bash
# Starting and stopping the real Linux program for the end-to-end tests,
# on top of lib.sh. The program is installed into a fresh program folder
# ($DV_HOME), as scripts/run does, so that its notes land there.

DV_BIN=$1
DV_PID=''
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$2"
DV_HOME="$E2E_TMP/Dayvane"
DV_CONF="$XDG_CONFIG_HOME/dayvane/dayvane.conf"
mkdir -p "$DV_HOME"
cp "$DV_BIN" "$DV_HOME/dayvane"

# dv_start: starts the program from its folder; DV_PID is its pid.
dv_start() {
  e2e_spawn dayvane-$((++DV_RUNS)) "$DV_HOME/dayvane"
  DV_PID=$E2E_LAST_PID
}
DV_RUNS=0

# dv_main_window: the main window's id (mapped or not), once it exists.
dv_main_window() {
  e2e_wait_for 10 xdotool search --name '^Dayvane v2\.0$' >/dev/null &&
    xdotool search --name '^Dayvane v2\.0$' | head -n1
}

# dv_skip_splash: presses a key on the splash and waits for the main window.
dv_skip_splash() {
  local splash
  splash=$(e2e_wait_window '^Form1$' 10) || return 1
  xdotool key --window "$splash" space
  e2e_wait_gone "$splash" 5
}

dv_running() { kill -0 "$DV_PID" 2>/dev/null; }

# dv_wait_exit [TIMEOUT]: waits for the program to end; its status in DV_STATUS.
dv_wait_exit() {
  local deadline=$((SECONDS + ${1:-10}))
  while dv_running; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
  wait "$DV_PID"
  DV_STATUS=$?
}

# dv_setting KEY: the stored text of frmMain/KEY (quotes removed).
dv_setting() {
  sed -n "/^\[frmMain\]/,/^\[/s/^$1=//p" "$DV_CONF" | sed 's/^"\(.*\)"$/\1/'
}
