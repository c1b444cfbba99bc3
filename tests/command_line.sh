#!/bin/sh
# The game's command line: --help and --version answer and leave; anything else is refused with
# the usage on stderr and status 2, before any window opens (no display is given).
game=$1
want_version=$2
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
failed=0
run() { # run EXPECTED_STATUS ARGS...: the status, stdout and stderr of one run
    want=$1
    shift
    env -u DISPLAY -u WAYLAND_DISPLAY XDG_RUNTIME_DIR=/nonexistent timeout 60 "$game" "$@" > "$out" 2> "$err"
    status=$?
    [ "$status" -eq "$want" ] || { echo "FAIL: '$*' left with status $status, not $want"; failed=1; }
}
has() { # has FILE TEXT WHAT
    grep -q -- "$2" "$1" || { echo "FAIL: $3"; cat "$1"; failed=1; }
}
empty() { # empty FILE WHAT
    [ -s "$1" ] && { echo "FAIL: $2:"; cat "$1"; failed=1; }
    return 0
}

run 0 --help
has "$out" "usage: ramparion" "--help prints no usage"
has "$out" "--fullscreen" "--help does not list --fullscreen"
has "$out" "--reduce-flashing" "--help does not list --reduce-flashing"
empty "$err" "--help wrote to stderr"

run 0 --version
[ "$(cat "$out")" = "Ramparion '07 $want_version" ] || { echo "FAIL: --version printed '$(cat "$out")'"; failed=1; }
empty "$err" "--version wrote to stderr"

for args in "--bogus" "-h" "--window extra" "--version --bogus" "--help -v" "--windowed" ""; do
    [ -z "$args" ] && set -- "" || set -- $args
    run 2 "$@"
    has "$err" "usage: ramparion" "'$*' gave no usage on stderr"
    empty "$out" "'$*' wrote to stdout"
done

# --window and --fullscreen are taken: without a desktop the game gets as far as the display.
for args in --window --fullscreen "--window --fullscreen" --reduce-flashing; do
    run 1 $args
    has "$err" "cannot open the display" "'$args' was not taken as an option"
done

[ "$failed" -eq 0 ] && echo "--help, --version, bad arguments and both window options answer as they should"
exit "$failed"
