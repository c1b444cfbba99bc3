#!/bin/bash
# The pointer through a real window of another size, read back with the game's own queries;
# then the game itself in a real window, left with Escape.
probe=$1
game=$2
probe_pid=
game_pid=

cleanup() {
    [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
}
fail() {
    echo "FAIL: $*"
    cleanup
    exit 1
}
trap cleanup EXIT

coproc PROBE { exec "$probe"; }
probe_pid=$PROBE_PID
read -r -t 10 line <&"${PROBE[0]}" || fail "the probe did not open its window"
[ "$line" = ready ] || fail "the probe said \"$line\""
win=$(timeout 10 xdotool search --sync --name "Ramparion window probe" | head -n 1)
[ -n "$win" ] || fail "no probe window"

ask() {
    echo "$1" >&"${PROBE[1]}"
    read -r -t 5 reply <&"${PROBE[0]}" || fail "the probe did not answer \"$1\""
}

# Puts the system pointer at window pixel (wx, wy) and waits for the game to read (px, py).
pointer_at() {
    local wx=$1 wy=$2 want="at $3 $4"
    xdotool mousemove --window "$win" "$wx" "$wy"
    for _ in $(seq 30); do
        ask where
        [ "$reply" = "$want" ] && return 0
        sleep 0.1
    done
    fail "window pixel ($wx, $wy) of a ${size} window read \"$reply\", not \"$want\""
}

resize() {
    size="$1x$2"
    xdotool windowsize "$win" "$1" "$2"
    for _ in $(seq 30); do
        eval "$(xdotool getwindowgeometry --shell "$win")"
        [ "$WIDTH" = "$1" ] && [ "$HEIGHT" = "$2" ] && { sleep 0.3; return 0; }
        sleep 0.1
    done
    fail "the window did not take the size $size"
}

size=640x480
pointer_at 320 240 320 240
pointer_at 0 479 0 479

# 1000x600: the picture is 800x600 with bars of 100 left and right.
resize 1000 600
pointer_at 500 300 320 240
pointer_at 140 75 32 60
pointer_at 899 599 639 479
pointer_at 50 300 0 240 # in the left bar: the picture's edge

# A move by the game lands on the middle of the scaled pixel and reads back the same.
ask "move 64 48"
for _ in $(seq 30); do
    ask where
    [ "$reply" = "at 64 48" ] && break
    sleep 0.1
done
[ "$reply" = "at 64 48" ] || fail "after move_pointer(64, 48) the game read \"$reply\""
eval "$(xdotool getwindowgeometry --shell "$win")"
wx=$X wy=$Y
eval "$(xdotool getmouselocation --shell)"
[ $((X - wx)) = 180 ] && [ $((Y - wy)) = 60 ] ||
    fail "move_pointer(64, 48) put the system pointer at window pixel ($((X - wx)), $((Y - wy))), not (180, 60)"

# 800x800: bars of 100 above and below.
resize 800 800
pointer_at 400 400 320 240
pointer_at 10 50 8 0

echo quit >&"${PROBE[1]}"
wait "$probe_pid" 2>/dev/null
probe_pid=
echo "pointer: 640x480, 1000x600 and 800x800 windows read back in picture pixels; move_pointer lands where asked"

# The game: a real window, ended by Escape (the first skips the logo).
"$game" &
game_pid=$!
gwin=
for _ in $(seq 50); do
    gwin=$(xdotool search --name "Ramparion '07" 2>/dev/null | head -n 1)
    [ -n "$gwin" ] && break
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended before it was asked to"
    sleep 0.1
done
[ -n "$gwin" ] || fail "no window with the game's caption"
xdotool mousemove --window "$gwin" 20 20
xdotool windowfocus --sync "$gwin" 2>/dev/null
for _ in $(seq 20); do
    xdotool key Escape
    sleep 0.5
    kill -0 "$game_pid" 2>/dev/null || break
done
kill -0 "$game_pid" 2>/dev/null && fail "the game did not leave on Escape"
wait "$game_pid"
status=$?
game_pid=
[ "$status" -eq 0 ] || fail "the game left with status $status"
echo "game: left on Escape with status 0"
