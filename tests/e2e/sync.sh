#!/usr/bin/env bash
# The diary kept in step with another machine by Syncthing: two real
# Syncthing instances, each with its own home, talking over 127.0.0.1 only
# (no discovery, relays or NAT), share the notes folder of a running
# Dayvane (B) and a folder of the other machine (A). A note written on A is
# marked on B's calendar; the same note edited on both while the folder is
# paused becomes a conflict copy, which B's tip tells with its first line,
# and which Dayvane leaves as Syncthing wrote it.
set -u
export LC_ALL=en_US.UTF-8 TZ=UTC
. "$(dirname "$0")/app.sh"
dv_desktop

# The first of this month: the keyboard's Home selects it on the page.
note="$(date +%-m)-1-$(date +%Y).txt"
A_NOTES="$E2E_TMP/notes-a"
mkdir -p "$A_NOTES/.stfolder" "$DV_HOME/.stfolder"
printf '/dayvane\n' >"$DV_HOME/.stignore"  # the program stays on this machine
read -r gui_a port_a gui_b port_b <<<"$(python3 -c '
import socket
socks = [socket.socket() for _ in range(4)]
for s in socks: s.bind(("127.0.0.1", 0))
print(*(s.getsockname()[1] for s in socks))')"
KEY=dayvane-e2e-key

# st_home NAME: a new Syncthing home; prints its device ID.
st_home() {
  syncthing generate --home="$E2E_TMP/st-$1" --no-default-folder --skip-port-probing 2>&1 |
    sed -n 's/.*Device ID: *//p'
}
id_a=$(st_home a) id_b=$(st_home b)
e2e_check "two Syncthing homes made ($id_a, $id_b)" test -n "$id_a" -a -n "$id_b"
# st_config NAME GUI PORT FOLDER PEER_ID PEER_PORT: one side's config.xml.
st_config() {
  python3 - "$E2E_TMP/st-$1/config.xml" "$2" "$3" "$4" "$5" "$6" "$KEY" <<'PY'
import copy, sys, xml.etree.ElementTree as ET
path, gui, port, folder, peer, peer_port, key = sys.argv[1:]
tree = ET.parse(path)
root = tree.getroot()
me = root.find("device").get("id")
root.find("gui/address").text = f"127.0.0.1:{gui}"
root.find("gui/apikey").text = key
options = {"listenAddress": f"tcp://127.0.0.1:{port}", "globalAnnounceEnabled": "false",
           "localAnnounceEnabled": "false", "relaysEnabled": "false", "natEnabled": "false",
           "startBrowser": "false", "urAccepted": "-1", "autoUpgradeIntervalH": "0",
           "crashReportingEnabled": "false", "stunKeepaliveStartS": "0"}
for name, value in options.items():
    root.find(f"options/{name}").text = value
device = copy.deepcopy(root.find("defaults/device"))
device.set("id", peer)
device.set("name", "peer")
device.find("address").text = f"tcp://127.0.0.1:{peer_port}"
root.insert(1, device)
shared = copy.deepcopy(root.find("defaults/folder"))
shared.attrib.update(id="notes", label="notes", path=folder, rescanIntervalS="5",
                     fsWatcherEnabled="true", fsWatcherDelayS="1")
for old in shared.findall("device"):
    shared.remove(old)
for who in (me, peer):
    ET.SubElement(shared, "device", id=who, introducedBy="")
root.insert(0, shared)
tree.write(path)
PY
}
st_config a "$gui_a" "$port_a" "$A_NOTES" "$id_b" "$port_b"
st_config b "$gui_b" "$port_b" "$DV_HOME" "$id_a" "$port_a"
pids=''
for side in a b; do
  e2e_spawn "syncthing-$side" syncthing serve --home="$E2E_TMP/st-$side" --no-browser \
    --no-restart --no-upgrade
  pids="$pids $E2E_LAST_PID"
done
# st GUI [CURL ARGS...]: a call of one side's REST interface.
st() {
  local gui=$1 path=$2
  shift 2
  curl -sf --max-time 5 -H "X-API-Key: $KEY" "$@" "http://127.0.0.1:$gui/rest/$path"
}
connected() { st "$gui_b" system/connections | grep -q '"connected": *true'; }
e2e_check "the two instances connect over 127.0.0.1" e2e_wait_for 60 connected
# Each instance serves from a child process.
pids=$(for pid in $pids; do echo "$pid"; pgrep -P "$pid"; done | paste -sd'|')
sockets=$(ss -Htulnp | grep -E "pid=($pids),")
e2e_log "listening: $(awk '{ print $1, $5 }' <<<"$sockets" | xargs)"
e2e_check "and listen on 127.0.0.1 alone" \
  eval '[ -n "$sockets" ] && ! grep -vqE "127\.0\.0\.1:($gui_a|$gui_b|$port_a|$port_b) " <<<"$sockets"'

