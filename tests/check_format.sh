#!/bin/sh
# Every C++ file of the game, its tests, tools and benches as .clang-format lays it out; lists those
# that differ.
root=${1:-.}
format=${2:-clang-format}
cd "$root" || exit 2
# One clang-format per batch of files, two batches at a time: a process per file costs most of it.
differ=$(git ls-files -z '*.cpp' '*.h' | xargs -0 -n 40 -P 2 "$format" --dry-run --Werror 2>&1 |
    sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error:.*/\1/p' | sort -u)
if [ -n "$differ" ]; then
    echo "not formatted by .clang-format (clang-format -i FILE):"
    for f in $differ; do echo "  $f"; done
    exit 1
fi
echo "every file formatted"
