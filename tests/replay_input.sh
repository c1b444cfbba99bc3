#!/bin/sh
# Scripted input through the whole game: Space skips the logo, a lost focus makes the game
# wait and go on, and --frames ends the run after that many frames wherever the game is.
replay=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}
# run NAME FRAMES [SCRIPT-LINES]: a bounded run whose trace must have exactly FRAMES lines.
run() {
    name=$1 frames=$2
    printf "%b" "$3" > "$dir/$name.script"
    timeout 120 "$replay" --script "$dir/$name.script" --frames "$frames" --trace "$dir/$name.jsonl" \
        --save-dir "$dir" || fail "$name: the run failed or hung (status $?)"
    lines=$(wc -l < "$dir/$name.jsonl")
    [ "$lines" -eq "$frames" ] || fail "$name: $lines presented frames, not $frames"
    # Frame numbers run 1..N with none missing or repeated.
    n=$(grep -o '"frame":[0-9]*' "$dir/$name.jsonl" | cut -d: -f2 | awk '$1 != NR { bad = 1 } END { print bad + 0 }')
    [ "$n" -eq 0 ] || fail "$name: the frames are not numbered 1..$frames"
}
loop_at() { # loop_at NAME FRAME: which loop presented that frame
    sed -n "${2}p" "$dir/$1.jsonl" | grep -o '"loop":"[a-z]*"' | cut -d'"' -f4
}

run plain 60
[ "$(loop_at plain 31)" = logo ] || fail "without input frame 31 should still be the logo's"

run space 60 '30 key_down 32\n32 key_up 32\n'
[ "$(loop_at space 30)" = logo ] || fail "frame 30 should be the logo's"
[ "$(loop_at space 31)" = world ] || fail "Space at frame 30 did not end the logo (frame 31: $(loop_at space 31))"

# Focus lost during the battle: the game waits, then goes on to the end of the run.
run focus 900 '600 focus_lost\n700 focus_gained\n'
[ "$(loop_at focus 900)" = world ] || fail "focus: the last frame was not the battle's"

# The limit falls inside the logo, on the frame the focus goes, and on a frame mid-wait.
run mid_logo 50
[ "$(loop_at mid_logo 50)" = logo ] || fail "mid_logo: frame 50 should be the logo's"
run at_focus_loss 600 '600 focus_lost\n'
run mid_wait 650 '600 focus_lost\n700 key_down 65\n900 focus_gained\n'

echo "logo skipped by Space at frame 30; focus wait resumed; --frames honoured in the logo and around a wait"
