#!/bin/sh
# A real game in a real window, played with xdotool (aiming, firing, a pause, a volume change, to its
# end screen), is kept as demos/last.rdemo in the player's folder (and as best.rdemo, a first game
# with a score being a record). Played back headless it shows the recorded score, casualties, days
# and men on every frame; watched in the window it pauses, runs fast and leaves on Escape, and
# changes neither the best score nor the demos.
game=$1
replay=$2
dir=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; rm -rf "$dir"' EXIT
fail() {
    echo "$*"
    [ -s "$dir/err" ] && { echo "the game said:"; cat "$dir/err"; }
    exit 1
}
XDG_DATA_HOME=$dir/data
export XDG_DATA_HOME
demos=$XDG_DATA_HOME/ramparion/demos
. "$(dirname "$0")/x_session.sh"

find_window() {
    win=""
    for _ in $(seq 120); do
        win=$(xdotool search --name "Ramparion '07" 2>/dev/null | tail -n 1)
        [ -n "$win" ] && break
        kill -0 "$pid" 2>/dev/null || fail "the game ended early"
        sleep 0.5
    done
    [ -n "$win" ] || fail "no window with the game's caption"
    xdotool windowfocus "$win" 2>/dev/null || true
}
at() { # at X Y: the pointer to picture pixel (X, Y)
    eval "$(xdotool getwindowgeometry --shell "$win" 2>/dev/null)"
    xdotool mousemove --window "$win" $(($1 * WIDTH / 640)) $(($2 * HEIGHT / 480))
}
key() { xdotool key --window "$win" "$1" 2>/dev/null || xdotool key "$1"; }
# The pointer in picture pixels: the game moves it itself at known moments, which tells the script
# where the game is without guessing how fast this machine runs it.
pointer() {
    eval "$(xdotool getwindowgeometry --shell "$win" 2>/dev/null)"
    eval "$(xdotool getmouselocation --shell 2>/dev/null | sed 's/^/m_/')"
    ppx=$(((m_X - X) * 640 / WIDTH))
    ppy=$(((m_Y - Y) * 480 / HEIGHT))
}
pointer_near() { # pointer_near X Y: within a pixel of picture (X, Y)
    pointer
    [ $((ppx - $1)) -ge -1 ] && [ $((ppx - $1)) -le 1 ] && [ $((ppy - $2)) -ge -1 ] && [ $((ppy - $2)) -le 1 ]
}
# Only a game in play holds the pointer inside the window; the pause menu lets it go.
pointer_let_go() {
    xdotool mousemove --window "$win" -- -40 200
    sleep 0.5
    pointer
    [ "$ppx" -lt 0 ]
}

"$game" --window 2>"$dir/err" &
pid=$!
find_window
# Past the logo, the title menu puts the pointer on "Start New Game" (picture 320, 195).
for _ in $(seq 600); do
    key space
    sleep 0.1
    pointer_near 320 195 && break
done
pointer_near 320 195 || fail "the title menu never put the pointer on \"Start New Game\""
xdotool click 1 # Start New Game, which puts the pointer at picture (320, 300)
for _ in $(seq 600); do
    pointer_near 320 300 && break
    sleep 0.1
done
pointer_near 320 300 || fail "no game started"
# Aim left and fire, swing right firing, then a pause with one step of the sound volume.
at 150 200
xdotool mousedown 1
sleep 2
at 500 150
sleep 2
xdotool mouseup 1
key space
for _ in $(seq 120); do pointer_let_go && break; done
pointer_let_go || fail "the pause menu did not open"
at 320 300
xdotool click 1 # Sound Volume
sleep 1
key space
for _ in $(seq 120); do pointer_let_go || break; done
pointer_let_go && fail "the game did not resume"
# Single shots straight up until the paratroopers end the game and a click leaves the end screen
# (back in attract mode the same click only steps the sound volume).
at 320 300
for _ in $(seq 400); do
    [ -f "$demos/last.rdemo" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the game ended before its game was over"
    xdotool click 1
    sleep 1
done
[ -f "$demos/last.rdemo" ] || fail "no demos/last.rdemo after the game"
key Escape
wait_for_exit "$pid" 60 || fail "the game did not leave on Escape"
wait "$pid" || fail "the game left with status $?"
pid=""

# Played back headless: every frame shows what the recorded game showed.
"$replay" --play-demo "$demos/last.rdemo" --trace "$dir/t.jsonl" 2>>"$dir/err" || fail "the playback failed"
"$replay" --demo-info "$demos/last.rdemo" | tail -n +2 | cut -d' ' -f2- >"$dir/recorded"
sed 's/.*"score":\([-0-9]*\),"casualties":\([-0-9]*\),"men":\([-0-9]*\),"days_survived":\([-0-9]*\).*/\1 \2 \4 \3/' \
    "$dir/t.jsonl" >"$dir/played"
[ "$(wc -l <"$dir/played")" -gt 300 ] || fail "only $(wc -l <"$dir/played") frames played back"
cmp -s "$dir/recorded" "$dir/played" || { diff "$dir/recorded" "$dir/played" | head -4; fail "the playback differs"; }
grep -q '"loop":"pause"' "$dir/t.jsonl" || fail "the pause was not played back"
grep -q '"loop":"gameover"' "$dir/t.jsonl" || fail "the end screen was not played back"
grep -q '"sound_volume_step":6' "$dir/t.jsonl" || fail "the volume change was not played back"
grep -q '"men":0' "$dir/t.jsonl" || fail "the game did not end by its men"
best=$(tail -n 1 "$dir/t.jsonl" | sed 's/.*"best_score":\([0-9]*\),.*/\1/')
if [ "$best" -gt 0 ]; then
    cmp -s "$demos/last.rdemo" "$demos/best.rdemo" || fail "a record game (best $best) is not demos/best.rdemo"
fi

# Watched in the window: fast, paused, left on Escape; nothing saved.
cp "$XDG_DATA_HOME/ramparion/hiscore.dat" "$dir/hiscore.before"
cp "$demos/last.rdemo" "$dir/last.before"
"$game" --window --play-demo "$demos/last.rdemo" 2>"$dir/err" &
pid=$!
find_window
sleep 1
xdotool keydown Right
sleep 2
xdotool keyup Right
key space
sleep 1
kill -0 "$pid" 2>/dev/null || fail "the watched game ended while paused"
key space
sleep 1
escape_until_gone "$pid" "$win" || fail "watching did not end on Escape"
wait "$pid" || fail "watching ended with status $?"
pid=""
cmp -s "$dir/hiscore.before" "$XDG_DATA_HOME/ramparion/hiscore.dat" || fail "watching changed the best score"
cmp -s "$dir/last.before" "$demos/last.rdemo" || fail "watching recorded a demo"
echo "a windowed game recorded ($(wc -l <"$dir/played") frames, $(wc -c <"$demos/last.rdemo") bytes), played back alike, watched"
