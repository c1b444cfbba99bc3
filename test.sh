#!/bin/sh
# Installs what is missing, builds everything and runs every test: plain, sanitized, threaded and
# on 64-bit ARM under emulation.
set -e
cd "$(dirname "$0")"
start=$(date +%s)
# How long the run has taken so far, after each stage (the whole run is meant for 30 minutes).
took() { echo "== $1 done after $(($(date +%s) - start)) s"; }
# No test may hang the run: one that has no limit of its own gets five minutes.
limit=300
jobs=$(nproc)

scripts/install-deps.sh developer
# The arm64 toolchain and libraries arrive while the plain build compiles: the download and the
# unpacking wait on the network and the disk, the compiler on the processors. Never left halfway.
mkdir -p build
scripts/cross-arm64.sh --deps-only >build/arm64-deps.log 2>&1 &
arm64_deps=$!
trap 'wait' EXIT

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DRAMPARION_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
# No package manager at work while the tests run (the package test reads its database).
if ! wait $arm64_deps; then
    cat build/arm64-deps.log
    echo "the arm64 toolchain could not be installed"
    exit 1
fi
took "plain build (and the arm64 toolchain)"
(cd build && ctest --output-on-failure --timeout $limit -j"$jobs")
took "plain tests"

# The sanitized builds at -O1 with line tables: as thorough, and half the compiling of -O2 -g.
sanitized_flags="-O1 -g1 -DNDEBUG"

# Address and undefined-behaviour sanitizers over the same tests (the generators are checked above).
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$sanitized_flags" \
    -DRAMPARION_SANITIZE=ON -DRAMPARION_GENERATORS=OFF -DBUILD_TESTING=ON -DRAMPARION_WERROR=ON >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure --timeout $limit -j"$jobs")
took "address and undefined-behaviour sanitizers"

# The mixer against the game thread under ThreadSanitizer: the stress tests, and short games mixed on
# SDL's own audio thread.
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$sanitized_flags" \
    -DRAMPARION_TSAN=ON -DRAMPARION_GENERATORS=OFF -DBUILD_TESTING=ON -DRAMPARION_WERROR=ON >/dev/null
cmake --build build-tsan -j"$jobs" --target ramparion_tests soak
(cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure --timeout $limit -R 'stress|live_audio' --no-tests=ignore)
took "thread sanitizer"

# The same game on 64-bit ARM: cross-built, then under qemu-aarch64 (a hundred times slower, most of
# it decoding the sounds each program loads) the unit tests of what differs between processors (span
# kernels, maths, movement, collision), two golden replays and the arm64 package. The rest, and the
# tests that need X, a sound server or a real window, run natively above (README).
scripts/cross-arm64.sh --target ramparion ramparion-replay ramparion_tests
arm_units='renderer_equivalence|extended_trig|trig|random|float_to_int|collision|blend|primitives|filtering|sampling'
arm_units="$arm_units|coverage|draw_state|cannon_ball_test|nuke_rocket|fighters|corpus"
(cd build-arm64 && ctest --output-on-failure --timeout $limit -j"$jobs" -R "^(($arm_units)\\..*|golden_replays|committed_demos_play_alike|deb_package|layers_include_only_below)\$")
took "arm64"
echo "all tests passed"
