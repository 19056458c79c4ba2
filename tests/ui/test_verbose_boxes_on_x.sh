#!/usr/bin/env bash
# /V on a real X display (Xvfb): each message of the run is shown in an
# information box, and the run goes on only when the box is answered; the
# same for a command given to the automation server. A run without /V makes
# no window, unless it is the first run on a locale that is not English,
# which asks for the language. A box's text is read
# back as a user copies it: a triple click on it selects the line, which is
# then the display's primary selection.
#   test_verbose_boxes_on_x.sh <qvim>
set -euo pipefail
qvim=$1
fail() { echo "test_verbose_boxes_on_x: $*" >&2; exit 1; }
for tool in Xvfb xdotool xclip dbus-run-session gdbus; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps installs it)"
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/home" "$tmp/config" "$tmp/runtime"
chmod 700 "$tmp/runtime"
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config XDG_RUNTIME_DIR=$tmp/runtime QVIM=$qvim WORK=$tmp
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
"$(dirname "$0")/../../scripts/with-xvfb" dbus-run-session -- bash -c '
  set -euo pipefail
  fail() { echo "test_verbose_boxes_on_x: $*" >&2; exit 1; }
  # Every wait below polls for what it waits for; the guard only ends a run
  # that hangs, so a loaded machine takes longer but never fails a wait.
  guard=120
  # True while process $1 runs (an ended one that was not yet waited for
  # does not).
  running() {
    local state
    state=$(awk "{ print \$3 }" "/proc/$1/stat" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
  }

  # Waits for a box of the program whose text holds $1 and leaves its
  # window id in $box.
  find_box() {
    local expected=$1 id text X Y WIDTH HEIGHT SCREEN WINDOW
    local end=$((SECONDS + guard))
    while [ "$SECONDS" -lt "$end" ]; do
      for id in $(xdotool search --onlyvisible --name "^Tessaview\$" 2>/dev/null || true); do
        eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)" || continue
        # The message stands above the box'"'"'s button.
        for down in 15 25 35; do
          xdotool mousemove "$((X + WIDTH / 2))" "$((Y + down))" click --repeat 3 --delay 80 1
          sleep 0.2
          text=$(xclip -o -selection primary 2>/dev/null || true)
          case $text in *"$expected"*) box=$id; return 0 ;; esac
        done
      done
      sleep 0.1
    done
    fail "no box showed \"$expected\" (program output: $(cat "$WORK"/run.err "$WORK"/server.err 2>/dev/null | head -c 2000))"
  }
  # Checks that process $1 still waits for the box, then answers it.
  answer_box() {
    sleep 1
    kill -0 "$1" 2>/dev/null || fail "the run did not wait for its box"
    xdotool windowfocus --sync "$box" key --clearmodifiers Return
  }

  # A command-line run: a box for each message, in turn.
  "$QVIM" /S "$WORK/missing.pdf" /T "$WORK/out.png" /L "$WORK/run.log" /V /P >"$WORK/run.out" 2>"$WORK/run.err" &
  run=$!
  find_box "Input File $WORK/missing.pdf does not exist."
  grep -q "does not exist" "$WORK/run.log" || fail "the message is not in the log file"
  sleep 1
  grep -q "Missing required" "$WORK/run.log" && fail "the run went on while its first box was open"
  answer_box "$run"
  find_box "Missing required or invalid command line argument(s)"
  answer_box "$run"
  status=0
  wait "$run" || status=$?
  [ "$status" -eq 253 ] || fail "the run ended with $status, not 253: $(cat "$WORK/run.err")"
  grep -q "Input File" "$WORK/run.err" && fail "a message went to standard error as well: $(cat "$WORK/run.err")"

  # A plain command-line run makes no window, but on its first run on a
  # locale that is not English it still asks for the language; a
  # cancelled question leaves English, and the run goes on.
  mkdir -p "$WORK/first/config" "$WORK/first/home"
  LC_ALL=de_DE.UTF-8 HOME=$WORK/first/home XDG_CONFIG_HOME=$WORK/first/config \
    "$QVIM" /S "$WORK/missing.pdf" /T "$WORK/out.png" /P 2>"$WORK/first.err" &
  first=$!
  asked=""
  end=$((SECONDS + guard))
  while [ "$SECONDS" -lt "$end" ] && running "$first"; do
    asked=$(xdotool search --onlyvisible --pid "$first" --name "^Language\$" 2>/dev/null | head -1 || true)
    [ -n "$asked" ] && break
    sleep 0.1
  done
  if [ -z "$asked" ]; then
    kill "$first" 2>/dev/null || true
    wait "$first" 2>/dev/null || true
    fail "the first run on a German locale did not ask for the language: $(cat "$WORK/first.err")"
  fi
  xdotool windowfocus --sync "$asked" key --clearmodifiers Escape
  status=0
  wait "$first" || status=$?
  [ "$status" -eq 253 ] || fail "the first run ended with $status after the question: $(cat "$WORK/first.err")"
  grep -q "missing.pdf does not exist" "$WORK/first.err" || fail "the first run did not go on in English: $(cat "$WORK/first.err")"
  # Windows are looked for until the run has ended, however long it takes.
  "$QVIM" /S "$WORK/missing.pdf" /T "$WORK/out.png" /P 2>/dev/null &
  plain=$!
  end=$((SECONDS + guard))
  while running "$plain"; do
    [ -z "$(xdotool search --pid "$plain" --name . 2>/dev/null || true)" ] || fail "a command-line run opened a window"
    [ "$SECONDS" -lt "$end" ] || fail "a command-line run did not end"
    sleep 0.05
  done
  wait "$plain" || true

  # An automation call with /V: the reply comes when its boxes are answered.
  "$QVIM" -Embedding 2>"$WORK/server.err" &
  server=$!
  end=$((SECONDS + guard))
  until gdbus introspect --session --dest com.kestrova.Tessaview --object-path /clsTessaview >/dev/null 2>&1; do
    running "$server" || fail "the automation server ended before it served: $(cat "$WORK/server.err")"
    [ "$SECONDS" -lt "$end" ] || fail "the automation server did not appear on the bus"
    sleep 0.1
  done
  gdbus call --session --timeout 120 --dest com.kestrova.Tessaview --object-path /clsTessaview \
    --method com.kestrova.Tessaview.clsTessaview.DoCommandLine "/S $WORK/gone.pdf /T $WORK/out.png /V" \
    >"$WORK/call.out" 2>"$WORK/call.err" &
  call=$!
  find_box "Input File $WORK/gone.pdf does not exist."
  answer_box "$call"
  find_box "Missing required or invalid command line argument(s)"
  answer_box "$call"
  wait "$call" || fail "the call failed: $(cat "$WORK/call.err")"
  [ "$(cat "$WORK/call.out")" = "(-3,)" ] || fail "the call returned $(cat "$WORK/call.out")"
  gdbus call --session --dest com.kestrova.Tessaview --object-path /clsTessaview \
    --method com.kestrova.Tessaview.clsTessaview.Release >/dev/null 2>&1 || true
  wait "$server" 2>/dev/null || true
'
echo "test_verbose_boxes_on_x: each message of a verbose run and of a verbose automation call waited in its box"
