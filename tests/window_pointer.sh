#!/bin/bash
# The pointer through a real window of another size and pads plugged in while it runs, read
# back with the game's own queries; then the game itself in a real window, left with Escape.
probe=$1
game=$2
probe_pid=
game_pid=
. "$(dirname "$0")/x_session.sh"

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
# The player's folder: a scratch one, so nobody's own pad mappings play a part.
XDG_DATA_HOME=$(mktemp -d)
export XDG_DATA_HOME
trap 'cleanup; rm -rf "$XDG_DATA_HOME"' EXIT

coproc PROBE { exec "$probe"; }
probe_pid=$PROBE_PID
read -r -t 60 line <&"${PROBE[0]}" || fail "the probe did not open its window"
[ "$line" = ready ] || fail "the probe said \"$line\""
win=$(wait_for_window "$probe_pid" "Ramparion window probe") || fail "no probe window"

ask() {
    echo "$1" >&"${PROBE[1]}"
    read -r -t 60 reply <&"${PROBE[0]}" || fail "the probe did not answer \"$1\""
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

# 1000x600: 1x would fill only 80% of the height, so the picture fills it, 800x600 at (100, 0).
resize 1000 600
pointer_at 500 300 320 240
pointer_at 212 120 90 96
pointer_at 50 300 0 240 # in the left bar: the picture's edge

# A move by the game lands on the pixel and reads back the same.
move_and_read() { # move_and_read PX PY WX WY
    ask "move $1 $2"
    for _ in $(seq 30); do
        ask where
        [ "$reply" = "at $1 $2" ] && break
        sleep 0.1
    done
    [ "$reply" = "at $1 $2" ] || fail "in a ${size} window, after move_pointer($1, $2) the game read \"$reply\""
    eval "$(xdotool getwindowgeometry --shell "$win")"
    local wx=$X wy=$Y
    eval "$(xdotool getmouselocation --shell)"
    [ $((X - wx)) = "$3" ] && [ $((Y - wy)) = "$4" ] ||
        fail "in a ${size} window, move_pointer($1, $2) put the pointer at ($((X - wx)), $((Y - wy))), not ($3, $4)"
}
move_and_read 64 48 180 60

# 1300x1000: twice the picture, each pixel a 2x2 cell, at (10, 20).
resize 1300 1000
pointer_at 11 21 0 0
pointer_at 650 500 320 240
move_and_read 100 200 210 420

# 600x400: smaller than the picture, which is shrunk to 533x400 at (33, 0).
resize 600 400
pointer_at 33 0 0 0
pointer_at 299 200 320 240
pointer_at 599 399 639 479
ask "move 320 240"
for _ in $(seq 30); do
    ask where
    case $reply in "at 320 240" | "at 321 240" | "at 320 241" | "at 321 241") break ;; esac
    sleep 0.1
done
case $reply in "at 32"[01]" 24"[01]) ;; *) fail "shrunk, move_pointer(320, 240) read back as \"$reply\"" ;; esac
resize 640 480

echo "pointer: 640x480, 1000x600, 1300x1000 and 600x400 windows read back in picture pixels; move_pointer lands where asked"

