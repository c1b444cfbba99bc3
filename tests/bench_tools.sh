#!/bin/sh
# The measuring programs still reach what they measure: frame_bench's tour passes every change of
# screen it reports on, and start-up reaches the battle with all 18 effects found. No timing is judged.
# usage: bench_tools.sh FRAME_BENCH STARTUP_BENCH
set -u
frame_bench=$1
startup_bench=$2
status=0
out=$("$frame_bench" --frames 3000 hitches) || status=1
# Once for the logo, at least twice for the rest: the tour goes round more than once.
check() {
    if ! echo "$out" | grep -q -E "^  $1.*\(($2|[1-9][0-9]+) seen\)"; then
        echo "frame_bench's tour did not pass \"$1\" as often as it should"
        status=1
    fi
}
check "logo -> attract" 1
for change in "menu -> game" "game -> pause" "pause -> game" "game -> end screen" "end screen -> attract"; do
    check "$change" "[2-9]"
done
echo "$out" | grep -q -E "^hitches +[1-9][0-9]{2,} " || { echo "frame_bench measured no play frames"; status=1; }

out=$("$startup_bench" --runs 1 headless effects) || status=1
echo "$out" | grep -q "(18 found)" || { echo "start-up did not find all 18 effects"; status=1; }
echo "$out" | grep "first world frame" | grep -q -v -- "once -" || { echo "start-up never reached the battle"; status=1; }
[ "$status" -eq 0 ] || echo "$out"
exit $status
