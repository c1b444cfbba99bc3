#!/bin/bash
# Asked to leave while the maker's logo shows (SIGTERM as a desktop logging out sends it, and the
# window's close button), the real game leaves with status 0 and keeps the saved best score.
# The logo alone lasts 475 paced frames (about 8 s at 60 Hz) however fast the machine is; a game
# that waited for its end cannot leave within 7 s of the request, one that leaves at once does.
# The window carries the game's icon meanwhile.
# usage: window_quit.sh GAME X_CLOSE   (under an X server)
game=$1
x_close=$2
. "$(dirname "$0")/x_session.sh"
work=$(mktemp -d)
game_pid=
trap '[ -n "$game_pid" ] && kill -9 "$game_pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() {
    echo "FAIL ($how): $*"
    [ -f "$work/err" ] && sed 's/^/  stderr: /' "$work/err"
    exit 1
}

# The logo is on screen: a dark picture with the logo in its middle (the title menu is far brighter).
logo_shows() {
    m=$(import -window "$1" png:- 2>/dev/null | convert - -format "%[fx:mean>0.02 && mean<0.2]" info: 2>/dev/null)
    [ "$m" = 1 ]
}

for how in sigterm close_button; do
    mkdir -p "$work/$how/ramparion"
    printf '\071\060\000\000\007\000\000\000' > "$work/$how/ramparion/hiscore.dat" # 12345, 7 casualties
    cp "$work/$how/ramparion/hiscore.dat" "$work/saved"
    XDG_DATA_HOME="$work/$how" SDL_AUDIODRIVER=dummy "$game" --window 2> "$work/err" &
    game_pid=$!
    win=$(wait_for_window "$game_pid" "Ramparion '07") || fail "no window"
    shown=0
    for _ in $(seq 300); do
        logo_shows "$win" && { shown=1; break; }
        kill -0 "$game_pid" 2>/dev/null || fail "the game ended before it was asked to"
        sleep 0.1
    done
    [ "$shown" = 1 ] || fail "the logo never showed"
    # Its own icon, for window managers that read the window's property, not the desktop file.
    xprop -id "$win" _NET_WM_ICON | grep -q 'Icon (64 x 64)' || fail "the window has no 64x64 icon"
    start=$(date +%s%N)
    case $how in
    sigterm) kill -TERM "$game_pid" ;;
    close_button) "$x_close" "$win" || fail "could not ask the window to close" ;;
    esac
    wait_for_exit "$game_pid" 7 || fail "still running 7 s after the request: the logo played on"
    ms=$((($(date +%s%N) - start) / 1000000))
    wait "$game_pid"
    status=$?
    game_pid=
    [ "$status" -eq 0 ] || fail "left with status $status"
    cmp -s "$work/saved" "$work/$how/ramparion/hiscore.dat" || fail "the saved best score changed"
    [ -s "$work/err" ] && fail "something was said on stderr"
    echo "$how during the logo: left with status 0 after $ms ms, the best score kept byte for byte"
done
