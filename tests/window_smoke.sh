#!/bin/sh
# Starts the game in a real window, looks at it after a second, and leaves with Escape.
game=$1
out=${2:-.}
"$game" &
pid=$!
sleep 2
if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"
    echo "the game ended before it was asked to (status $?)"
    exit 1
fi
import -window root "$out/window_smoke.png" 2>/dev/null || echo "(no screenshot taken)"
win=$(xdotool search --name "Ramparion '07" | head -n 1)
[ -n "$win" ] || { echo "no window with the game's caption"; kill -9 "$pid"; exit 1; }
xdotool windowfocus "$win" 2>/dev/null || true
for i in 1 2 3 4 5 6 7 8 9 10; do
    xdotool key --window "$win" Escape 2>/dev/null
    xdotool key Escape 2>/dev/null
    sleep 0.5
    kill -0 "$pid" 2>/dev/null || break
done
if kill -0 "$pid" 2>/dev/null; then
    echo "the game did not leave on Escape"
    kill -9 "$pid"
    exit 1
fi
wait "$pid"
status=$?
[ "$status" -eq 0 ] || { echo "the game left with status $status"; exit 1; }
echo "window opened, shot taken, left on Escape with status 0"
