#!/bin/sh
# Installs what is missing, builds everything and runs every test: plain, sanitized and threaded.
set -e
cd "$(dirname "$0")"
scripts/install-deps.sh developer
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DRAMPARION_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

# Address and undefined-behaviour sanitizers over the same tests (the generators are checked above).
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRAMPARION_SANITIZE=ON -DRAMPARION_GENERATORS=OFF -DBUILD_TESTING=ON -DRAMPARION_WERROR=ON >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j"$jobs")

# The mixer against the game thread under ThreadSanitizer: the stress test, and short games mixed on
# SDL's own audio thread.
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRAMPARION_TSAN=ON -DRAMPARION_GENERATORS=OFF -DBUILD_TESTING=ON -DRAMPARION_WERROR=ON >/dev/null
cmake --build build-tsan -j"$jobs" --target ramparion_tests soak
(cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -R 'stress|live_audio' --no-tests=ignore)
echo "all tests passed"
