#!/bin/sh
# The demo UTF-16 text file becomes one multi-page TIFF file (/8 1) with LZW
# compression (/2 1). The input type, 6 (Unicode text), follows from the
# file's byte-order mark.
# Set QVIM to run another copy of the program than the one on the PATH.
data="${XDG_CONFIG_HOME:-$HOME/.config}/Kestrova, Inc/Tessaview"
out="$data/Demo Output/Unicode text to TIFF"
mkdir -p "$out" || exit 1

"${QVIM:-qvim}" /S "$data/Demo Data/Sample Unicode Text.txt" /T "$out/Sample Unicode Text.tif" /8 1 /2 1 /L "$out/qvim.log" /P
status=$?

echo "qvim ended with $status (0 converted, 252 a conversion failed, 253 invalid arguments)."
echo "TIFF file and log file: $out"
exit $status
