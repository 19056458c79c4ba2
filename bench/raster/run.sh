#!/usr/bin/env bash
# PDF pages to PNG, JPEG and TIFF at 100 and 300 dpi: the program's
# rasteriser against `mutool draw` and `pdftoppm`, in the same run, printed
# as ratios (peer seconds / our seconds; above 1 means we are faster).
#
# Inputs: a 50-page text PDF and a 50-page PDF of photos, both made here on
# the first run, and GeoTopo-komprimiert.pdf (117 pages) from tests/corpus.
#
# Ours is the rasteriser alone on one thread for the per-page lines; the
# multi-page TIFF lines run pdf_save_pages on THREADS threads. The last
# line is the program itself (qvim, end to end), which renders the pages of
# an item on every core: GeoTopo to PNG per page at 150 dpi against the
# faster of `mutool draw` on one thread and with -T 8 (qvim / mutool, the
# three run in turn $GEO_RUNS times (default 3), the fastest of each;
# target: at most 0.12), and one page at 150 dpi, the program's whole start
# included, against `mutool draw` (median of 20 runs each; target: no
# slower); exit status 1 when one is missed. mutool draw has no JPEG or TIFF writer, so it writes PNG
# (its compressed raster output) on every line; pdftoppm writes the format
# of the line (TIFF deflate-compressed, like ours).
#
# Environment: BUILD_DIR (default: build), THREADS (default 4),
# REPEAT (runs per measurement, the fastest counts; default 1),
# WORK_DIR (inputs and scratch outputs; default $TMPDIR/tessaview-bench-raster).
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build}
bench=$build/platform/pdf2bmp/pdf2bmp_bench
qvim=$build/app/qvim
threads=${THREADS:-4}
repeat=${REPEAT:-1}
work=${WORK_DIR:-${TMPDIR:-/tmp}/tessaview-bench-raster}
geotopo=$root/tests/corpus/pdf/GeoTopo-komprimiert.pdf

for tool in "$bench" "$qvim" mutool pdftoppm convert; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "run.sh: $tool not found (build first: cmake --build $build; tools: scripts/install-deps)" >&2
    exit 1
  fi
done
[ -f "$geotopo" ] || { echo "run.sh: $geotopo not found" >&2; exit 1; }

mkdir -p "$work/out"
out=$work/out

# --- inputs -----------------------------------------------------------------

words=(lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod
  tempor incididunt ut labore et dolore magna aliqua enim ad minim veniam quis
  nostrud exercitation ullamco laboris nisi aliquip ex ea commodo consequat)

text_page() { # page number
  echo "%%MediaBox 0 0 595 842"
  echo "%%Font TmRm Times-Roman"
  echo "%%Font HeBo Helvetica-Bold"
  echo "BT /HeBo 16 Tf 60 790 Td (Chapter $1) Tj ET"
  echo "BT /TmRm 10 Tf 12 TL 60 760 Td"
  for _ in $(seq 1 58); do
    local line=""
    for _ in $(seq 1 14); do line+="${words[RANDOM % ${#words[@]}]} "; done
    echo "($line) '"
  done
  echo "ET"
}

photo_page() { # page number; the photos lie in $dir
  echo "%%MediaBox 0 0 595 842"
  echo "%%Font HeBo Helvetica-Bold"
  echo "%%Image Photo $dir/photo$1.jpg"
  echo "q 495 0 0 371 50 400 cm /Photo Do Q"
  echo "BT /HeBo 14 Tf 50 370 Td (Photo $1 of 50) Tj ET"
}

# make_pdf PDF PAGE_FUNCTION: a 50-page PDF whose page descriptions (for
# mutool create) the function prints; with photos, their images first.
make_pdf() {
  local pdf=$1 describe=$2 pages=() dir
  dir=$(mktemp -d "$work/pages.XXXXXX")
  RANDOM=42
  if [ "$describe" = photo_page ]; then
    seq 1 50 | xargs -P "$threads" -I{} convert -size 1600x1200 -seed {} plasma:fractal \
      -blur 0x2 -quality 85 "$dir/photo{}.jpg"
  fi
  for p in $(seq 1 50); do
    "$describe" "$p" > "$dir/page$p.txt"
    pages+=("$dir/page$p.txt")
  done
  mutool create -o "$pdf" "${pages[@]}"
  rm -rf "$dir"
}

[ -f "$work/text-50.pdf" ] || make_pdf "$work/text-50.pdf" text_page
[ -f "$work/photos-50.pdf" ] || make_pdf "$work/photos-50.pdf" photo_page

# --- timing -----------------------------------------------------------------

