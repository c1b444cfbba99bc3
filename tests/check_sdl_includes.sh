#!/bin/sh
# Only the platform layer (and the renderer benchmark's peer code) may talk to SDL.
root=${1:-.}
cd "$root" || exit 2
hits=$(grep -rlE '#\s*include\s*[<"](SDL2?/)?SDL[^>"]*[>"]' --include='*.cpp' --include='*.h' \
    services actors assets shell tools tests 2>/dev/null)
if [ -n "$hits" ]; then
    echo "SDL headers outside platform/:"
    echo "$hits"
    exit 1
fi
echo "only platform/ includes SDL"
