#!/bin/sh
# The golden replays and 20 autoplayed games (10 seeds on each difficulty, each to its end screen or
# 50,000 frames) under AddressSanitizer and UndefinedBehaviorSanitizer, every report fatal.
# usage: tools/sanitized_games.sh [SEEDS_PER_DIFFICULTY] [MAX_FRAMES]   (env: BUILD, default build-asan/)
set -e
src=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$src/build-asan}
seeds=${1:-10}
frames=${2:-50000}
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRAMPARION_SANITIZE=ON \
    -DRAMPARION_GENERATORS=OFF >/dev/null
cmake --build "$build" --target ramparion-replay -j"$(nproc)" >/dev/null
replay=$build/ramparion-replay
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

# The golden scripts, run as the golden test runs them; whether they still match is that test's business.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
replays=0
replay_frames=0
for script in "$src"/tests/replays/*.script; do
    name=$(basename "$script" .script)
    shots=$(sed -n 's/^# shots: //p' "$script")
    args=""
    for n in ${shots:-40 150 280}; do args="$args --shot $n:$work/$name.$n.png"; done
    # shellcheck disable=SC2086
    if ! "$replay" --script "$script" --trace "$work/$name.jsonl" $args 2>"$work/err" >/dev/null ||
        grep -q -E "Sanitizer|runtime error" "$work/err"; then
        echo "golden replay $name failed:"
        cat "$work/err"
        status=1
    fi
    replays=$((replays + 1))
    replay_frames=$((replay_frames + $(wc -l <"$work/$name.jsonl")))
done
echo "golden replays: $replays x $replay_frames frames in all"

games=""
i=1
while [ "$i" -le "$seeds" ]; do
    games="$games normal:$((1000 + 7919 * i)) suicidal:$((2000 + 7919 * i))"
    i=$((i + 1))
done
# shellcheck disable=SC2086
"$src/tests/autoplayed_games.sh" "$replay" "$frames" $games || status=1
[ "$status" -eq 0 ] && echo "sanitized games: no reports"
exit $status