dv_start
dv_skip_splash
main=$(dv_main_window)
xdotool mousemove 5 700
dv_show "$main"
dv_wait_trace marks-read 1 5
BEFORE="$E2E_ARTIFACTS/01-before.png"
dv_shot "$main" "$BEFORE"

# Written on A: marked on B.
printf 'Written on the other machine\n' >"$A_NOTES/$note"
e2e_check "a note written on A arrives on B" e2e_wait_for 60 test -s "$DV_HOME/$note"
e2e_wait_for 5 eval '[ "$(dv_marks_now)" = 1 ]'
AFTER="$E2E_ARTIFACTS/02-marked.png"
dv_shot "$main" "$AFTER"
e2e_check "and is marked on B's calendar ($(dv_changed "$BEFORE" "$AFTER"))" \
  dv_changed "$BEFORE" "$AFTER"

# The same note edited on both sides while the folder is paused: A's older
# edit loses and becomes the conflict copy.
for gui in "$gui_a" "$gui_b"; do
  st "$gui" config/folders/notes -X PATCH -d '{"paused": true}' >/dev/null
done
e2e_check "the folder is paused on both sides" \
  eval 'st "$gui_a" config/folders/notes | grep -q "\"paused\": *true" &&
    st "$gui_b" config/folders/notes | grep -q "\"paused\": *true"'
printf 'Edited on A first\n' >"$A_NOTES/$note"
touch -d '-1 minute' "$A_NOTES/$note"
printf 'Edited on B later\n' >"$DV_HOME/$note"
for gui in "$gui_a" "$gui_b"; do
  st "$gui" config/folders/notes -X PATCH -d '{"paused": false}' >/dev/null
done
copy() { (cd "$DV_HOME" && ls -1 -- "${note%.txt}".sync-conflict-*.txt 2>/dev/null | head -n1); }
e2e_wait_for 90 eval '[ -n "$(copy)" ]'
conflict=$(copy)
e2e_check "the conflict reaches B as a copy ($conflict)" test -n "$conflict"
sum=$(sha256sum "$DV_HOME/$conflict" 2>/dev/null)

# B's tip of the day, through the keyboard: Home selects the first.
timeout 5 xdotool windowactivate --sync "$main"
read -r cx cy cw ch _ <<<"$(e2e_geometry "$main")"
xdotool mousemove $((cx + cw / 2)) $((cy + ch * 3 / 5)) click 1 mousemove 5 700 sleep 0.3 key Home
tip() { grep ' tip .*conflicting' "$DAYVANE_TRACE" | tail -n1 | cut -d' ' -f3-; }
e2e_wait_for 10 eval '[ -n "$(tip)" ]'
e2e_wait_window_type TOOLTIP 5 >/dev/null
e2e_shot 03-tip-with-conflict
e2e_log "tip: $(tip)"
e2e_check "the tip tells the copy with its first line" \
  eval 'tip | grep -qF "Edited on B later | 1 conflicting copy: | - Edited on A first"'
# The note deleted on B: the copy keeps its day marked.
t0=$(date +%s%3N)
rm "$DV_HOME/$note"
e2e_wait_for 5 eval '[ "$(dv_trace_last marks-read)" -ge "$t0" ]'
tips=$(dv_trace_count tip)
xdotool key Escape Right  # the selection off the first, to see its mark
dv_wait_trace tip $((tips + 1)) 5
dv_shot "$main" "$E2E_ARTIFACTS/04-note-deleted.png"
e2e_check "without its note, the day with a copy stays marked ($(dv_marks_now))" \
  test "$(dv_marks_now)" = 1
e2e_check "the copy's bytes are as Syncthing wrote them" \
  eval '[ -n "$sum" ] && [ "$(sha256sum "$DV_HOME/$conflict")" = "$sum" ] &&
    [ "$(cat "$DV_HOME/$conflict")" = "Edited on A first" ]'
e2e_check "Dayvane runs on" dv_running
e2e_summary
