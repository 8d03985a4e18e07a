#!/usr/bin/env bash
# script/fuzz-seeds run twenty times in a row: every run exits 0 and writes the same files
# with the same bytes (a pipe whose reader stops early once failed one run in two).
set -uo pipefail
source_dir="$1"
out="$2/fuzz-seeds-repeat"
runs="${3:-20}"
rm -rf "$out"
mkdir -p "$out"
for i in $(seq 1 "$runs"); do
  if ! "$source_dir/script/fuzz-seeds" "$out/seeds" >"$out/run$i.log" 2>&1; then
    echo "fuzz-seeds failed on run $i of $runs:" >&2
    cat "$out/run$i.log" >&2
    exit 1
  fi
  (cd "$out/seeds" && find . -type f -print0 | sort -z | xargs -0 md5sum) >"$out/run$i.md5"
  if [ "$i" -gt 1 ] && ! diff -u "$out/run1.md5" "$out/run$i.md5" >&2; then
    echo "fuzz-seeds wrote other files on run $i than on run 1" >&2
    exit 1
  fi
done
echo "fuzz-seeds: $runs runs, each exit 0, the same $(wc -l <"$out/run1.md5") files"
