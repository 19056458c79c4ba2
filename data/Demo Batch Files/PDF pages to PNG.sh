#!/bin/sh
# Pages 1 to 3 of the demo PDF become PNG images at 150 dpi, one file a page:
# "Sample PDF Document-00001.png" and so on. One input takes an output file
# name (a "*" output is for a wildcard input).
# Runs the qvim on the PATH (after `cmake --install`), or the program that
# QVIM names, for example QVIM=~/tessaview/build/app/qvim.
qvim=${QVIM:-qvim}
if ! command -v "$qvim" >/dev/null 2>&1; then
  echo "$0: $qvim was not found. Install Tessaview (see its README) or set QVIM to the program's path." >&2
  exit 127
fi
data="${XDG_CONFIG_HOME:-$HOME/.config}/Kestrova, Inc/Tessaview"
out="$data/Demo Output/PDF pages to PNG"
mkdir -p "$out" || exit 1

"$qvim" /S "$data/Demo Data/Sample PDF Document.pdf" /T "$out/Sample PDF Document.png" /1 1-3 /5 150 /L "$out/qvim.log" /P
status=$?

# The shell sees -3 as 253 and -4 as 252.
echo "qvim ended with $status (0 converted, 252 a conversion failed, 253 invalid arguments)."
echo "Images and log file: $out"
exit $status
