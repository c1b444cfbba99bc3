#!/bin/sh
# Demos: the autoplayer's games recorded and played back give the same traces, actor dumps and shots
# frame for frame, and the demo's own record of score, casualties, days and men matches the recorded
# run. Bad demos (truncated, damaged, random, other rules or format, a recorder that missed a read,
# a wrong state) each get one line and status 1.
set -e
replay=$1
tamper=$2
game=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() {
    echo "$*"
    exit 1
}

# A recorded run counts frames from the program's start, its playback from the game's first frame.
no_frame() { sed 's/^{"frame":[0-9]*,//' "$1"; }
# The line of the first frame of play: the first with demo_mode 0 after attract mode.
first_play_line() { awk '/"demo_mode":1/ { seen = 1; next } seen && /"demo_mode":0/ { print NR; exit }' "$1"; }
score_lines() {
    sed 's/.*"score":\([-0-9]*\),"casualties":\([-0-9]*\),"men":\([-0-9]*\),"days_survived":\([-0-9]*\).*/\1 \2 \4 \3/' "$1"
}

# check_run NAME SHOT ARGS...: a run of the replay tool with ARGS, recorded and played back; SHOT is a
# frame of the run, compared with the same frame played back.
check_run() {
    name=$1
    at=$2
    shift 2
    "$replay" "$@" --record-demo "$dir/$name.rdemo" --trace "$dir/$name.rec.jsonl" \
        --actors "$dir/$name.rec.actors" --actors-every 7 --shot "$at:$dir/$name.rec.png" >/dev/null
    [ -s "$dir/$name.rdemo" ] || fail "$name: no demo was written"
    k=$(first_play_line "$dir/$name.rec.jsonl")
    [ -n "$k" ] || fail "$name: the recorded run never started a game"
    "$replay" --play-demo "$dir/$name.rdemo" --trace "$dir/$name.play.jsonl" --actors "$dir/$name.play.actors" \
        --shot "$((at - k)):$dir/$name.play.png" >/dev/null ||
        fail "$name: the playback failed"
    n=$(wc -l <"$dir/$name.play.jsonl")
    [ "$n" -gt 1000 ] || fail "$name: only $n frames played back"
    tail -n +$((k + 1)) "$dir/$name.rec.jsonl" | head -n "$n" >"$dir/$name.rec.cut"
    no_frame "$dir/$name.rec.cut" >"$dir/a"
    no_frame "$dir/$name.play.jsonl" >"$dir/b"
    cmp -s "$dir/a" "$dir/b" || { diff "$dir/a" "$dir/b" | head -4; fail "$name: the playback's trace differs"; }
    # Actor dumps every 7th frame of the run: the playback's frame f is the run's frame f + k.
    awk -F'[:,]' -v k="$k" -v n="$n" '$2 - k > 0 && $2 - k <= n' "$dir/$name.rec.actors" >"$dir/c0"
    awk -F'[:,]' -v k="$k" 'NR == FNR { want[$2 - k] = 1; next } want[$2]' "$dir/c0" "$dir/$name.play.actors" |
        sed 's/^{"frame":[0-9]*,//' >"$dir/d"
    no_frame "$dir/c0" >"$dir/c"
    [ -s "$dir/c" ] || fail "$name: no actor dumps to compare"
    cmp -s "$dir/c" "$dir/d" || fail "$name: the playback's actors differ"
    cmp -s "$dir/$name.rec.png" "$dir/$name.play.png" || fail "$name: frame $at looks different when played back"
    # The demo's own per-frame record equals what the recorded run's trace showed.
    "$replay" --demo-info "$dir/$name.rdemo" >"$dir/info"
    tail -n +2 "$dir/info" | cut -d' ' -f2- >"$dir/e"
    score_lines "$dir/$name.rec.cut" >"$dir/f"
    cmp -s "$dir/e" "$dir/f" || { diff "$dir/e" "$dir/f" | head -4; fail "$name: the demo's states differ from the run"; }
    echo "$name: $n frames played back alike ($(wc -c <"$dir/$name.rdemo") bytes)"
}

check_run normal-4242 3500 --autoplay normal --clock 4242 --frames 4000
check_run suicidal-9 2500 --autoplay suicidal --clock 9 --frames 3000
# A game lost to the end screen, with a pause and a volume change, back to attract mode.
check_run lose-men 1700 --script "$(dirname "$0")/replays/lose_men.script"
grep -q '"loop":"gameover"' "$dir/lose-men.play.jsonl" || fail "the lost game's playback has no end screen"
grep -q '"loop":"pause"' "$dir/lose-men.play.jsonl" || fail "the lost game's playback has no pause"

# Refused with one line naming the fault, status 1, nothing written.
good=$dir/normal-4242.rdemo
size=$(wc -c <"$good")
head -c $((size / 2)) "$good" >"$dir/truncated.rdemo"
cp "$good" "$dir/damaged.rdemo"
printf 'Z' | dd of="$dir/damaged.rdemo" bs=1 seek=$((size / 2)) conv=notrunc 2>/dev/null
head -c 4000 /dev/urandom >"$dir/random.rdemo"
: >"$dir/empty.rdemo"
"$tamper" rules "$good" "$dir/rules.rdemo"
"$tamper" format "$good" "$dir/format.rdemo"
refuse() {
    rm -f "$dir/t.jsonl"
    if "$1" --play-demo "$dir/$2.rdemo" --trace "$dir/t.jsonl" >/dev/null 2>"$dir/err"; then
        fail "$2: accepted by $(basename "$1")"
    else
        status=$?
    fi
    [ "$status" -eq 1 ] || fail "$2: status $status, not 1"
    [ "$(wc -l <"$dir/err")" -eq 1 ] || { cat "$dir/err"; fail "$2: not one line"; }
    grep -q "$3" "$dir/err" || { cat "$dir/err"; fail "$2: the line does not say \"$3\""; }
    [ ! -e "$dir/t.jsonl" ] || fail "$2: played before it was refused"
}
refuse "$replay" truncated "is truncated"
refuse "$replay" damaged "is damaged"
refuse "$replay" random "is not a demo"
refuse "$replay" empty "is not a demo"
refuse "$replay" rules "whose rules differ"
refuse "$replay" format "is demo format 2"
mkdir "$dir/folder.rdemo"
refuse "$replay" folder "is a folder"
# The game itself refuses before it opens a window (no display is needed to say so).
for bad in truncated damaged random; do
    if DISPLAY= "$game" --play-demo "$dir/$bad.rdemo" 2>"$dir/err"; then fail "the game played $bad"; fi
    [ "$(wc -l <"$dir/err")" -eq 1 ] || { cat "$dir/err"; fail "the game said more than one line about $bad"; }
done

# Demos that read well but do not match the game: caught in play, named by frame, status 1.
for mode in drop-read states; do
    "$tamper" "$mode" "$good" "$dir/$mode.rdemo"
    if "$replay" --play-demo "$dir/$mode.rdemo" >/dev/null 2>"$dir/err"; then fail "$mode: played to the end"; fi
    grep -q "parts ways with the game at frame" "$dir/err" || { cat "$dir/err"; fail "$mode: not caught"; }
    [ "$(grep -c . "$dir/err")" -eq 1 ] || { cat "$dir/err"; fail "$mode: not one line"; }
done
echo "bad demos refused with one line each; a missed read and a wrong state caught in play"
