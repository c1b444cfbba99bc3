#!/bin/sh
# A scripted game that scores, left with Escape, saves its best in --save-dir; the next replay
# with that folder starts from it; a bad file there counts as no score and is replaced.
replay=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}
field() { # field FILE FRAME NAME: a number from that frame's trace line
    sed -n "${2}p" "$1" | grep -o "\"$3\":-\?[0-9]*" | cut -d: -f2
}
# The two ints of the file, little-endian.
saved() { od -An -v -t d4 --endian=little "$1" | tr -s ' ' ' ' | sed 's/^ //'; }

# Skip the logo, start a game and fire while the pointer sweeps the sky; Escape at 1500.
{
    printf '5 key_down 32\n6 key_up 32\n20 down 1\n21 up 1\n30 down 1\n'
    i=0
    while [ $i -lt 70 ]; do
        printf '%d move %d %d\n' $((40 + i * 20)) $(((i * 97) % 600 + 20)) $((150 + (i * 37) % 120))
        i=$((i + 1))
    done
    printf '1500 key_down 27\n'
} > "$dir/play.script"
timeout 120 "$replay" --script "$dir/play.script" --trace "$dir/play.jsonl" --save-dir "$dir" ||
    fail "the scripted game failed or hung"
[ "$(wc -c < "$dir/hiscore.dat")" -eq 8 ] || fail "hiscore.dat has $(wc -c < "$dir/hiscore.dat") bytes, not 8"
best=$(field "$dir/play.jsonl" 1500 best_score)
casualties=$(field "$dir/play.jsonl" 1500 best_casualties)
[ "$best" -gt 0 ] || fail "the game scored nothing; the script no longer hits"
[ "$(saved "$dir/hiscore.dat")" = "$best $casualties" ] ||
    fail "the file holds $(saved "$dir/hiscore.dat"), the game's best was $best $casualties"

# The next run with the same folder shows that best on its display from the first frame of the battle.
printf '5 key_down 32\n6 key_up 32\n60 key_down 27\n' > "$dir/again.script"
timeout 60 "$replay" --script "$dir/again.script" --trace "$dir/again.jsonl" --save-dir "$dir" ||
    fail "the second run failed"
[ "$(field "$dir/again.jsonl" 10 best_score)" = "$best" ] || fail "the second run does not start from $best"
[ "$(saved "$dir/hiscore.dat")" = "$best $casualties" ] || fail "the second run changed the file"

# A file of the wrong size is no score, said once on stderr, and the exit saves a good one.
printf 'abc' > "$dir/hiscore.dat"
timeout 60 "$replay" --script "$dir/again.script" --trace "$dir/bad.jsonl" --save-dir "$dir" 2> "$dir/err" ||
    fail "the run with a bad file failed"
[ "$(grep -c 'hiscore.dat' "$dir/err")" -eq 1 ] || fail "expected one line about the bad file, got: $(cat "$dir/err")"
[ "$(field "$dir/bad.jsonl" 10 best_score)" = 0 ] || fail "a bad file gave a best score"
[ "$(saved "$dir/hiscore.dat")" = "0 0" ] || fail "the bad file was not replaced"
echo "best $best with $casualties casualties saved on Escape, read back by the next run; a bad file replaced"
