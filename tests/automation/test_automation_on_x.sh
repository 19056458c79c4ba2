#!/usr/bin/env bash
# The automation server on a real X display (Xvfb) and a session bus of its
# own: a job opened with /O shows the main window and the call returns 1,
# the next call still runs, and release ends the server cleanly (status 0)
# with the window still open.
#   test_automation_on_x.sh <qvim> <a one-page PDF>
set -euo pipefail
qvim=$1
pdf=$2
fail() { echo "test_automation_on_x: $*" >&2; exit 1; }
for tool in Xvfb dbus-run-session xdotool identify /usr/bin/python3; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps installs it)"
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/home" "$tmp/config" "$tmp/runtime" "$tmp/out"
chmod 700 "$tmp/runtime"
printf '*^0^FALSE^75^72^0^0^0^\t\t1\tC\t%s\t12\tPDF\t%s\t8\tpng\t\t\r\n' "$pdf" "$tmp/out/job.png" > "$tmp/job.KRJ"

export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config XDG_RUNTIME_DIR=$tmp/runtime QVIM=$qvim WORK=$tmp PDF=$pdf
unset QT_QPA_PLATFORM
"$(dirname "$0")/../../scripts/with-xvfb" dbus-run-session -- bash -c '
  set -euo pipefail
  fail() { echo "test_automation_on_x: $*" >&2; exit 1; }
  "$QVIM" -Embedding 2>"$WORK/server.err" &
  server=$!
  /usr/bin/python3 - "$server" <<"PY" || { kill "$server" 2>/dev/null || true; fail "the client failed: $(cat "$WORK/server.err")"; }
import os, subprocess, sys, time
import dbus

server = sys.argv[1]
work = os.environ["WORK"]
pdf = os.environ["PDF"]
bus = dbus.SessionBus()
for _ in range(600):
    if bus.name_has_owner("com.kestrova.Tessaview"):
        break
    time.sleep(0.1)
qvim = dbus.Interface(bus.get_object("com.kestrova.Tessaview", "/clsTessaview"),
                      "com.kestrova.Tessaview.clsTessaview")

code = int(qvim.DoCommandLine(f"/J {work}/job.KRJ /O", timeout=120))
assert code == 1, f"/O returned {code}"
windows = []
for _ in range(600):
    windows = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", server, "--name", "Tessaview"],
                             capture_output=True, text=True).stdout.split()
    if windows:
        break
    time.sleep(0.1)
assert windows, "/O showed no window"
assert not os.path.exists(f"{work}/out/job.png"), "/O ran the job"

code = int(qvim.DoCommandLine(f"/S {pdf} /T {work}/out/after.png", timeout=120))
assert code == 0, f"a call with the window open returned {code}"
qvim.Release()
PY
  status=0
  wait "$server" || status=$?
  [ "$status" -eq 0 ] || fail "the server ended with status $status: $(cat "$WORK/server.err")"
'
[ "$(identify -format '%m' "$tmp/out/after.png")" = PNG ] || fail "the call with the window open wrote no PNG"
echo "test_automation_on_x: /O showed the window, the next call ran, release ended the server"
