#!/usr/bin/env bash
# The shipped help pages: the job file format page is the one made from
# docs/job-files.md, and every link between the pages leads to a page, and
# to a heading on it, that is there.
#   test_help_pages.sh <python3> <source folder>
set -euo pipefail
python=$1
source=$2
fail() { echo "test_help_pages: $*" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$python" "$source/scripts/help-pages" markdown "$source/docs/job-files.md" "$tmp/job-files.html"
cmp -s "$tmp/job-files.html" "$source/data/help/job-files.html" \
  || fail "data/help/job-files.html is not made from docs/job-files.md: run scripts/help-pages markdown docs/job-files.md data/help/job-files.html"

checked=0
for page in "$source"/data/help/*.html "$source"/data/help-jp/*.html; do
  folder=$(dirname "$page")
  for href in $(grep -o 'href="[^"]*"' "$page" | sed 's/^href="//; s/"$//'); do
    case $href in http:* | https:* | mailto:*) continue ;; esac
    file=${href%%#*}
    target=$folder/${file:-$(basename "$page")}
    [ -f "$target" ] || fail "$(basename "$page") links to $href, which is not there"
    if [ "$file" != "$href" ]; then
      grep -q "id=\"${href#*#}\"" "$target" || fail "$(basename "$page") links to $href, a heading that is not there"
    fi
    checked=$((checked + 1))
  done
done
echo "test_help_pages: the job file page is up to date and $checked links lead somewhere"
