#!/bin/sh
# Starts the game in a real window, looks at it once it is up, and leaves with Escape.
game=$1
out=${2:-.}
. "$(dirname "$0")/x_session.sh"
"$game" &
pid=$!
win=$(wait_for_window "$pid" "Ramparion '07")
if [ -z "$win" ]; then
    if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid"
        echo "the game ended before it was asked to (status $?)"
        exit 1
    fi
    echo "no window with the game's caption"
    kill -9 "$pid"
    exit 1
fi
shoot_screen "$out/window_smoke.png" || echo "(no screenshot taken)"
xdotool windowfocus "$win" 2>/dev/null || true
if ! escape_until_gone "$pid" "$win"; then
    echo "the game did not leave on Escape"
    kill -9 "$pid"
    exit 1
fi
wait "$pid"
status=$?
[ "$status" -eq 0 ] || { echo "the game left with status $status"; exit 1; }
echo "window opened, shot taken, left on Escape with status 0"
