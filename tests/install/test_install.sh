#!/usr/bin/env bash
# Installs the build into a temporary prefix (whose name holds a blank, and
# which is not on PATH) and runs the installed qvim as a new user would: it
# must find its own data folder (not the source tree's) and turn the demo
# PDF into PNG pages, run its demo scripts as they were copied, load the
# installed Word-conversion control (not the build tree's) to turn a
# document into a PDF and its installed modules, be started from the desktop's menu entry and by a
# session bus for an automation client, and have a manual page.
set -euo pipefail
cmake_command=$1
build=$2
gui=${3:-OFF}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "test_install: $*" >&2; exit 1; }

prefix="$tmp/my programs"
"$cmake_command" --install "$build" --prefix "$prefix" >/dev/null
qvim=$prefix/bin/qvim
[ -x "$qvim" ] || fail "no qvim in $prefix/bin"
[ -f "$prefix/share/tessaview/Demo Data/Sample PDF Document.pdf" ] || fail "the data folder was not installed"
control=$(find "$prefix" -name libquaystone.so)
[ -n "$control" ] || fail "libquaystone.so was not installed"
# The program's modules lie beside the control.
modules=$(dirname "$control")
for module in office pdfcrypt magick poppler automation $([ "$gui" = ON ] && echo window); do
  [ -f "$modules/libtessaview_$module.so" ] || fail "libtessaview_$module.so was not installed beside the control"
done

# A program with windows can be started from the desktop's menu: its entry
# starts qvim without arguments and names an icon the theme holds.
if [ "$gui" = ON ]; then
  entry=$prefix/share/applications/tessaview.desktop
  [ -f "$entry" ] || fail "no desktop entry in share/applications"
  # The menu starts the installed program by its path, not whatever qvim
  # PATH finds (the prefix is not on PATH).
  grep -qxF "Exec=\"$qvim\"" "$entry" || fail "the desktop entry does not start $qvim: $(grep '^Exec=' "$entry")"
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon named $icon"
  for size in 48 128 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png
    [ "$(identify -format '%wx%h' "$png")" = "${size}x${size}" ] || fail "the ${size}x${size} icon is missing or wrong"
  done
  desktop-file-validate "$entry" || fail "the desktop entry is not valid"
fi

# The manual page renders without a warning and holds every switch, the exit
# statuses, the files and the examples.
manual=$prefix/share/man/man1/qvim.1
[ -f "$manual" ] || fail "no manual page in share/man/man1"
page=$(MANWIDTH=80 man --warnings -l "$manual" 2>"$tmp/man-warnings" | col -b) || fail "man cannot render $manual"
[ ! -s "$tmp/man-warnings" ] || fail "the manual page renders with warnings: $(cat "$tmp/man-warnings")"
for heading in NAME SYNOPSIS OPTIONS "EXIT STATUS" FILES EXAMPLES; do
  grep -qx "$heading" <<<"$page" || fail "the manual page has no section $heading"
done
for switch in S F T C V R G M P L I B J O '?' Z W 1 2 3 4 5 6 7 8 9; do
  grep -qE "^ +/$([ "$switch" = '?' ] && echo '\?' || echo "$switch")( |$)" <<<"$page" \
    || fail "the manual page does not describe /$switch"
