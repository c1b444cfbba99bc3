#!/bin/bash
# Alt+Enter between a window and full screen with the pointer right in both, F12 pictures equal
# to what is shown, the window's class, and the game's --window and --fullscreen, on a 2000x1500
# screen: full screen shows the picture 3x at (40, 30), the window 2x.
probe=$1
game=$2
probe_pid=
game_pid=
work=$(mktemp -d)
XDG_DATA_HOME=$work/data
export XDG_DATA_HOME
app_id=io.github.ramparion.Ramparion
. "$(dirname "$0")/x_session.sh"

cleanup() {
    [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
    rm -rf "$work"
}
fail() {
    echo "FAIL: $*"
    [ -f "$work/probe.err" ] && grep -v '^ALSA' "$work/probe.err"
    if [ -f "$work/game.err" ]; then
        echo "the game said:"
        grep -v '^ALSA' "$work/game.err"
    fi
    cleanup
    exit 1
}
trap cleanup EXIT

coproc PROBE { exec "$probe" 2> "$work/probe.err"; }
probe_pid=$PROBE_PID
read -r -t 60 line <&"${PROBE[0]}" || fail "the probe did not open its window"
win=$(wait_for_window "$probe_pid" "Ramparion window probe") || fail "no probe window"

ask() {
    echo "$1" >&"${PROBE[1]}"
    read -r -t 60 reply <&"${PROBE[0]}" || fail "the probe did not answer \"$1\""
}
expect() {
    ask "$1"
    [ "$reply" = "$2" ] || fail "$3: \"$1\" gave \"$reply\", not \"$2\""
}
# Waits until the window has the geometry "X Y W H".
geometry_is() {
    for _ in $(seq 600); do
        # SDL may swap the game's first window for one its renderer suits: find it afresh.
        [ -n "$game_pid" ] && win=$(newest_window "$app_id")
        eval "$(xdotool getwindowgeometry --shell "$win" 2>/dev/null)"
        [ "$X $Y $WIDTH $HEIGHT" = "$1" ] && { sleep 0.2; return 0; }
        sleep 0.1
    done
    fail "$2: the window is at $X,$Y ${WIDTH}x$HEIGHT, not $1"
}
pointer_at() { # pointer_at WX WY PX PY: window pixel to picture pixel
    xdotool mousemove --window "$win" "$1" "$2"
    for _ in $(seq 600); do
        ask where
        [ "$reply" = "at $3 $4" ] && return 0
        sleep 0.1
    done
    fail "window pixel ($1, $2) read \"$reply\", not \"at $3 $4\""
}
pointer_reads() { # pointer_reads PX PY SX SY: the game reads (PX, PY), the pointer is at screen (SX, SY)
    for _ in $(seq 600); do
        ask where
        [ "$reply" = "at $1 $2" ] && break
        sleep 0.1
    done
    [ "$reply" = "at $1 $2" ] || fail "$5: the game read \"$reply\", not \"at $1 $2\""
    eval "$(xdotool getmouselocation --shell)"
    [ "$X $Y" = "$3 $4" ] || fail "$5: the pointer is at ($X, $Y), not ($3, $4)"
}
# Waits for the next "screenshot saved to" line and checks the picture against the one drawn.
shots=0
check_shot() {
    local path=
    for _ in $(seq 600); do
        path=$(grep '^ramparion: screenshot saved to ' "$work/probe.err" | sed -n "$((shots + 1))p")
        [ -n "$path" ] && break
        sleep 0.1
    done
    [ -n "$path" ] || fail "$1: F12 saved nothing"
    shots=$((shots + 1))
    path=${path#ramparion: screenshot saved to }
    case $path in "$XDG_DATA_HOME/ramparion/screenshots/ramparion-"*.png) ;; *) fail "$1: saved to $path" ;; esac
    diff=$(compare -metric AE "$path" "$work/drawn.png" null: 2>&1)
    [ "$diff" = 0 ] || fail "$1: the screenshot differs from the frame in $diff pixels"
}
# The screen's picture rectangle, brought back to 640x480, against the frame drawn.
check_screen() { # check_screen X Y SCALE what
    shoot_screen "$work/screen.png" || fail "no screen capture"
    convert "$work/screen.png" -crop "$((640 * $3))x$((480 * $3))+$1+$2" +repage -sample 640x480! "$work/shown.png"
    diff=$(compare -metric AE "$work/shown.png" "$work/drawn.png" null: 2>&1)
    [ "$diff" = 0 ] || fail "$4: the screen differs from the frame in $diff pixels"
}

