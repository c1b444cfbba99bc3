#!/bin/bash
# Runs one libFuzzer target for a bounded time: tools/fuzz.sh TARGET SECONDS
#
# TARGET is png, font, ogg, wav, hiscore or demo. The target is built with clang in build-fuzz/ (or
# $RAMPARION_FUZZ_BUILD), seeded from our own files and from tests/corpus/TARGET/, and run in one
# process. Its growing corpus stays in the build folder between runs. Any crash, leak or timeout
# input is copied to tests/corpus/TARGET/, where the normal tests replay it; the script then fails.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -ne 2 ] || ! [[ $2 =~ ^[0-9]+$ ]]; then
    echo "usage: tools/fuzz.sh png|font|ogg|wav|hiscore|demo SECONDS" >&2
    exit 2
fi
target=$1
seconds=$2
case $target in
    png) seeds=("$root"/assets/graphx/*.png) ;;
    font) seeds=("$root"/assets/fonts/*.ttf) ;;
    ogg) seeds=("$root"/data/*.ogg) ;;
    wav) seeds=("$root"/fuzz/seeds/wav/*) ;;
    hiscore) seeds=("$root"/fuzz/seeds/hiscore/*) ;;
    demo) seeds=("$root"/fuzz/seeds/demo/*) ;;
    *)
        echo "tools/fuzz.sh: no target \"$target\" (png, font, ogg, wav, hiscore, demo)" >&2
        exit 2
        ;;
esac
build=${RAMPARION_FUZZ_BUILD:-$root/build-fuzz}

# clang and its fuzzer runtime are only needed here, so the normal install leaves them out.
have_fuzzer() {
    command -v clang++ >/dev/null &&
        echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' |
        clang++ -x c++ -fsanitize=fuzzer - -o /dev/null 2>/dev/null
}
if ! have_fuzzer; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq clang libclang-rt-14-dev >/dev/null
fi

mkdir -p "$build"
if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DRAMPARION_GENERATORS=OFF >"$build/fuzz-configure.log" 2>&1 ||
        { cat "$build/fuzz-configure.log" >&2; exit 1; }
fi
cmake --build "$build" -j"$(nproc)" --target "${target}_fuzz" >"$build/fuzz-build.log" 2>&1 ||
    { tail -40 "$build/fuzz-build.log" >&2; exit 1; }

work=$build/fuzz/$target
rm -rf "$work/seeds" "$work/artifacts"
mkdir -p "$work/corpus" "$work/seeds" "$work/artifacts" "$root/tests/corpus/$target"
cp "${seeds[@]}" "$work/seeds/"
cp "$root/tests/corpus/$target"/* "$work/seeds/" 2>/dev/null || true

log=$work/last-run.log
set +e
# The timeout is wall time on a shared machine, where the instrumented build runs some hostile
# fonts' large glyphs for seconds; a real hang still stands out.
"$build/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
    -print_final_stats=1 -close_fd_mask=3 -artifact_prefix="$work/artifacts/" \
    "$work/corpus" "$work/seeds" >"$log" 2>&1
status=$?
set -e

# Slow inputs are only noted: they stay in the build folder, for whoever looks into speed.
found=0
slow=0
for f in "$work"/artifacts/*; do
    [ -e "$f" ] || continue
    case $(basename "$f") in
        slow-unit-*)
            slow=$((slow + 1))
            continue
            ;;
    esac
    cp "$f" "$root/tests/corpus/$target/"
    echo "kept $(basename "$f") in tests/corpus/$target/" >&2
    found=$((found + 1))
done

runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true)
[ -n "$done_line" ] || done_line=$(grep -E '^#[0-9]+[[:space:]]' "$log" | tail -1 || true)
cov=$(echo "$done_line" | sed -n 's/.* cov: \([0-9]*\).*/\1/p')
ft=$(echo "$done_line" | sed -n 's/.* ft: \([0-9]*\).*/\1/p')
corp=$(echo "$done_line" | sed -n 's/.* corp: \([0-9]*\).*/\1/p')
echo "$target: ${seconds} s, ${runs:-?} runs, coverage ${cov:-?} edges, ${ft:-?} features, corpus ${corp:-?}," \
    "$found crash/leak/timeout inputs, $slow slow (log: $log)"
if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
    tail -40 "$log" >&2
    exit 1
fi
