#!/bin/sh
# Days the autoplayer survives: SEEDS games (clocks 101, 102, ...) on each difficulty, each to its end
# screen; prints every game and the median and best days per difficulty.
# usage: tools/bot_days.sh [SEEDS]   (env: BUILD, default build/)
set -e
src=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$src/build}
seeds=${1:-20}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target ramparion-replay -j"$(nproc)" >/dev/null
out=$(mktemp)
trap 'rm -f "$out"' EXIT
for difficulty in normal suicidal; do
    : >"$out"
    c=101
    while [ "$c" -lt $((101 + seeds)) ]; do
        "$build/ramparion-replay" --autoplay "$difficulty" --frames 500000 --clock "$c" 2>/dev/null |
            sed "s/^game 1/clock $c/" | tee -a "$out"
        c=$((c + 1))
    done
    sed -n 's/.*: \([0-9]*\) days,.*/\1/p' "$out" | sort -n | awk -v d="$difficulty" '
        { v[NR] = $1 }
        END {
            if (NR == 0) { print d ": no game finished"; exit 1 }
            m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
            printf "%s: %d games, days survived median %s, best %d, worst %d\n", d, NR, m, v[NR], v[1]
        }'
done
