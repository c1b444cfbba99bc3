#!/bin/sh
# Each layer includes only the layers below it: platform, then services, then the game (assets,
# actors, shell). Only the platform layer (and the window probe that stands in for a player's pads)
# may talk to SDL.
root=${1:-.}
cd "$root" || exit 2
status=0

# includes FOLDERS PATTERN: the files under FOLDERS that include a header matching PATTERN.
includes() {
    folders=$1
    pattern=$2
    # shellcheck disable=SC2086
    grep -rlE "#[[:space:]]*include[[:space:]]*[<\"]($pattern)" --include='*.cpp' --include='*.h' $folders 2>/dev/null
}
report() {
    if [ -n "$2" ]; then
        echo "$1:"
        echo "$2"
        status=1
    fi
}

report "SDL headers outside platform/" "$(includes 'services actors assets shell harness tools tests' '(SDL2?/)?SDL' |
    grep -v '^tests/window_probe\.cpp$')"  # the probe plays pads through SDL's virtual joysticks
report "platform/ including a layer above it" "$(includes platform '(services|assets|actors|shell|harness|tools)/')"
report "services/ including the game" "$(includes services '(assets|actors|shell|harness|tools)/')"
report "assets/ including more than services and platform" "$(includes assets '(actors|shell|harness|tools)/')"

[ "$status" -eq 0 ] && echo "every layer includes only the layers below it; only platform/ includes SDL"
exit "$status"
