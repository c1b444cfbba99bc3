#!/bin/sh
# The real game in a hostile place: it keeps running, says each problem in one line on stderr, and
# leaves cleanly when asked (SIGTERM, as a desktop asks), leaving a saved best score as it was.
# usage: hostile_environment.sh GAME CASE   (run under an X server; CASE below)
#   no_audio     no audio device
#   no_joystick  no pads at all: nothing to say
#   bad_sounds   data/ with a missing, an empty, a truncated and a garbage .ogg file
#   no_data      no data/ folder anywhere near the game
#   no_save      the folder for saved files cannot be made
set -u
game=$1
case_name=$2
work=$(mktemp -d)
game_pid=
trap '[ -n "$game_pid" ] && kill -9 "$game_pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() {
    echo "FAIL ($case_name): $*"
    [ -f "$work/err" ] && sed 's/^/  stderr: /' "$work/err"
    exit 1
}

# A copy of the game beside its own data folder, which the game prefers to any other.
mkdir -p "$work/game" "$work/home/ramparion"
cp "$game" "$work/game/ramparion"
src_data=$(cd "$(dirname "$0")/../data" && pwd)
mkdir "$work/game/data"
cp "$src_data"/*.ogg "$work/game/data/"
printf '\071\060\000\000\007\000\000\000' > "$work/home/ramparion/hiscore.dat" # 12345, 7 casualties
cp "$work/home/ramparion/hiscore.dat" "$work/saved"
export XDG_DATA_HOME="$work/home"
export SDL_AUDIODRIVER=dummy
want_lines=0
want=
start_lines= # lines said before it is asked to leave; all of them unless said otherwise

case $case_name in
no_audio)
    # SDL's own ALSA driver on a sound card that is not there: the sound library has its say
    # too, which must not reach stderr; without that driver in SDL, none is found at all.
    export SDL_AUDIODRIVER=alsa ALSA_CARD=no_such_card
    want_lines=1
    want="no audio output"
    ;;
no_joystick) ;;
bad_sounds)
    rm "$work/game/data/cannon.ogg"
    : > "$work/game/data/explode01.ogg"
    head -c 3000 "$src_data/introwar.ogg" > "$work/game/data/introwar.ogg"
    head -c 5000 "$src_data/theintro.ogg" | tr 'a-zA-Z0-9' 'n-za-mN-ZA-M5-90-4' > "$work/game/data/theintro.ogg"
    want_lines=4
    want="data/cannon.ogg: cannot open
data/explode01.ogg: neither Ogg Vorbis nor WAVE
data/introwar.ogg: truncated or damaged
data/theintro.ogg: neither Ogg Vorbis nor WAVE"
    ;;
no_data)
    rm -r "$work/game/data"
    want_lines=1
    want="no data folder found"
    ;;
no_save)
    : > "$work/not-a-folder"
    export XDG_DATA_HOME="$work/not-a-folder/data"
    want_lines=1
    start_lines=0 # said when the best score is saved, on leaving
    want="no folder for saved files; the best score was not saved"
    ;;
*)
    fail "no such case"
    ;;
esac

. "$(dirname "$0")/x_session.sh"
# Run from elsewhere, so the data folder is found beside the game and not in the working directory.
cd /
"$work/game/ramparion" 2> "$work/err" &
game_pid=$!
# Asked to leave once its window is up and it has said what it has to say (while it loads or
# shows the maker's logo).
wait_for_window "$game_pid" "Ramparion '07" > /dev/null || fail "the game did not keep running"
wait_for_lines "$work/err" "${start_lines:-$want_lines}" "$game_pid" || fail "the game did not keep running, or did not say its piece within a minute"
kill -TERM "$game_pid"
wait_for_exit "$game_pid" 60 || fail "the game hangs after being asked to leave"
wait "$game_pid"
status=$?
game_pid=
[ "$status" -eq 0 ] || fail "left with status $status"

lines=$(grep -c . "$work/err")
[ "$lines" -eq "$want_lines" ] || fail "$lines lines on stderr, not $want_lines"
echo "$want" | while IFS= read -r w; do
    [ -z "$w" ] && continue
    grep -q "^ramparion: .*$w" "$work/err" || fail "nothing says \"$w\""
done || exit 1
cmp -s "$work/saved" "$work/home/ramparion/hiscore.dat" || fail "the saved best score changed"
echo "$case_name: ran, left with status 0, $lines line(s) said, the saved best score kept"
[ -s "$work/err" ] && sed 's/^/  /' "$work/err"
exit 0
