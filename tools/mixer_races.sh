#!/bin/sh
# The mixer against the game thread under ThreadSanitizer: the sound stress test, then autoplayed games
# whose sound SDL's own audio thread mixes (the dummy driver), every report fatal.
# usage: tools/mixer_races.sh [MAX_FRAMES]   (env: BUILD, default build-tsan/)
set -e
src=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$src/build-tsan}
frames=${1:-20000}
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRAMPARION_TSAN=ON -DRAMPARION_GENERATORS=OFF >/dev/null
cmake --build "$build" --target ramparion_tests soak -j"$(nproc)" >/dev/null
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
"$build/tests/ramparion_tests" --gtest_filter='sound_stress*:mixer*:sound*' --gtest_brief=1
"$src/tests/live_audio_games.sh" "$build/bench/soak" "$frames" normal suicidal normal
echo "mixer races: no reports"