done
grep -q -- "--help" <<<"$page" || fail "the manual page does not describe --help"
# A sentence that ends with a colon leads up to what follows it (an example,
# a list, a table), never straight to a sentence of the next paragraph.
lost=$(awk '
  function indent(s) { match(s, /^ */); return RLENGTH }
  pending != "" && NF { if (indent($0) == pendingIndent && $0 ~ /^ *[[:alpha:]]/) print pending; pending = "" }
  /:$/ { pending = $0; pendingIndent = indent($0) }' <<<"$(col -x <<<"$page")")
[ -z "$lost" ] || fail "the manual page lost what follows: $lost"
grep -A3 -x "DESCRIPTION" <<<"$page" | grep -q "without opening a window:" \
  && sed -n '/^DESCRIPTION$/,/^[A-Z]/p' <<<"$page" | grep -q "qvim /J job-file" \
  || fail "the manual page's description does not show the command forms it introduces"
grep -q "QVIM_SearchHistory.INI" <<<"$page" || fail "the manual page names no settings file"

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

# A GIF is written by the installed ImageMagick module, as the dynamic
# loader says (not the build tree's).
LD_DEBUG=files "$qvim" /S "$data/Demo Data/Sample PDF Document.pdf" /T "$out/page.gif" /1 1 /5 30 /P \
  2>"$out/gif-loader.txt" || fail "the installed qvim wrote no GIF"
[ "$(identify -format '%m' "$out/page.gif")" = GIF ] || fail "the GIF page is not a GIF"
grep -q "file=$modules/libtessaview_magick.so " "$out/gif-loader.txt" \
  || fail "the installed qvim did not load $modules/libtessaview_magick.so"

# The demo scripts were installed, and copied on the first run, as programs:
# one runs as a user starts it and converts the demo PDF with the installed
# qvim.
for script in "$prefix/share/tessaview/Demo Batch Files/"*.sh "$data/Demo Batch Files/"*.sh; do
  [ -x "$script" ] || fail "$script is not executable"
done
(cd "$data/Demo Batch Files" && env -u QVIM PATH="$prefix/bin:$PATH" ./"PDF pages to PNG.sh" >"$out/demo.txt" 2>&1) \
  || fail "the demo script did not run: $(cat "$out/demo.txt")"
[ "$(identify -format '%m' "$data/Demo Output/PDF pages to PNG/Sample PDF Document-00003.png")" = PNG ] \
  || fail "the demo script made no third page"

# The Word route runs on the installed control, as the dynamic loader says.
status=0
LD_DEBUG=files "$qvim" /S "$data/Demo Data/Sample Rich Text.rtf" /T "$out/rich.pdf" /C 12 /M 1 /L "$out/word.log" /P \
  2>"$out/loader.txt" || status=$?
[ "$status" -eq 0 ] || { cat "$out/word.log" >&2 || true; fail "the installed qvim converted no document ($status)"; }
grep -q "file=$control " "$out/loader.txt" || fail "the installed qvim did not load $control"
pdftotext "$out/rich.pdf" - | grep -q "A copper kettle" || fail "the document's PDF lacks its text"
# The text control runs in the installed office's module, which finds the
# office's libraries, and a PDF password in the installed qpdf module.
status=0
LD_DEBUG=files "$qvim" /S "$data/Demo Data/Sample Rich Text.rtf" /T "$out/text.pdf" /C 12 /W kettle /L "$out/text.log" /P \
  2>"$out/text-loader.txt" || status=$?
[ "$status" -eq 0 ] || { cat "$out/text.log" >&2 || true; fail "the installed text control converted no document ($status)"; }
for module in office pdfcrypt; do
  grep -q "file=$modules/libtessaview_$module.so " "$out/text-loader.txt" \
    || fail "the installed qvim did not load $modules/libtessaview_$module.so"
done
pdftotext -upw kettle "$out/text.pdf" - | grep -q "A copper kettle" || fail "the text control's PDF lacks its text"

# The help page it names is the installed one: with no program to open it,
# its path is printed.
err=$(PATH=$tmp/nothing "$qvim" /? 2>&1 >/dev/null || true)
case $err in
  *"$prefix/share/tessaview/help/command-line.html"*) ;;
  *) fail "help did not name the installed page: $err" ;;
esac
# The desktop's menu entry, read by the desktop's own launcher, starts the
# installed qvim with PATH not holding it: without a display the window
# cannot open, and the program says so.
if [ "$gui" = ON ]; then
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM PATH=/usr/bin:/bin \
    gio launch "$entry" 2>"$out/menu.txt" || fail "the desktop's launcher did not start the menu entry"
  for _ in $(seq 1 200); do
    grep -q "no display" "$out/menu.txt" && break
    sleep 0.1
  done
  grep -q "no display to show the main window" "$out/menu.txt" \
    || fail "the menu entry did not start $qvim: $(cat "$out/menu.txt")"
fi

# The activation file names the installed qvim, and a session bus that
# reads it starts the program for a client.
service=$prefix/share/dbus-1/services/com.kestrova.Tessaview.service
grep -qx "Exec=\"$qvim\" -Embedding" "$service" || fail "the activation file does not start $qvim: $(cat "$service")"
XDG_DATA_DIRS=$prefix/share dbus-run-session -- \
  bash "$(dirname "$0")/automation_clients.sh" "$data/Demo Data/Sample PDF Document.pdf" "$out" \
  || fail "the session bus did not serve the installed qvim to its clients"

echo "test_install: the installed qvim converted the demo PDF and a document, with its data in $prefix/share/tessaview and its control in $control, and was started by the session bus"
