#!/bin/sh
# A headless run of 600 frames ended by a scripted Escape leaves cleanly and saves the best score.
set -e
replay=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf '# leave from the battle\n600 key_down 27\n' > "$dir/script"
"$replay" --script "$dir/script" --trace "$dir/t.jsonl" --save-dir "$dir"
lines=$(wc -l < "$dir/t.jsonl")
[ "$lines" -eq 600 ] || { echo "expected 600 presented frames, got $lines"; exit 1; }
tail -n 1 "$dir/t.jsonl" | grep -q '"loop":"world"' || { echo "the last frame was not the battle's"; exit 1; }
size=$(wc -c < "$dir/hiscore.dat")
[ "$size" -eq 8 ] || { echo "the high-score file has $size bytes, not 8"; exit 1; }
# A malformed script is refused before anything runs, naming its line.
printf '10 key_down 27\n20 jump 3\n' > "$dir/bad"
if "$replay" --script "$dir/bad" --frames 5 2> "$dir/err"; then echo "a bad script was accepted"; exit 1; fi
grep -q 'line 2' "$dir/err" || { echo "the error does not name line 2:"; cat "$dir/err"; exit 1; }
echo "600 frames, left on Escape, high score written; bad script refused"
