#!/bin/sh
# Installs what is missing, builds everything and runs every test: plain, sanitized and threaded.
set -e
cd "$(dirname "$0")"
scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

# Address and undefined-behaviour sanitizers over the same tests (the generators are checked above).
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRAMPARION_SANITIZE=ON -DRAMPARION_GENERATORS=OFF >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j"$jobs")

# The mixer against the game thread under ThreadSanitizer: the stress test, and short games mixed on
# SDL's own audio thread.
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRAMPARION_TSAN=ON -DRAMPARION_GENERATORS=OFF >/dev/null
cmake --build build-tsan -j"$jobs" --target ramparion_tests soak
(cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -R 'stress|live_audio' --no-tests=ignore)
# The same game on 64-bit ARM: cross-built, and its unit tests, golden replays and arm64 package run
# under qemu-aarch64. Tests that need X, a sound server, a real window or many thousand frames stay
# with the native builds above (README, "Raspberry Pi and other ARM machines").
scripts/cross-arm64.sh --target ramparion ramparion-replay ramparion_tests
native_only='autoplayed_games|same_game_on_every_screen_and_across_the_clock_wrap|replay_input|replay_high_score_is_kept'
native_only="$native_only|live_audio_games|games_back_to_back_leak_nothing|killed_saves_leave_old_or_new|bench_tools_reach_what_they_measure"
(cd build-arm64 && ctest --output-on-failure -j"$jobs" -E "^($native_only)\$")
echo "all tests passed"
