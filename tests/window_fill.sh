#!/bin/bash
# Full screen on a 1366x768 laptop screen: 1x would leave wide bars, so the picture fills the
# height, 1024x768 at (171, 0), enlarged by nearest pixel before it is smoothed (colour bands come
# out pure, with no blended column); the pointer maps both ways; back in a window it is 1x again.
probe=$1
probe_pid=
work=$(mktemp -d)
XDG_DATA_HOME=$work/data
export XDG_DATA_HOME
. "$(dirname "$0")/x_session.sh"

cleanup() {
    [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null
    rm -rf "$work"
}
fail() {
    echo "FAIL: $*"
    [ -f "$work/probe.err" ] && grep -v '^ALSA' "$work/probe.err"
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
geometry_is() {
    for _ in $(seq 40); do
        eval "$(xdotool getwindowgeometry --shell "$win" 2>/dev/null)"
        [ "$X $Y $WIDTH $HEIGHT" = "$1" ] && { sleep 0.3; return 0; }
        sleep 0.1
    done
    fail "$2: the window is at $X,$Y ${WIDTH}x$HEIGHT, not $1"
}
reads() { # reads WHAT: waits for the probe's "where" to answer WHAT
    for _ in $(seq 30); do
        ask where
        [ "$reply" = "at $1" ] && return 0
        sleep 0.1
    done
    fail "$2: the game read \"$reply\", not \"at $1\""
}
pointer_at() { # pointer_at SX SY PX PY
    xdotool mousemove "$1" "$2"
    reads "$3 $4" "screen pixel ($1, $2)"
}
moved_to() { # moved_to PX PY SX SY: move_pointer lands on screen (SX, SY) and reads back
    ask "move $1 $2"
    reads "$1 $2" "move_pointer($1, $2)"
    eval "$(xdotool getmouselocation --shell)"
    [ "$X $Y" = "$3 $4" ] || fail "move_pointer($1, $2) put the pointer at ($X, $Y), not ($3, $4)"
}
# The colours along one screen row, as "count colour" runs.
row_runs() { # row_runs X Y W
    convert "$work/screen.png" -crop "$3x1+$1+$2" +repage txt:- | awk 'NR > 1 { print $3 }' | uniq -c |
        awk '{ printf "%s %s ", $1, $2 }'
}

ask pattern
sleep 0.3
ask "save $work/drawn.png"
xdotool key alt+Return
geometry_is "0 0 1366 768" "full screen"
shoot_screen "$work/screen.png" || fail "no screen capture"

# The eight colour bands, 80 picture pixels each, are 128 screen columns each with the bars
# beside them; a plain smoothing of 1.6x would blend a column at every edge.
bands="171 #000000 128 #00FF00 128 #20DF61 128 #40BFC2 128 #609F23 128 #807F84 128 #A05FE5 128 #C03F46 128 #E01FA7 171 #000000 "
[ "$(row_runs 0 100 1366)" = "$bands" ] || fail "the colour bands read $(row_runs 0 100 1366)"
[ "$(row_runs 0 0 1366)" = "$bands" ] || fail "the top row reads $(row_runs 0 0 1366)"
# The red stripe at picture rows 470-479 is screen rows 752-767, down to the last.
[ "$(row_runs 171 767 1024)" = "1024 #C81E1E " ] || fail "the bottom row reads $(row_runs 171 767 1024)"
[ "$(row_runs 171 752 1024)" = "1024 #C81E1E " ] || fail "screen row 752 reads $(row_runs 171 752 1024)"
# The one-pixel checkerboard keeps pure black and white cells among the blended ones.
pure=$(convert "$work/screen.png" -crop 96x72+640+485 +repage txt:- | grep -c -e '#0A0A0A' -e '#FAFAFA')
[ "$pure" -ge $((96 * 72 / 5)) ] || fail "only $pure of $((96 * 72)) checkerboard pixels are pure"
echo "full screen: 1024x768 at (171, 0), the bands pure to the column, $pure pure checkerboard pixels"

pointer_at 683 384 320 240
pointer_at 171 0 0 0
pointer_at 1194 767 639 479
pointer_at 10 300 0 187 # in the bar: the picture's edge
pointer_at 1365 0 639 0
moved_to 64 48 273 77
moved_to 639 479 1193 766
echo "pointer: screen to picture and back, bars to the edge"

xdotool key alt+Return
geometry_is "363 144 640 480" "back in a window"
shoot_screen "$work/screen.png" || fail "no screen capture"
convert "$work/screen.png" -crop 640x480+363+144 +repage "$work/shown.png"
diff=$(compare -metric AE "$work/shown.png" "$work/drawn.png" null: 2>&1)
[ "$diff" = 0 ] || fail "in the window the picture differs from the frame in $diff pixels"
pointer_at 363 144 0 0
echo "window: 1x again, pixel for pixel"
echo quit >&"${PROBE[1]}"
wait "$probe_pid" 2>/dev/null
probe_pid=
