#!/bin/sh
# Runs a conversion job file from the command line, appends the outcome to a
# log file beside it and saves the items that failed as a new job file.
# Usage: "Run a job file with a log.sh" [job-file.krj]
# Without an argument the first demo conversion job is run.
# Runs the qvim on the PATH (after `cmake --install`), or the program that
# QVIM names, for example QVIM=~/tessaview/build/app/qvim.
qvim=${QVIM:-qvim}
if ! command -v "$qvim" >/dev/null 2>&1; then
  echo "$0: $qvim was not found. Install Tessaview (see its README) or set QVIM to the program's path." >&2
  exit 127
fi
data="${XDG_CONFIG_HOME:-$HOME/.config}/Kestrova, Inc/Tessaview"

job="$1"
if [ -z "$job" ]; then
  for candidate in "$data/Demo Conversion Jobs/"*.[kK][rR][jJ]; do
    if [ -f "$candidate" ]; then
      job="$candidate"
      break
    fi
  done
fi
if [ -z "$job" ] || [ ! -f "$job" ]; then
  echo "No job file found. Usage: $0 job-file.krj" >&2
  exit 2
fi

out="$data/Demo Output/Job runs"
mkdir -p "$out" || exit 1
"$qvim" /J "$job" /L "$out/qvim.log" /B "$out/Failed items.krj" /P
status=$?

case $status in
  0) echo "Every item was converted." ;;
  252) echo "Some items failed; they are listed in the log and saved in \"$out/Failed items.krj\"." ;;
  253) echo "The job could not be started: missing or invalid arguments." ;;
  *) echo "qvim ended with $status." ;;
esac
echo "Log file: $out/qvim.log"
exit $status
