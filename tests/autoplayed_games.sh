#!/bin/sh
# Autoplayed games with every sanitizer report fatal: each game runs to its end screen or to
# FRAMES presented frames; any report, crash or early stop fails. Prints games x frames.
# usage: autoplayed_games.sh REPLAY FRAMES DIFFICULTY:CLOCK...
set -u
replay=$1
frames=$2
shift 2
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
games=0
total=0
status=0
for game in "$@"; do
    difficulty=${game%%:*}
    clock=${game#*:}
    : >"$work/trace"
    # The trace has one line per presented frame: counting them counts the frames.
    "$replay" --autoplay "$difficulty" --games 1 --frames "$frames" --clock "$clock" \
        --trace "$work/trace" >"$work/out" 2>"$work/err"
    code=$?
    presented=$(wc -l <"$work/trace")
    result=$(sed -n 's/^game 1 [a-z]*: //p' "$work/out")
    games=$((games + 1))
    total=$((total + presented))
    if [ "$code" -ne 0 ] || grep -q -E "Sanitizer|runtime error" "$work/err"; then
        echo "$difficulty clock $clock: exit $code after $presented frames"
        cat "$work/err"
        status=1
    elif [ -z "$result" ] && [ "$presented" -ne "$frames" ]; then
        # Neither the end screen nor the frame limit: the program stopped on its own.
        echo "$difficulty clock $clock: stopped after $presented of $frames frames without ending the game"
        cat "$work/err"
        status=1
    else
        echo "$difficulty clock $clock: $presented frames, ${result:-no end screen within $frames frames}"
    fi
done
echo "$games games x $total frames in all, $([ $status -eq 0 ] && echo 0 || echo some) sanitizer reports or failures"
exit $status
