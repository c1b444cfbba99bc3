#!/bin/sh
# Autoplayed games whose sound is mixed on SDL's own audio thread (the dummy driver, so no sound
# card is needed), each to its end screen or FRAMES frames. Fails on any sanitizer report, or when
# the device never called the mixer or the game never touched a channel.
# usage: live_audio_games.sh SOAK FRAMES DIFFICULTY...
set -u
soak=$1
frames=$2
shift 2
export SDL_AUDIODRIVER=dummy
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
err=$(mktemp)
trap 'rm -f "$err"' EXIT
status=0
clock=17
for difficulty in "$@"; do
    out=$("$soak" games --live-audio --games 1 --frames "$frames" --difficulty "$difficulty" --clock "$clock" 2>"$err")
    code=$?
    echo "$out"
    ops=$(echo "$out" | sed -n 's/.*voice operations \([0-9]*\).*/\1/p')
    if [ "$code" -ne 0 ] || grep -q -E "Sanitizer|runtime error" "$err" || [ "${ops:-0}" -eq 0 ]; then
        echo "$difficulty: exit $code, ${ops:-no} voice operations"
        cat "$err"
        status=1
    fi
    clock=$((clock + 1))
done
exit $status
