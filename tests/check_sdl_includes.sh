#!/bin/sh
# Only the platform layer (and the renderer benchmark's peer code, and the window probe that
# stands in for a player's pads) may talk to SDL.
root=${1:-.}
cd "$root" || exit 2
hits=$(grep -rlE '#\s*include\s*[<"](SDL2?/)?SDL[^>"]*[>"]' --include='*.cpp' --include='*.h' \
    services actors assets shell harness tools tests 2>/dev/null |
    grep -v '^tests/window_probe\.cpp$')  # the probe plays pads through SDL's virtual joysticks
if [ -n "$hits" ]; then
    echo "SDL headers outside platform/:"
    echo "$hits"
    exit 1
fi
echo "only platform/ includes SDL"