# Pads: SDL's virtual devices stand in for hardware, plugged in and out while the probe runs.
expect() { # expect COMMAND REPLY
    ask "$1"
    [ "$reply" = "$2" ] || fail "pads: \"$1\" gave \"$reply\", not \"$2\""
}
ask count
base=${reply#count } # pads the machine really has come first
ask plug_controller
case $reply in "pad 0") ;; *) fail "no virtual pad: $reply" ;; esac
p=$base
expect "joy $p" "joy 0 0 0 0 0 0"
ask "axis 0 0 -32768"
expect "joy $p" "joy -1 0 0 0 0 0"
ask "axis 0 0 32767"
ask "axis 0 1 -32767" # many pads stop one short of -32768: still full deflection
expect "joy $p" "joy 1 -1 0 0 0 0"
ask "axis 0 0 16384"
expect "joy $p" "joy 0.500015 -1 0 0 0 0"
ask "button 0 0 1"
expect "joy $p" "joy 0.500015 -1 1 0 1 0"
expect "joy $p" "joy 0.500015 -1 1 0 0 0" # the press was taken
ask "button 0 1 1"
ask "button 0 1 0" # down and up between two polls: never seen
expect "joy $p" "joy 0.500015 -1 1 0 0 0"
ask "axis 0 0 0"
ask "button 0 13 1" # the D-pad's left
expect "joy $p" "joy -1 -1 1 0 0 0"
ask "button 0 6 1" # Start pauses as B does
expect "joy $p" "joy -1 -1 1 1 0 1"
ask "button 0 6 0"
ask plug_stick
[ "$reply" = "pad 1" ] || fail "no second virtual pad: $reply"
expect "joy $((p + 1))" "joy 0 0 0 0 0 0"
ask "hat 1 8" # left
ask "axis 1 1 32767"
ask "button 1 1 1"
expect "joy $((p + 1))" "joy -1 1 0 1 0 1"
ask "unplug 0"
# The first pad is gone: the second is now the first, its held button no new press.
expect "joy $p" "joy -1 1 0 1 0 0"
expect "joy $((p + 1))" "joy 0 0 0 0 0 0"
ask "unplug 1"
expect "joy $p" "joy 0 0 0 0 0 0"
expect count "count $base"
echo "pads: a controller and a joystick plugged in and out, read through the port table"

# Focus: a second window takes it away while Space and left Control are held.
xdotool mousemove --window "$win" 20 20
xdotool windowfocus --sync "$win"
sleep 0.3
expect keys "keys 0 0 0 0 0"
# By keysym xdotool presses Control_R together with Control_L; 105 is the right Control's
# keycode in the X server's standard keymap.
xdotool keydown space
xdotool keydown 105
sleep 0.3
expect keys "keys 0 1 1 0 1"
xdotool keyup 105
xdotool keydown Control_L
sleep 0.3
sleep 20 2> /dev/null | "$probe" > /dev/null 2>&1 & # stdin held open, no output kept
other_pid=$!
other=$(timeout 60 xdotool search --sync --pid "$other_pid" | head -n 1)
[ -n "$other" ] || { kill "$other_pid"; fail "no second window"; }
xdotool windowfocus --sync "$other"
sleep 0.5
expect keys "keys 1 0 0 0 0"
xdotool windowfocus --sync "$win"
sleep 0.5 # long enough for the held keys to auto-repeat
ask keys
xdotool keyup space
xdotool keyup Control_L
kill "$other_pid"
[ "$reply" = "keys 0 0 0 0 0" ] || fail "back from another window with Space and Control held: \"$reply\""
sleep 0.2
xdotool key space
sleep 0.2
expect keys "keys 0 0 1 0 0" # a new press counts again
echo "focus: away while keys are held, none of them down or pressed on return"

# The player's own gamecontrollerdb.txt is read at start-up (SDL's virtual pads take no mappings,
# so the test asks SDL what it holds for a pad nobody makes).
pad_guid=03000000de1a0000ad0b000011010000
expect "mapping $pad_guid" "mapping none"
echo quit >&"${PROBE[1]}"
wait "$probe_pid" 2>/dev/null
mkdir -p "$XDG_DATA_HOME/ramparion"
echo "$pad_guid,Probe pad,a:b3,b:b2,x:b1,y:b0,leftx:a0,lefty:a1,platform:Linux," \
    > "$XDG_DATA_HOME/ramparion/gamecontrollerdb.txt"
coproc PROBE { exec "$probe"; }
probe_pid=$PROBE_PID
read -r -t 60 line <&"${PROBE[0]}" || fail "the probe did not open its window again"
expect "mapping $pad_guid" "mapping Probe pad"
echo "pads: the player's gamecontrollerdb.txt is read at start-up"
echo quit >&"${PROBE[1]}"
wait "$probe_pid" 2>/dev/null
probe_pid=

# The game: a real window, ended by Escape (the first skips the logo).
"$game" &
game_pid=$!
if ! gwin=$(wait_for_window "$game_pid" "Ramparion '07"); then
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended before it was asked to"
    fail "no window with the game's caption"
fi
xdotool windowfocus --sync "$gwin" 2>/dev/null
leave_on_escape "$game_pid" "$gwin" || fail "the game did not leave on Escape"
wait "$game_pid"
status=$?
game_pid=
[ "$status" -eq 0 ] || fail "the game left with status $status"
echo "game: left on Escape with status 0"
