# Sourced by the tests that start the real game or the probe in an X session: finding their
# windows, waiting for the game's sound and exit, leaving it with Escape. They wait for what the
# game does, never for a time it should have taken, since the machine may be busy. The limits are
# generous and are only there so a hung game fails instead of hanging the run.

# wait_for_search PID SEARCH...: prints the id of the first window `xdotool search SEARCH...`
# finds; fails when the game ends first or no window comes within a minute.
wait_for_search() {
    pid_=$1
    shift
    for _ in $(seq 600); do
        w=$(xdotool search "$@" 2>/dev/null | head -n 1)
        [ -n "$w" ] && { echo "$w"; return 0; }
        kill -0 "$pid_" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# wait_for_window PID NAME: the first window named NAME. wait_for_class PID CLASS: of class CLASS.
wait_for_window() { wait_for_search "$1" --name "$2"; }
wait_for_class() { wait_for_search "$1" --classname "^$2\$"; }

# newest_window CLASS: the id of the last window of class CLASS (SDL may swap the game's first
# window for one its renderer suits, so callers look afresh rather than keep the first id).
newest_window() { xdotool search --classname "^$1\$" 2>/dev/null | tail -n 1; }

# shoot_screen FILE: the whole X screen as a PNG; false if it could not be taken.
shoot_screen() { import -window root "$1" 2>/dev/null; }

# wait_for_sound FILE PID: waits until the disk audio driver's FILE holds a sound that is not
# silence (the logo's jingle: the game is under way), the game ends, or a minute passes.
wait_for_sound() {
    for _ in $(seq 600); do
        od -An -tx1 "$1" 2>/dev/null | grep -q '[1-9a-f]' && return 0
        kill -0 "$2" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# leave_on_escape PID WINDOW: puts the pointer in the window and presses Escape (the first skips
# the logo) until the game has ended, for up to a minute; false if it still runs.
leave_on_escape() {
    xdotool mousemove --window "$2" 20 20
    for _ in $(seq 200); do
        xdotool key Escape
        sleep 0.3
        kill -0 "$1" 2>/dev/null || return 0
    done
    ! kill -0 "$1" 2>/dev/null
}

# wait_for_lines FILE COUNT PID: waits until FILE (the game's stderr, say) holds COUNT lines
# that are not empty; false if the game ends first or a minute passes.
wait_for_lines() {
    for _ in $(seq 600); do
        [ "$(grep -c . "$1" 2>/dev/null)" -ge "$2" ] && return 0
        kill -0 "$3" 2>/dev/null || return 1
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
