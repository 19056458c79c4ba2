#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed qvim as
# a new user would: it must find its own data folder (not the source tree's)
# and turn the demo PDF into PNG pages, load the installed Word-conversion
# control (not the build tree's) to turn a document into a PDF, and be
# started by a session bus for an automation client.
set -euo pipefail
cmake_command=$1
build=$2
gui=${3:-OFF}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "test_install: $*" >&2; exit 1; }

"$cmake_command" --install "$build" --prefix "$tmp/inst" >/dev/null
qvim=$tmp/inst/bin/qvim
[ -x "$qvim" ] || fail "no qvim in $tmp/inst/bin"
[ -f "$tmp/inst/share/tessaview/Demo Data/Sample PDF Document.pdf" ] || fail "the data folder was not installed"
control=$(find "$tmp/inst" -name libquaystone.so)
[ -n "$control" ] || fail "libquaystone.so was not installed"

# A program with windows can be started from the desktop's menu: its entry
# starts qvim without arguments and names an icon the theme holds.
if [ "$gui" = ON ]; then
  entry=$tmp/inst/share/applications/tessaview.desktop
  [ -f "$entry" ] || fail "no desktop entry in share/applications"
  grep -qx 'Exec=qvim' "$entry" || fail "the desktop entry does not start qvim"
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -f "$tmp/inst/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon named $icon"
  for size in 48 128 256; do
    png=$tmp/inst/share/icons/hicolor/${size}x${size}/apps/$icon.png
    [ "$(identify -format '%wx%h' "$png")" = "${size}x${size}" ] || fail "the ${size}x${size} icon is missing or wrong"
  done
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "the desktop entry is not valid"
  fi
fi

mkdir -p "$tmp/home" "$tmp/config" "$tmp/run" "$tmp/nothing"
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config XDG_RUNTIME_DIR=$tmp/run
unset TESSAVIEW_DATA_DIR
data="$tmp/config/Kestrova, Inc/Tessaview"
out=$tmp/out
mkdir -p "$out"

status=0
"$qvim" /S "$data/Demo Data/Sample PDF Document.pdf" /T "$out/page.png" /1 1-2 /5 50 /L "$out/qvim.log" /P || status=$?
[ "$status" -eq 0 ] || { cat "$out/qvim.log" >&2 || true; fail "the installed qvim ended with $status"; }
for page in 00001 00002; do
  format=$(identify -format '%m' "$out/page-$page.png") || fail "page $page is not an image"
  [ "$format" = PNG ] || fail "page $page is $format, not PNG"
done
grep -q 'Conversion Successful$' "$out/qvim.log" || fail "the log does not say the conversion succeeded"

# The Word route runs on the installed control, as the dynamic loader says.
status=0
LD_DEBUG=files "$qvim" /S "$data/Demo Data/Sample Rich Text.rtf" /T "$out/rich.pdf" /C 12 /M 1 /L "$out/word.log" /P \
  2>"$out/loader.txt" || status=$?
[ "$status" -eq 0 ] || { cat "$out/word.log" >&2 || true; fail "the installed qvim converted no document ($status)"; }
grep -q "file=$control " "$out/loader.txt" || fail "the installed qvim did not load $control"
pdftotext "$out/rich.pdf" - | grep -q "A copper kettle" || fail "the document's PDF lacks its text"

# The help page it names is the installed one: with no program to open it,
# its path is printed.
err=$(PATH=$tmp/nothing "$qvim" /? 2>&1 >/dev/null || true)
case $err in
  *"$tmp/inst/share/tessaview/help/command-line.html"*) ;;
  *) fail "help did not name the installed page: $err" ;;
esac
# The activation file names the installed qvim, and a session bus that
# reads it starts the program for a client.
service=$tmp/inst/share/dbus-1/services/com.kestrova.Tessaview.service
grep -qx "Exec=\"$qvim\" -Embedding" "$service" || fail "the activation file does not start $qvim: $(cat "$service")"
XDG_DATA_DIRS=$tmp/inst/share dbus-run-session -- \
  bash "$(dirname "$0")/automation_clients.sh" "$data/Demo Data/Sample PDF Document.pdf" "$out" \
  || fail "the session bus did not serve the installed qvim to its clients"

echo "test_install: the installed qvim converted the demo PDF and a document, with its data in $tmp/inst/share/tessaview and its control in $control, and was started by the session bus"
