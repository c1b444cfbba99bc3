#!/bin/sh
# Every C++ file of the game, its tests, tools and benches as .clang-format lays it out; lists those
# that differ.
root=${1:-.}
format=${2:-clang-format}
cd "$root" || exit 2
differ=""
for f in $(git ls-files '*.cpp' '*.h'); do
    "$format" --dry-run --Werror "$f" >/dev/null 2>&1 || differ="$differ $f"
done
if [ -n "$differ" ]; then
    echo "not formatted by .clang-format (clang-format -i FILE):"
    for f in $differ; do echo "  $f"; done
    exit 1
fi
echo "every file formatted"
