#!/usr/bin/env bash
# Run under a session bus of its own whose service folders hold the
# installed activation file: the bus starts the installed qvim for each
# client of the README (gdbus, then Python), and the server ends when its
# client leaves. Arguments: an input PDF and an output folder.
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

code=$(/usr/bin/python3 - "$pdf" "$out/python.png" <<'PY'
import sys
import dbus

bus = dbus.SessionBus()
qvim = dbus.Interface(bus.get_object("com.kestrova.Tessaview", "/clsTessaview"),
                      "com.kestrova.Tessaview.clsTessaview")
code = qvim.DoCommandLine(f"/S '{sys.argv[1]}' /T '{sys.argv[2]}' /1 1 /5 50", timeout=3600)
qvim.Release()
print(int(code))
PY
)
[ "$code" = 0 ] || fail "the Python client got $code"
[ "$(identify -format '%m' "$out/python.png")" = PNG ] || fail "the Python call wrote no PNG"
wait_until_not_served
echo "automation_clients: the bus started the installed qvim for gdbus and for Python"
