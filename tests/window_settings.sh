#!/bin/sh
# The window kept in settings.ini reaches the real window, and only what the player changes is kept:
# a resize and Alt+Enter are saved at exit, --fullscreen holds for one run. On a 1600x1200 screen.
# usage: window_settings.sh GAME   (run under an X server)
set -u
game=$1
work=$(mktemp -d)
game_pid=
export XDG_DATA_HOME="$work/data"
export SDL_AUDIODRIVER=dummy
app_id=io.github.ramparion.Ramparion
. "$(dirname "$0")/x_session.sh"
file=$XDG_DATA_HOME/ramparion/settings.ini
trap '[ -n "$game_pid" ] && kill -9 "$game_pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*"
    [ -f "$file" ] && sed 's/^/  settings.ini: /' "$file"
    [ -f "$work/err" ] && grep -v '^ALSA' "$work/err" | sed 's/^/  stderr: /'
    exit 1
}
win=
size_is() { # size_is "W H" WHAT
    for _ in $(seq 400); do # generous: a busy machine starts the game slowly
        win=$(newest_window "$app_id")
        if [ -n "$win" ]; then
            eval "$(xdotool getwindowgeometry --shell "$win" 2>/dev/null)"
            [ "$WIDTH $HEIGHT" = "$1" ] && { sleep 0.3; return 0; }
        fi
        sleep 0.1
    done
    fail "$2: the window is ${WIDTH:-?}x${HEIGHT:-?}, not $1"
}
start() { # start WHAT [ARG]
    "$game" "$@" 2> "$work/err" &
    game_pid=$!
}
leave() {
    for _ in $(seq 150); do # the first Escape skips the logo, a later one leaves
        xdotool key --window "$win" Escape 2>/dev/null
        sleep 0.3
        kill -0 "$game_pid" 2>/dev/null || break
    done
    kill -0 "$game_pid" 2>/dev/null && fail "the game did not leave on Escape"
    wait "$game_pid" || fail "the game left with status $?"
    game_pid=
}
has() { grep -qx "$1" "$file" || fail "$2: no line \"$1\""; }

mkdir -p "$XDG_DATA_HOME/ramparion"
printf 'fullscreen = off\nwindow_size = 900x700\n' > "$file"
start
size_is "900 700" "the kept window"
xdotool windowsize "$win" 1000 750
size_is "1000 750" "resized"
leave
has "window_size = 1000x750" "the resized window"
has "fullscreen = off" "the resized window"

start --fullscreen
size_is "1600 1200" "--fullscreen"
leave
has "fullscreen = off" "after a --fullscreen run"

start
size_is "1000 750" "the window kept at exit"
xdotool key --window "$win" alt+Return
size_is "1600 1200" "after Alt+Enter"
leave
has "fullscreen = on" "after Alt+Enter"
has "window_size = 1000x750" "after Alt+Enter"
[ -z "$(grep -v '^ALSA' "$work/err")" ] || fail "the game said something"
echo "the kept window opens, a resize and Alt+Enter are kept, --fullscreen holds for one run"
