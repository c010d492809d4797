#!/usr/bin/env bash
# Renders the same range twice and compares the PNG files byte for byte.
set -eu
capture=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/a" "$work/b"
for run in a b; do
  SDL_VIDEODRIVER=offscreen "$capture" --fps 10 --from 46 --to 48 --step 5 --png "$work/$run" 2>/dev/null
done
count=$(ls "$work/a" | wc -l)
[ "$count" -eq 5 ] || { echo "expected 5 frames, got $count" >&2; exit 1; }
diff -r "$work/a" "$work/b" >/dev/null || { echo "two captures of the same range differ" >&2; exit 1; }
echo "5 frames identical"
