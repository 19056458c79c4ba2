#!/bin/sh
# The demo DOCX document becomes a plain PDF (/C 12: an output named .pdf
# alone would be made as PDF/A).
# Set QVIM to run another copy of the program than the one on the PATH.
data="${XDG_CONFIG_HOME:-$HOME/.config}/Kestrova, Inc/Tessaview"
out="$data/Demo Output/DOCX to PDF"
mkdir -p "$out" || exit 1

"${QVIM:-qvim}" /S "$data/Demo Data/Sample Word Document.docx" /T "$out/Sample Word Document.pdf" /C 12 /L "$out/qvim.log" /P
status=$?

echo "qvim ended with $status (0 converted, 252 a conversion failed, 253 invalid arguments)."
echo "PDF and log file: $out"
exit $status
