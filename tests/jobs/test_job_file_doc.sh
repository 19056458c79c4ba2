#!/usr/bin/env bash
# The example of docs/job-files.md, run as it is written: the job file its
# script writes loads and runs in the real program, and each task leaves
# what the page says it does.
#   test_job_file_doc.sh <qvim> <docs/job-files.md> <a PDF of two pages or more>
set -euo pipefail
qvim_program=$1
doc=$2
pdf=$3
fail() { echo "test_job_file_doc: $*" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# The first shell block after the heading "## Example".
awk '/^## Example/ { found = 1; next } found && /^```sh$/ { inside = 1; next } inside && /^```$/ { exit }
     inside { print }' "$doc" >"$tmp/example.sh"
[ -s "$tmp/example.sh" ] || fail "no shell example under '## Example' in $doc"

mkdir -p "$tmp/home/in" "$tmp/home/out" "$tmp/config" "$tmp/runtime"
chmod 700 "$tmp/runtime"
cp "$pdf" "$tmp/home/in/scan.pdf"
printf 'first\n\n\nsecond\n\nthird\n' >"$tmp/home/in/notes.txt"
printf 'first\nsecond\nthird\n' >"$tmp/expected-notes.txt"

status=0
(
  export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config XDG_RUNTIME_DIR=$tmp/runtime
  unset DISPLAY WAYLAND_DISPLAY
  qvim() { "$qvim_program" "$@"; }
  # shellcheck disable=SC1091
  . "$tmp/example.sh"
) >"$tmp/run.txt" 2>&1 || status=$?
out=$tmp/home/out
[ "$status" -eq 0 ] || fail "the example ended with $status: $(cat "$tmp/run.txt") $(cat "$out/job.log" 2>/dev/null)"

# The file is what the page describes: eleven cells a line, CR LF ends.
while IFS= read -r line; do
  [ "${line: -1}" = $'\r' ] || fail "a line of the job file does not end in CR LF"
  tabs=${line//[^$'\t']/}
  [ "${#tabs}" -eq 11 ] || fail "a line of the job file has ${#tabs} TABs, not 11"
done <"$out/job.KRJ"

# Pages 1 and 2 at 72 dpi: a pixel for each point of the page, give or take
# the rounding.
for page in 1 2; do
  size=$(pdfinfo -f $page -l $page "$pdf" | awk -v p=$page '$1 == "Page" && $2 == p && $3 == "size:" { print $4, $6 }')
  image=$(identify -format '%m %w %h' "$out/scan-0000$page.png") || fail "page $page is not an image"
  awk -v s="$size" -v i="$image" 'BEGIN { split(s, p, " "); split(i, g, " ");
      d1 = g[2] - p[1]; d2 = g[3] - p[2]; exit !(g[1] == "PNG" && d1 > -1 && d1 < 1 && d2 > -1 && d2 < 1) }' \
    || fail "page $page is $image, not a PNG of $size points at 72 dpi"
done
[ ! -e "$out/scan-00003.png" ] || fail "a third page was written"
[ "$(identify -format '%m' "$out/first.jpg")" = JPEG ] || fail "first.jpg is not a JPEG image"
[ "$(identify -format '%Q' "$out/first.jpg")" = 90 ] || fail "first.jpg does not have quality 90"
cmp -s "$out/notes.txt" "$tmp/expected-notes.txt" || fail "notes.txt kept its empty lines: $(od -c "$out/notes.txt")"
tail -2 "$out/job.log" | head -1 | grep -qx 'Conversion Successful' || fail "the log does not end as the page says: $(cat "$out/job.log")"
tail -1 "$out/job.log" | grep -q '^Time to complete job: ' || fail "the log has no time line"
echo "test_job_file_doc: the documented job file ran its three tasks"
