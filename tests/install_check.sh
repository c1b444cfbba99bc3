#!/bin/sh
# Installs the build into a scratch prefix and checks what a desktop sees: the files in their
# places, the validators' verdicts, one id everywhere; then, given a display, runs the installed
# game from / and looks for its window class, its sound and its saved score.
build=$1
app_id=$2
version=$3
work=$(mktemp -d)
prefix=$work/usr
game_pid=
. "$(dirname "$0")/x_session.sh"
trap '[ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}

cmake --install "$build" --prefix "$prefix" > "$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }

desktop=$prefix/share/applications/$app_id.desktop
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
[ -x "$prefix/bin/ramparion" ] || fail "no bin/ramparion"
[ "$(ls "$prefix"/share/ramparion/data/*.ogg | wc -l)" -ge 18 ] || fail "the sound files are not in share/ramparion/data"
[ -f "$desktop" ] || fail "no $desktop"
[ -f "$metainfo" ] || fail "no $metainfo"
[ -f "$prefix/share/man/man6/ramparion.6" ] || fail "no man page"
for size in 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x$size/apps/$app_id.png
    [ -f "$icon" ] || fail "no ${size}px icon"
    [ "$(identify -format '%wx%h %[channels]' "$icon")" = "${size}x$size srgba" ] ||
        fail "the ${size}px icon is $(identify -format '%wx%h %[channels]' "$icon")"
done

# The validators, as a distribution's packaging checks run them (no network here).
command -v desktop-file-validate > /dev/null || fail "desktop-file-validate is missing: run scripts/install-deps.sh"
command -v appstreamcli > /dev/null || fail "appstreamcli is missing: run scripts/install-deps.sh"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net --strict "$metainfo" > "$work/as.log" 2>&1 || { cat "$work/as.log"; fail "appstreamcli validate"; }

# One id: desktop file name, its icon and window class, the metadata's id and launchable.
key() { sed -n "s/^$1=//p" "$desktop" | head -n 1; }
[ "$(key Icon)" = "$app_id" ] || fail "Icon=$(key Icon), not $app_id"
[ "$(key StartupWMClass)" = "$app_id" ] || fail "StartupWMClass=$(key StartupWMClass), not $app_id"
[ "$(key Exec)" = ramparion ] || fail "Exec=$(key Exec)"
grep -q "<id>$app_id</id>" "$metainfo" || fail "the metadata's id is not $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" || fail "the metadata launches another id"
newest=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n 1)
[ "$newest" = "$version" ] || fail "the newest release noted is $newest, the build is $version"
[ "$("$prefix/bin/ramparion" --version)" = "Ramparion '07 $version" ] || fail "the installed --version"
grep -q "^\.TH RAMPARION 6 .*$version" "$prefix/share/man/man6/ramparion.6" || fail "the man page names another version"
echo "installed: game, data, desktop file, metadata, icons at 64, 128 and 256, man page; validators pass; one id"

[ -n "$DISPLAY" ] || { echo "(no display: the installed game was not started)"; exit 0; }

# From /, with its own player's folder and the sound written to a file.
export XDG_DATA_HOME="$work/player"
(cd / && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" exec "$prefix/bin/ramparion" --window 2> "$work/game.err") &
game_pid=$!
class=$(key StartupWMClass)
if ! win=$(wait_for_class "$game_pid" "$class"); then
    kill -0 "$game_pid" 2>/dev/null || { cat "$work/game.err"; fail "the installed game ended at once"; }
    fail "no window whose class is the desktop file's StartupWMClass"
fi
wait_for_sound "$work/audio.raw" "$game_pid"
leave_on_escape "$game_pid" "$(newest_window "$class")" || fail "the installed game did not leave on Escape"
wait "$game_pid"
status=$?
game_pid=
[ "$status" -eq 0 ] || { cat "$work/game.err"; fail "the installed game left with status $status"; }
grep -q "no data folder" "$work/game.err" && fail "the installed game did not find its data from /"
[ -s "$work/audio.raw" ] && od -An -tx1 "$work/audio.raw" | grep -q '[1-9a-f]' || fail "the installed game played no sound"
[ "$(wc -c < "$XDG_DATA_HOME/ramparion/hiscore.dat")" -eq 8 ] || fail "no best score in the player's folder"
echo "the installed game ran from / with sound, its window class the desktop file's, its best score saved"
