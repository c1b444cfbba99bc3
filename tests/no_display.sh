#!/bin/sh
# Without a desktop the game leaves at once with a non-zero status and says why.
game=$1
err=$(mktemp)
trap 'rm -f "$err"' EXIT
env -u DISPLAY -u WAYLAND_DISPLAY XDG_RUNTIME_DIR=/nonexistent timeout 60 "$game" 2> "$err"
status=$?
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] || { echo "status $status (124: it kept running)"; exit 1; }
grep -q '^ramparion: cannot open the display' "$err" || { echo "no clear message:"; cat "$err"; exit 1; }
[ "$(grep -c '^ramparion:' "$err")" -eq 1 ] || { echo "more than one message:"; cat "$err"; exit 1; }
echo "left with status $status: $(grep '^ramparion:' "$err")"
