#!/bin/sh
# Two replays with the same arguments must give byte-identical traces and shots.
set -e
replay=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
for run in a b; do
    "$replay" --frames 120 --shot 100:"$dir/$run.png" --trace "$dir/$run.jsonl"
done
lines=$(wc -l < "$dir/a.jsonl")
[ "$lines" -eq 120 ] || { echo "expected 120 trace lines, got $lines"; exit 1; }
cmp "$dir/a.jsonl" "$dir/b.jsonl"
cmp "$dir/a.png" "$dir/b.png"
echo "repeatable: 120 frames, identical trace and shot"
