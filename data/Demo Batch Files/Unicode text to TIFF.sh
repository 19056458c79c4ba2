#!/bin/sh
# The demo UTF-16 text file becomes one multi-page TIFF file (/8 1). The
# input type, 6 (Unicode text), follows from the file's byte-order mark.
# Runs the qvim on the PATH (after `cmake --install`), or the program that
# QVIM names, for example QVIM=~/tessaview/build/app/qvim.
qvim=${QVIM:-qvim}
if ! command -v "$qvim" >/dev/null 2>&1; then
  echo "$0: $qvim was not found. Install Tessaview (see its README) or set QVIM to the program's path." >&2
  exit 127
fi
data="${XDG_CONFIG_HOME:-$HOME/.config}/Kestrova, Inc/Tessaview"
out="$data/Demo Output/Unicode text to TIFF"
mkdir -p "$out" || exit 1

"$qvim" /S "$data/Demo Data/Sample Unicode Text.txt" /T "$out/Sample Unicode Text.tif" /8 1 /L "$out/qvim.log" /P
status=$?

echo "qvim ended with $status (0 converted, 252 a conversion failed, 253 invalid arguments)."
echo "TIFF file and log file: $out"
exit $status