# Seconds the command takes, the fastest of $repeat runs; outputs are
# removed after each run. Fails the script when the command fails.
measure() {
  local best=""
  for _ in $(seq 1 "$repeat"); do
    rm -rf "$out" && mkdir -p "$out"
    local start end
    start=$(date +%s.%N)
    if ! "$@" >/dev/null 2>"$work/stderr"; then
      echo "run.sh: failed: $*" >&2
      cat "$work/stderr" >&2
      exit 1
    fi
    end=$(date +%s.%N)
    best=$(awk -v s="$start" -v e="$end" -v b="$best" \
      'BEGIN { t = e - s; if (b == "" || t < b) print t; else print b }')
  done
  rm -rf "$out" && mkdir -p "$out"
  echo "$best"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

printf '%-14s %4s %-6s %8s %8s %8s %8s %8s\n' input dpi output ours mutool pdftoppm mutool/ours pdftoppm/ours
lines=()
for input in text-50 photos-50 geotopo-117; do
  case $input in
    geotopo-117) pdf=$geotopo ;;
    *) pdf=$work/$input.pdf ;;
  esac
  for dpi in 100 300; do
    mutool_s=$(measure mutool draw -q -r "$dpi" -o "$out/p%d.png" "$pdf")
    for format in png jpeg tiff; do
      ours_s=$(measure "$bench" "$pdf" "$format" "$dpi" "$out" 1)
      case $format in
        tiff) peer=(pdftoppm -r "$dpi" -tiff -tiffcompression deflate "$pdf" "$out/p") ;;
        *) peer=(pdftoppm -r "$dpi" "-$format" "$pdf" "$out/p") ;;
      esac
      pdftoppm_s=$(measure "${peer[@]}")
      printf '%-14s %4s %-6s %8.2f %8.2f %8.2f %8s %8s\n' "$input" "$dpi" "$format" "$ours_s" "$mutool_s" \
        "$pdftoppm_s" "$(ratio "$mutool_s" "$ours_s")" "$(ratio "$pdftoppm_s" "$ours_s")"
    done
    multi_s=$(measure "$bench" "$pdf" mtiff "$dpi" "$out" "$threads")
    lines+=("$(printf '%-14s %4s %-6s %8.2f %8.2f %8s %8s' "$input" "$dpi" "tiff*$threads" "$multi_s" "$mutool_s" - \
      "$(ratio "$mutool_s" "$multi_s")")")
  done
done
echo
echo "One multi-page TIFF (pdf_save_pages) on $threads threads against mutool draw:"
printf '%-14s %4s %-6s %8s %8s %8s %8s\n' input dpi output ours mutool - mutool/ours
printf '%s\n' "${lines[@]}"

# The program keeps its settings in a home of the benchmark's own.
mkdir -p "$work/home"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/home"
# In turn, so that a busy moment of the machine does not fall on one of
# them alone.
fastest() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a < b ? a : b) }'; }
qvim_s="" mutool1_s="" mutool8_s=""
for _ in $(seq 1 "${GEO_RUNS:-3}"); do
  qvim_s=$(fastest "$(repeat=1 measure "$qvim" /S "$geotopo" /T "$out/geo.png" /5 150 /P)" "$qvim_s")
  mutool1_s=$(fastest "$(repeat=1 measure mutool draw -q -r 150 -o "$out/p%d.png" "$geotopo")" "$mutool1_s")
  mutool8_s=$(fastest "$(repeat=1 measure mutool draw -q -T 8 -r 150 -o "$out/p%d.png" "$geotopo")" "$mutool8_s")
done
peer_s=$(fastest "$mutool1_s" "$mutool8_s")
echo
echo "GeoTopo (117 pages) to PNG per page at 150 dpi, qvim on $(nproc) processors:"
printf '%-22s %8.2f s\n' "qvim" "$qvim_s" "mutool draw" "$mutool1_s" "mutool draw -T 8" "$mutool8_s"
printf 'qvim / faster mutool = %s   (target: at most 0.12)\n' "$(ratio "$qvim_s" "$peer_s")"
status=0
awk -v p="$peer_s" -v q="$qvim_s" 'BEGIN { exit !(q / p <= 0.12) }' || status=1

# One page to PNG at 150 dpi, as a script that converts a file at a time
# pays for it: the program's whole start and end against mutool draw's,
# the two run in turn $ONE_PAGE_RUNS times (default 20), their medians
# compared (target: qvim no slower than mutool).
page=$root/tests/corpus/pdf/minimal-document.pdf
runs=${ONE_PAGE_RUNS:-20}
elapsed() { # seconds the command takes
  local start=$EPOCHREALTIME
  "$@" >/dev/null 2>"$work/stderr" || { echo "run.sh: failed: $*" >&2; cat "$work/stderr" >&2; exit 1; }
  awk -v s="$start" -v e="$EPOCHREALTIME" 'BEGIN { print e - s }'
}
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ours=() peers=()
for _ in $(seq 1 "$runs"); do
  ours+=("$(elapsed "$qvim" /S "$page" /T "$out/one.png" /5 150 /P)")
  peers+=("$(elapsed mutool draw -q -r 150 -o "$out/one-mutool.png" "$page")")
done
one_qvim=$(median "${ours[@]}")
one_mutool=$(median "${peers[@]}")
echo
echo "One page to PNG at 150 dpi, median of $runs runs each, taken in turn:"
printf '%-22s %8.1f ms\n' "qvim" "$(awk -v t="$one_qvim" 'BEGIN { print t * 1000 }')" \
  "mutool draw -r 150" "$(awk -v t="$one_mutool" 'BEGIN { print t * 1000 }')"
printf 'qvim / mutool = %s   (target: at most 1.0)\n' "$(ratio "$one_qvim" "$one_mutool")"
awk -v q="$one_qvim" -v m="$one_mutool" 'BEGIN { exit !(q / m <= 1.0) }' || status=1
exit $status
