# Sourced by the tests that start the real game: they wait for what the game does (a window,
# its exit), never for a time the game should have taken, since the machine may be busy.
# The limits are generous and are only there so a hung game fails instead of hanging the run.

# wait_for_window PID NAME: prints the id of the first window named NAME; fails when the game
# ends first or no window comes within a minute.
wait_for_window() {
    for _ in $(seq 600); do
        w=$(xdotool search --name "$2" 2>/dev/null | head -n 1)
        [ -n "$w" ] && { echo "$w"; return 0; }
        kill -0 "$1" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# wait_for_exit PID SECONDS: true once the process has ended, false if it still runs after SECONDS.
wait_for_exit() {
    n=$(($2 * 10))
    for _ in $(seq "$n"); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    ! kill -0 "$1" 2>/dev/null
}

# escape_until_gone PID [WINDOW]: presses Escape (the first skips the logo, the next leaves)
# until the game has ended, for up to a minute; false if it still runs.
escape_until_gone() {
    for _ in $(seq 120); do
        if [ -n "${2:-}" ]; then xdotool key --window "$2" Escape 2>/dev/null; fi
        xdotool key Escape 2>/dev/null
        wait_for_exit "$1" 1 && return 0
    done
    return 1
}
