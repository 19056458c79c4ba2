#!/usr/bin/env bash
# Times listing a tree of 100,000 files (100 folders of 1,000) with the
# program's file lister against find, with the same pattern, and prints
# the ratio ours/find of the best of several runs.
#   bench/filelist/run.sh [build-folder] [runs]
set -euo pipefail

build=${1:-build}
runs=${2:-5}
driver="$build/tests/filelist/filelist_bench"
[[ -x $driver ]] || { echo "no driver at $driver: build the project first" >&2; exit 1; }

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

for d in $(seq -w 1 100); do
  mkdir "$tree/dir$d"
  # Half the files end in ".txt", half in ".PDF", so a mask selects half.
  (cd "$tree/dir$d" && touch f{000..499}.txt g{000..499}.PDF)
done

# Best wall time of $runs runs of the command, in milliseconds.
best_ms() {
  local best=
  for _ in $(seq "$runs"); do
    local start end ms
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    ms=$(( (end - start) / 1000000 ))
    if [[ -z $best || $ms -lt $best ]]; then best=$ms; fi
  done
  echo "$best"
}

check_count() {
  local want=$1; shift
  local got
  got=$("$@" | wc -l)
  [[ $got -eq $want ]] || { echo "expected $want paths, got $got from: $*" >&2; exit 1; }
}

report() {
  local label=$1 ours=$2 theirs=$3
  awk -v l="$label" -v o="$ours" -v t="$theirs" \
    'BEGIN { printf "%-34s ours %5d ms   find %5d ms   ratio %.2f\n", l, o, t, (t > 0 ? o / t : 0) }'
}

check_count 100000 "$driver" "$tree/*"
check_count 50000 "$driver" "$tree/*.pdf"

find "$tree" -type f >/dev/null  # warm the cache for both sides
ours=$(best_ms "$driver" "$tree/*")
theirs=$(best_ms find "$tree" -type f)
report "all files (*)" "$ours" "$theirs"

ours=$(best_ms "$driver" "$tree/*.pdf")
theirs=$(best_ms find "$tree" -type f -iname '*.pdf')
report "one pattern (*.pdf, case ignored)" "$ours" "$theirs"

ours=$(best_ms "$driver" "$tree/*" --sort)
theirs=$(best_ms find "$tree" -type f)
report "all files, sorted task list" "$ours" "$theirs"
