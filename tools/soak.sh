#!/bin/sh
# Soak: attract mode and autoplayed games back to back, FRAMES each (default 10^6), memory and list
# sizes sampled every 10^4 frames on the C library's allocator (soak_plain) and judged: resident
# memory flat after the warm-up, no list growing. Then the same runs, LEAK_FRAMES each (default a
# tenth), under LeakSanitizer (soak), which checks each exit. Samples go to OUT (a TSV per run).
# usage: tools/soak.sh [FRAMES] [LEAK_FRAMES]   (env: BUILD=build folder, default build/; OUT=sample folder)
set -e
src=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$src/build}
frames=${1:-1000000}
leak_frames=${2:-$((frames / 10))}
out=${OUT:-$build/soak}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target soak soak_plain -j"$(nproc)" >/dev/null
mkdir -p "$out"
status=0
"$build/bench/soak_plain" attract --frames "$frames" --sample 10000 --judge --samples "$out/attract.tsv" || status=1
"$build/bench/soak_plain" games --frames "$frames" --sample 10000 --clock 4242 --judge --samples "$out/games.tsv" ||
    status=1
export LSAN_OPTIONS=exitcode=23
"$build/bench/soak" attract --frames "$leak_frames" --sample 10000 >/dev/null || status=1
"$build/bench/soak" games --frames "$leak_frames" --sample 10000 --clock 4242 >/dev/null || status=1
[ "$status" -eq 0 ] && echo "soak: memory flat, lists bounded, no leaks"
exit $status
