#!/usr/bin/env bash
# Run under a session bus of its own whose service folders hold the
# installed activation file: the bus starts the installed qvim for each
# client of the README (gdbus, then Python), and the server ends when its
# last client has left or released it. Arguments: an input PDF and an
# output folder.
set -euo pipefail
pdf=$1
out=$2
fail() { echo "automation_clients: $*" >&2; exit 1; }

served() {
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner com.kestrova.Tessaview
}
wait_until_not_served() {
  for _ in $(seq 100); do
    [ "$(served)" = "(false,)" ] && return 0
    sleep 0.1
  done
  fail "the server did not end when its client left"
}

[ "$(served)" = "(false,)" ] || fail "the name is served before any client called"

reply=$(gdbus call --session --timeout 120 --dest com.kestrova.Tessaview --object-path /clsTessaview \
  --method com.kestrova.Tessaview.clsTessaview.DoCommandLine "/S '$pdf' /T '$out/gdbus.png' /1 1 /5 50")
[ "$reply" = "(0,)" ] || fail "gdbus got $reply"
[ "$(identify -format '%m' "$out/gdbus.png")" = PNG ] || fail "the gdbus call wrote no PNG"
wait_until_not_served

# Python holds the server while a gdbus call takes its turn in between:
# the gdbus client's leaving does not end the server Python still uses.
client=$(mktemp)
trap 'rm -f "$client"' EXIT
cat > "$client" <<'PY'
import subprocess
import sys
import dbus

pdf, out = sys.argv[1], sys.argv[2]
bus = dbus.SessionBus()
daemon = dbus.Interface(bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus"), "org.freedesktop.DBus")
qvim = dbus.Interface(bus.get_object("com.kestrova.Tessaview", "/clsTessaview"),
                      "com.kestrova.Tessaview.clsTessaview")
first = qvim.DoCommandLine(f"/S '{pdf}' /T '{out}/python.png' /1 1 /5 50", timeout=3600)
server = daemon.GetConnectionUnixProcessID("com.kestrova.Tessaview")
other = subprocess.run(["gdbus", "call", "--session", "--timeout", "120", "--dest", "com.kestrova.Tessaview",
                        "--object-path", "/clsTessaview", "--method",
                        "com.kestrova.Tessaview.clsTessaview.DoCommandLine",
                        f"/S '{pdf}' /T '{out}/turn.png' /1 1 /5 50"], capture_output=True, text=True)
again = qvim.DoCommandLine(f"/S '{pdf}' /T '{out}/python-again.png' /1 1 /5 50", timeout=3600)
same = daemon.GetConnectionUnixProcessID("com.kestrova.Tessaview") == server
qvim.Release()
print(int(first), other.stdout.strip(), int(again), same)
PY
result=$(/usr/bin/python3 "$client" "$pdf" "$out")
[ "$result" = "0 (0,) 0 True" ] || fail "the Python client and the gdbus call in its middle got $result"
for png in python turn python-again; do
  [ "$(identify -format '%m' "$out/$png.png")" = PNG ] || fail "the call for $png.png wrote no PNG"
done
wait_until_not_served
echo "automation_clients: the bus started the installed qvim for gdbus and for Python"
