#!/bin/bash
# The pointer at the picture's four edges in real windows. Full screen holds it on the picture's
# edge, bars or not, so a move back answers at once; a window holds it inside while a game is
# played and lets it leave on every side otherwise. What the game reads stays on the picture.
# usage: window_edges.sh PROBE GAME SCREEN   (under an X server whose screen is SCREEN, WxH)
#   With a screen of 1920x1080 the probe also plays in a 1280x960 window, and the game itself is
#   tried in that window in its title menu and in a played game.
probe=$1
game=$2
screen=$3
. "$(dirname "$0")/x_session.sh"
probe_pid=
game_pid=
XDG_DATA_HOME=$(mktemp -d)
export XDG_DATA_HOME SDL_AUDIODRIVER=dummy
cleanup() {
    [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
    rm -rf "$XDG_DATA_HOME"
}
trap cleanup EXIT
fail() {
    echo "FAIL ($where): $*"
    exit 1
}

start_probe() { # start_probe [--fullscreen]
    coproc PROBE { exec "$probe" "$@"; }
    probe_pid=$PROBE_PID
    read -r -t 60 line <&"${PROBE[0]}" || fail "the probe did not open its window"
    [ "$line" = ready ] || fail "the probe said \"$line\""
    win=$(wait_for_window "$probe_pid" "Ramparion window probe") || fail "no probe window"
    xdotool windowfocus --sync "$win" 2>/dev/null
}
stop_probe() {
    echo quit >&"${PROBE[1]}"
    wait "$probe_pid" 2>/dev/null
    probe_pid=
}
ask() {
    echo "$1" >&"${PROBE[1]}"
    read -r -t 60 reply <&"${PROBE[0]}" || fail "the probe did not answer \"$1\""
}

# The system pointer, relative to window $win.
pointer() {
    eval "$(xdotool getwindowgeometry --shell "$win")"
    local wx=$X wy=$Y
    eval "$(xdotool getmouselocation --shell)"
    px=$((X - wx))
    py=$((Y - wy))
}

# moved_to WX WY: moves the system pointer to window position (WX, WY), perhaps outside, and
# waits for the window to have answered: it has put the pointer elsewhere, or the probe has read
# it (the probe answers only between frames, after the window's events).
moved_to() {
    xdotool mousemove --window "$win" -- "$1" "$2"
    ask where
    ask where
}

# held_at WX WY WANT_X WANT_Y READ: the pointer sent to (WX, WY) comes to rest at (WANT_X, WANT_Y)
# (a range a..b each), and the probe reads READ.
held_at() {
    moved_to "$1" "$2"
    for _ in $(seq 300); do
        pointer
        if in_range "$px" "$3" && in_range "$py" "$4"; then
            ask where
            [ "$reply" = "at $5" ] && return 0
        fi
        sleep 0.1
    done
    fail "sent to ($1, $2) the pointer is at ($px, $py), read as \"$reply\"; wanted ($3, $4), \"at $5\""
}
in_range() { # in_range V A..B or V A
    local lo=${2%..*} hi=${2#*..}
    [ "$1" -ge "$lo" ] && [ "$1" -le "$hi" ]
}

# free_at INX INY OUTX OUTY READ: the pointer sent from (INX, INY) in the window on to (OUTX, OUTY)
# outside stays there, and the game reads READ: the picture's edge it left by.
free_at() {
    held_at "$1" "$2" "$1" "$2" "$(($1 / 2)) $(($2 / 2))"
    moved_to "$3" "$4"
    sleep 0.3 # some frames: a pointer taken back would show now
    ask where
    pointer
    [ "$px" = "$3" ] && [ "$py" = "$4" ] || fail "sent to ($3, $4) outside the window, the pointer was taken back to ($px, $py)"
    [ "$reply" = "at $5" ] || fail "the pointer gone out at ($3, $4) reads \"$reply\", not \"at $5\""
}

sw=${screen%x*}
sh=${screen#*x}

# Full screen: 2x with bars all round on 1920x1080; filled with bars left and right on 1366x768.
where="full screen on $screen"
start_probe --fullscreen
case $screen in
1920x1080) x0=320 x1=1599 y0=60 y1=1019 ;;
1366x768) x0=171 x1=1194 y0=0 y1=767 ;;
*) fail "no figures for this screen" ;;
esac
for play in 0 1; do # held in the title menu as in play
    ask "play $play"
    held_at $((sw - 20)) 500 "$x1" 500 "639 $(((500 - y0) * 480 / (y1 - y0 + 1)))"
    # One pixel back is a move the game sees at once.
    xdotool mousemove --window "$win" $((x1 - 4)) 500
    for _ in $(seq 300); do ask where; [ "${reply% *}" != "at 639" ] && break; sleep 0.1; done
    case $reply in "at 63"[78]" "*) ;; *) fail "a move back from the right edge read \"$reply\"" ;; esac
    held_at 5 500 "$x0" 500 "0 $(((500 - y0) * 480 / (y1 - y0 + 1)))"
    held_at 900 $((sh - 1)) 900 "$y1" "$(((900 - x0) * 640 / (x1 - x0 + 1))) 479"
    held_at 900 0 900 "$y0" "$(((900 - x0) * 640 / (x1 - x0 + 1))) 0"
