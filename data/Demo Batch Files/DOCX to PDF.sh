#!/bin/sh
# The demo DOCX document becomes a plain PDF (/C 12: an output named .pdf
# alone would be made as PDF/A).
# Runs the qvim on the PATH (after `cmake --install`), or the program that
# QVIM names, for example QVIM=~/tessaview/build/app/qvim.
qvim=${QVIM:-qvim}
if ! command -v "$qvim" >/dev/null 2>&1; then
  echo "$0: $qvim was not found. Install Tessaview (see its README) or set QVIM to the program's path." >&2
  exit 127
fi
data="${XDG_CONFIG_HOME:-$HOME/.config}/Kestrova, Inc/Tessaview"
out="$data/Demo Output/DOCX to PDF"
mkdir -p "$out" || exit 1

"$qvim" /S "$data/Demo Data/Sample Word Document.docx" /T "$out/Sample Word Document.pdf" /C 12 /L "$out/qvim.log" /P
status=$?

echo "qvim ended with $status (0 converted, 252 a conversion failed, 253 invalid arguments)."
echo "PDF and log file: $out"
exit $status