[ -n "$(xdotool search --classname "^$app_id\$")" ] || fail "no window of class $app_id"
geometry_is "360 270 1280 960" "a window on a 2000x1500 screen"
expect pattern ok
sleep 0.3
expect "save $work/drawn.png" ok

pointer_at 21 41 10 20
check_screen 360 270 2 "in the window"
xdotool key F12
check_shot "in the window"
ask frames
before=${reply#frames }

# Full screen at 3x: the pointer stays on picture pixel (10, 20), now at screen (40+31, 30+61).
xdotool key alt+Return
geometry_is "0 0 2000 1500" "after Alt+Enter"
pointer_reads 10 20 71 91 "after Alt+Enter"
pointer_at 1000 750 320 240
xdotool mousemove --window "$win" 0 0 # into the bar: held on the picture's corner
pointer_reads 0 0 40 30 "in the bar"
ask "move 64 48"
pointer_reads 64 48 233 175 "move_pointer in full screen"
check_screen 40 30 3 "in full screen"
xdotool key F12
check_shot "in full screen"

# Alt or Enter alone change nothing; Enter alone reaches the game as a key, Alt+Enter never.
xdotool key alt
xdotool key Return
sleep 0.3
geometry_is "0 0 2000 1500" "after Alt and Enter alone"
expect "key 13" "key 13 0 1" "Enter alone"
xdotool key ctrl+alt+Return
sleep 0.3
geometry_is "0 0 2000 1500" "after Control+Alt+Enter"
expect "key 13" "key 13 0 1" "Control+Alt+Enter" # not the switch: an ordinary Enter

# Back with the keypad's Enter; the pointer keeps its pixel, and no key is left down.
xdotool key alt+KP_Enter
geometry_is "360 270 1280 960" "after Alt+keypad Enter"
pointer_reads 64 48 488 366 "back in the window"
expect "key 13" "key 13 0 0" "after Alt+Enter"
ask "key 164"
case $reply in "key 164 0 "*) ;; *) fail "Alt is held after Alt+Enter: \"$reply\"" ;; esac
ask frames
[ "${reply#frames }" -gt "$before" ] || fail "no frames presented across the switches"
check_screen 360 270 2 "back in the window"

# A size the player gave the window is kept across full screen and back.
xdotool windowsize "$win" 1000 600
geometry_is "360 270 1000 600" "resized"
xdotool key alt+Return
geometry_is "0 0 2000 1500" "resized, then full screen"
xdotool key alt+Return
geometry_is "500 450 1000 600" "resized, full screen and back"
pointer_at 500 300 320 240
echo "probe: Alt+Enter both ways, pointer and pictures right in both modes, Alt or Enter alone do nothing, the window keeps its size"
echo quit >&"${PROBE[1]}"
wait "$probe_pid" 2>/dev/null
probe_pid=

# The game: --window and --fullscreen, F12 and Alt+Enter while it runs, left with Escape.
run_game() { # run_game ARG GEOMETRY
    "$game" "$1" 2> "$work/game.err" &
    game_pid=$!
    if ! win=$(wait_for_class "$game_pid" "$app_id"); then
        if ! kill -0 "$game_pid" 2>/dev/null; then
            wait "$game_pid"
            fail "the game ($1) ended with status $? before it was asked to"
        fi
        fail "no game window of class $app_id"
    fi
    geometry_is "$2" "the game with $1"
}
leave_game() {
    win=$(newest_window "$app_id")
    leave_on_escape "$game_pid" "$win" || fail "the game did not leave on Escape"
    wait "$game_pid"
    status=$?
    game_pid=
    [ "$status" -eq 0 ] || fail "the game left with status $status"
}

rm -rf "$XDG_DATA_HOME/ramparion/screenshots"
run_game --window "360 270 1280 960"
xdotool key F12
for _ in $(seq 600); do
    shot=$(ls "$XDG_DATA_HOME"/ramparion/screenshots/*.png 2>/dev/null | head -n 1)
    [ -n "$shot" ] && grep -q '^ramparion: screenshot saved to ' "$work/game.err" && break
    sleep 0.1
done
[ -n "$shot" ] || fail "F12 in the game saved nothing"
[ "$(identify -format '%wx%h' "$shot")" = 640x480 ] || fail "the game's screenshot is not 640x480"
[ "$(grep -c '^ramparion: screenshot' "$work/game.err")" = 1 ] || fail "not one line for one screenshot"
xdotool key alt+Return
geometry_is "0 0 2000 1500" "the game after Alt+Enter"
xdotool key alt+Return
geometry_is "360 270 1280 960" "the game after Alt+Enter twice"
leave_game
run_game --fullscreen "0 0 2000 1500"
leave_game
echo "game: --window and --fullscreen open as asked; F12 and Alt+Enter while it runs; left on Escape"