done
stop_probe
echo "$where: held at the picture's edge on all four sides, in play and not; a move back is read at once"

[ "$screen" = 1920x1080 ] || exit 0

# A 1280x960 window: the picture twice over, filling it.
where="a 1280x960 window"
start_probe
xdotool windowsize "$win" 1280 960
for _ in $(seq 300); do
    eval "$(xdotool getwindowgeometry --shell "$win")"
    [ "$WIDTH" = 1280 ] && [ "$HEIGHT" = 960 ] && break
    sleep 0.1
done
ask "play 0"
held_at 640 480 640 480 "320 240"
free_at 1270 480 1330 480 "639 240"
free_at 10 480 -40 480 "0 240"
free_at 640 950 640 1000 "320 479"
free_at 640 8 640 -30 "320 0"
held_at 100 100 100 100 "50 50" # taken up again where it comes back
ask "play 1"
held_at 640 480 640 480 "320 240"
held_at 1330 480 1279 480 "639 240"
held_at -40 480 0 480 "0 240"
held_at 640 1000 640 959 "320 479"
held_at 640 -30 640 0 "320 0"
stop_probe
echo "$where: free to leave on all four sides outside play, held inside on all four in play"

# The game itself in that window: its title menu lets the pointer go, a played game holds it.
where="the game in a 1280x960 window"
"$game" --window 2>/dev/null &
game_pid=$!
win=$(wait_for_window "$game_pid" "Ramparion '07") || fail "no game window"
xdotool windowfocus --sync "$win" 2>/dev/null
escape_logo() {
    xdotool key space
}
# Past the logo, the game puts the pointer on "Start New Game" (picture 320, 195).
for _ in $(seq 600); do
    xdotool key space
    sleep 0.1
    pointer
    [ "$px" = 640 ] && [ "$py" = 390 ] && break
done
[ "$px" = 640 ] && [ "$py" = 390 ] || fail "the title menu never put the pointer on \"Start New Game\""
game_free_at() { # the game's own edge test runs every frame: the pointer must still be let go
    xdotool mousemove --window "$win" -- "$1" "$2"
    sleep 0.5
    pointer
    [ "$px" = "$1" ] && [ "$py" = "$2" ] || fail "in the title menu, sent to ($1, $2) the pointer was taken back to ($px, $py)"
}
game_free_at -40 300
game_free_at 1330 300
game_free_at 600 -30
game_free_at 600 1000
# A click on "Start New Game" starts a game, which puts the pointer at picture (320, 300).
xdotool mousemove --window "$win" 640 390
sleep 0.3
xdotool click 1
for _ in $(seq 600); do
    pointer
    [ "$px" = 640 ] && [ "$py" = 600 ] && break
    sleep 0.1
done
[ "$px" = 640 ] && [ "$py" = 600 ] || fail "no game started"
game_held_at() { # game_held_at WX WY WANT_X WANT_Y
    xdotool mousemove --window "$win" -- "$1" "$2"
    for _ in $(seq 600); do
        pointer
        in_range "$px" "$3" && in_range "$py" "$4" && return 0
        sleep 0.1
    done
    fail "in play, sent to ($1, $2) the pointer is at ($px, $py), not ($3, $4)"
}
# On the left and top the game's own test then takes it one picture pixel in.
game_held_at -40 300 0..3 300
game_held_at 1330 300 1279 300
game_held_at 600 -30 600 0..3
game_held_at 600 1000 600 959
escape_until_gone "$game_pid" || fail "the game did not leave"
game_pid=
echo "$where: the title menu lets the pointer leave on all four sides, a played game holds it on all four"
