#!/usr/bin/env bash
# The real program on a real X display (Xvfb), used from the keyboard: a
# start without arguments stays open until File > Exit closes it; a job
# opened with /O runs from F5, and its PDF page becomes a PNG image; after
# the run the editor shows the task run last, and an edit of it, Update
# and Ctrl+S change that task and no other.
#   test_window_on_x.sh <qvim> <a one-page PDF>
set -euo pipefail
qvim=$1
pdf=$2
fail() { echo "test_window_on_x: $*" >&2; exit 1; }
for tool in Xvfb xdotool identify; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps installs it)"
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/home" "$tmp/config" "$tmp/runtime" "$tmp/out" "$tmp/in"
chmod 700 "$tmp/runtime"
cp "$pdf" "$tmp/in/b.pdf"
cp "$pdf" "$tmp/in/edited.pdf"
printf '*^0^FALSE^75^72^0^0^0^\t\t%s\tC\t%s\t12\tPDF\t%s\t8\tpng\t\t\r\n' \
  1 "$pdf" "$tmp/out/page.png" 2 "$tmp/in/b.pdf" "$tmp/out/b.png" > "$tmp/job.KRJ"
printf '\t\t*\t\t\t\t\t\t\t\t\t\r\n' >> "$tmp/job.KRJ"

export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config XDG_RUNTIME_DIR=$tmp/runtime QVIM=$qvim WORK=$tmp
unset QT_QPA_PLATFORM
"$(dirname "$0")/../../scripts/with-xvfb" -s "-screen 0 1024x768x24" bash -c '
  set -euo pipefail
  fail() { echo "test_window_on_x: $*" >&2; exit 1; }

  # Waits for the main window of process $1 and gives it the keyboard.
  # The wait splash shows first and goes away: a window that vanishes
  # before it takes the focus is looked for again.
  window_of() {
    local id=""
    for _ in $(seq 1 600); do
      id=$(xdotool search --onlyvisible --pid "$1" --name "Tessaview" 2>/dev/null | tail -1 || true)
      if [ -n "$id" ]; then
        sleep 0.5
        xdotool windowfocus --sync "$id" 2>/dev/null && { echo "$id"; return 0; }
      fi
      sleep 0.1
    done
    fail "no window appeared"
  }
  # The visible windows of process $1.
  windows_of() {
    xdotool search --onlyvisible --pid "$1" 2>/dev/null | wc -l
  }
  # File > Exit from the keyboard; the program must end with status 0.
  # "x" goes only to the File menu once it shows, however long that takes.
  exit_from_menu() {
    local before
    before=$(windows_of "$1")
    xdotool key alt+f
    for _ in $(seq 1 600); do
      [ "$(windows_of "$1")" -gt "$before" ] && break
      sleep 0.1
    done
    [ "$(windows_of "$1")" -gt "$before" ] || fail "the File menu did not open"
    xdotool key x
    for _ in $(seq 1 600); do
      kill -0 "$1" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$1" 2>/dev/null; then kill "$1"; fail "File > Exit did not close the window"; fi
    local status=0
    wait "$1" || status=$?
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
  }

  "$QVIM" 2>"$WORK/first.err" &
  pid=$!
  window_of "$pid" >/dev/null
  sleep 3
  kill -0 "$pid" 2>/dev/null || fail "a start without arguments did not stay open: $(cat "$WORK/first.err")"
  exit_from_menu "$pid"

  "$QVIM" /J "$WORK/job.KRJ" /O 2>"$WORK/second.err" &
  pid=$!
  window_of "$pid" >/dev/null
  xdotool key F5
  for _ in $(seq 1 1200); do
    [ -s "$WORK/out/page.png" ] && break
    sleep 0.1
  done
  [ -s "$WORK/out/page.png" ] || { kill "$pid"; fail "F5 did not convert the job: $(cat "$WORK/second.err")"; }
  for _ in $(seq 1 1200); do
    [ -s "$WORK/out/b.png" ] && break
    sleep 0.1
  done
  [ -s "$WORK/out/b.png" ] || { kill "$pid"; fail "F5 did not run the second task"; }
  # The run is over once Ctrl+O, refused while a job runs, opens its dialog;
  # Escape cancels it, which changes nothing.
  before=$(windows_of "$pid")
  opened=""
  for _ in $(seq 1 120); do
    xdotool key ctrl+o
    for _ in $(seq 1 50); do
      [ "$(windows_of "$pid")" -gt "$before" ] && { opened=1; break; }
      sleep 0.1
    done
    [ -n "$opened" ] && break
  done
  [ -n "$opened" ] || { kill "$pid"; fail "the run did not end"; }
  xdotool key Escape
  for _ in $(seq 1 600); do
    [ "$(windows_of "$pid")" -le "$before" ] && break
    sleep 0.1
  done
  [ "$(windows_of "$pid")" -le "$before" ] || { kill "$pid"; fail "Escape did not close the open dialog"; }
  window_of "$pid" >/dev/null
  # The editor now shows task 2, the one run last: its input box (the
  # next stop after the Convert button) takes a new path, Alt+U writes it
  # back and Ctrl+S saves the job.
  xdotool key alt+c Tab ctrl+a
  xdotool type --delay 20 "$WORK/in/edited.pdf"
  sleep 0.5
  xdotool key alt+u
  sleep 0.5
  xdotool key ctrl+s
  for _ in $(seq 1 100); do
    grep -q "edited.pdf" "$WORK/job.KRJ" && break
    sleep 0.1
  done
  exit_from_menu "$pid"
'
format=$(identify -format '%m' "$tmp/out/page.png") || fail "the output is not an image"
[ "$format" = PNG ] || fail "the output is $format, not PNG"
# Task 1 is as it was; task 2, the one the editor showed, took the edit.
cut -f4,5,8 "$tmp/job.KRJ" | tr -d '\r' > "$tmp/tasks"
printf 'C\t%s\t%s\nC\t%s\t%s\n' "$pdf" "$tmp/out/page.png" "$tmp/in/edited.pdf" "$tmp/in/edited.png" \
  | diff - <(head -2 "$tmp/tasks") >&2 || fail "Update after the run did not change the task the editor showed, and it alone"
grep -q '^WindowState=' "$tmp/config/Kestrova, Inc/Tessaview/QVIM_SearchHistory.INI" \
  || fail "closing the window did not keep its placement"
echo "test_window_on_x: the window stayed open, ran its job from F5, updated the task it showed and closed from the File menu"
