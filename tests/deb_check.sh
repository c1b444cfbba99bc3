#!/bin/sh
# Builds the Debian package from a build folder with cpack and reads it back without installing:
# its file name, control fields, the library dependencies against what the game links, every file
# with its owner and mode, a stripped game, a gzipped manual page and a changelog dpkg can read.
# With --install (as root, on a machine where the package may come and go) it also installs it with
# apt-get, starts the game from / (in a real window from its menu entry's command, given a display),
# then removes and purges it and looks for anything left behind.
# With --arch=ARCH it checks a cross build's package for another Debian architecture (its programs
# run under qemu), which is never installed here.
#   deb_check.sh CPACK BUILD SOURCE VERSION APP_ID [--install] [--arch=ARCH]
cpack=$1
build=$2
source=$3
version=$4
app_id=$5
mode=
arch=$(dpkg --print-architecture)
native=$arch
for option in "$6" "$7"; do
    case "$option" in
    --install) mode=--install ;;
    --arch=*) arch=${option#--arch=} ;;
    esac
done
work=$(mktemp -d)
game_pid=
installed=
. "$(dirname "$0")/x_session.sh"
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2> /dev/null
    # A failed check leaves no package behind.
    [ -n "$installed" ] && DEBIAN_FRONTEND=noninteractive apt-get purge -y -q ramparion > /dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}

for tool in dpkg-deb dpkg-shlibdeps dpkg-parsechangelog dpkg-architecture; do
    command -v $tool > /dev/null || fail "$tool is missing: run scripts/install-deps.sh"
done
multiarch=$(dpkg-architecture -a "$arch" -q DEB_HOST_MULTIARCH 2> /dev/null) || fail "no such architecture: $arch"
run=
if [ "$arch" != "$native" ]; then
    [ "$mode" = --install ] && fail "--install needs a package for this machine ($native), not $arch"
    # dpkg-shlibdeps reads the foreign libraries with the cross objdump.
    export DEB_HOST_ARCH="$arch"
    export OBJDUMP="$multiarch-objdump"
    command -v "$OBJDUMP" > /dev/null || fail "$OBJDUMP is missing: run scripts/cross-arm64.sh"
    run="qemu-${multiarch%%-*} -L /usr/$multiarch"
fi
"$cpack" -G DEB -B "$work/out" --config "$build/CPackConfig.cmake" > "$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack -G DEB"; }
deb=$work/out/ramparion_${version}_$arch.deb
[ -f "$deb" ] || fail "no $(basename "$deb"); cpack made: $(ls "$work/out")"

field() { dpkg-deb -f "$deb" "$1"; }
expect_field() {
    [ "$(field "$1")" = "$2" ] || fail "$1 is \"$(field "$1")\", not \"$2\""
}
expect_field Package ramparion
expect_field Version "$version"
expect_field Architecture "$arch"
expect_field Section games
expect_field Priority optional
field Maintainer | grep -Eq '^[^<>]+ <[^<>@ ]+@[^<>@ ]+\.[a-z]+>$' || fail "Maintainer \"$(field Maintainer)\" is not a name and an address"
field Homepage | grep -q '^https://' || fail "no Homepage"
field Installed-Size | grep -Eq '^[0-9]+$' || fail "Installed-Size is \"$(field Installed-Size)\""
synopsis=$(field Description | head -n 1)
[ -n "$synopsis" ] && [ ${#synopsis} -le 80 ] || fail "the synopsis \"$synopsis\" is empty or too long"
[ "$(field Description | wc -l)" -ge 4 ] || fail "no long description"

# The files: all under /usr, root's, directories 755, files 644 but for the game.
dpkg-deb -c "$deb" > "$work/contents" || fail "dpkg-deb -c"
awk '$2 != "root/root" { print "owned by " $2 ": " $6 }
     $1 ~ /^d/ && $1 != "drwxr-xr-x" { print "directory " $1 ": " $6 }
     $1 ~ /^-/ && $1 != "-rw-r--r--" && $6 != "./usr/bin/ramparion" { print "file " $1 ": " $6 }
     $1 ~ /^-/ && $6 == "./usr/bin/ramparion" && $1 != "-rwxr-xr-x" { print "the game is " $1 }
     $1 !~ /^[-d]/ { print "neither file nor directory: " $6 }
     $6 !~ /^\.\/usr\// || $6 ~ /^\.\/usr\/local\// { print "outside /usr: " $6 }' "$work/contents" > "$work/bad"
[ -s "$work/bad" ] && { cat "$work/bad"; fail "files with the wrong place, owner or mode"; }
awk '$1 ~ /^-/ { sub(/^\.\//, "", $6); print $6 }' "$work/contents" | sort > "$work/files"
{
    echo usr/bin/ramparion
    echo usr/share/applications/$app_id.desktop
    echo usr/share/doc/ramparion/changelog.gz
    echo usr/share/doc/ramparion/copyright
    for size in 64 128 256; do echo usr/share/icons/hicolor/${size}x$size/apps/$app_id.png; done
    echo usr/share/lintian/overrides/ramparion
    echo usr/share/man/man6/ramparion.6.gz
    echo usr/share/metainfo/$app_id.metainfo.xml
    for ogg in "$source"/data/*.ogg; do echo "usr/share/ramparion/data/$(basename "$ogg")"; done
} | sort > "$work/wanted"
diff "$work/wanted" "$work/files" > "$work/files.diff" || { cat "$work/files.diff"; fail "the package's files differ from the install's (< wanted, > packaged)"; }

# The packaged files themselves, unpacked into a scratch folder.
dpkg-deb -x "$deb" "$work/root" || fail "dpkg-deb -x"
dpkg-deb -e "$deb" "$work/control" || fail "dpkg-deb -e"
(cd "$work/root" && md5sum --quiet -c "$work/control/md5sums") || fail "md5sums do not match the files"
[ "$(wc -l < "$work/control/md5sums")" -eq "$(wc -l < "$work/files")" ] || fail "md5sums does not list every file"
game=$work/root/usr/bin/ramparion
readelf -S "$game" | grep -q '\.symtab' && fail "the game is not stripped"
case "$arch" in
amd64) machine="Advanced Micro Devices X86-64" ;;
arm64) machine=AArch64 ;;
*) machine= ;;
esac
[ -z "$machine" ] || readelf -h "$game" | grep -q "Machine: *$machine\$" ||
    fail "the game is not built for $arch: $(readelf -h "$game" | grep Machine)"
# shellcheck disable=SC2086
[ "$(cd / && $run "$game" --version)" = "Ramparion '07 $version" ] || fail "the packaged game's --version"
zcat "$work/root/usr/share/man/man6/ramparion.6.gz" | grep -q "^\.TH RAMPARION 6 .*$version" || fail "the manual page"
zcat "$work/root/usr/share/doc/ramparion/changelog.gz" > "$work/changelog" || fail "the changelog is not gzipped"
[ "$(dpkg-parsechangelog -l "$work/changelog" -S Version)" = "$version" ] || fail "the changelog's newest entry is not $version"
copyright=$work/root/usr/share/doc/ramparion/copyright
grep -q "SIL Open Font License" "$copyright" || fail "the copyright file lacks the font's licence"
# Machine-readable: the format's header, a Files stanza for each licence and each licence's text, every
# text line indented (an empty line would end the stanza), no line ending in blanks.
head -1 "$copyright" | grep -qx "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ||
    fail "the copyright file does not name its format"
for l in MIT OFL-1.1; do
    [ "$(grep -c "^License: $l\$" "$copyright")" -eq 2 ] || fail "the copyright file lacks a Files stanza or the text for $l"
done
awk '/^License: (MIT|OFL-1.1)$/ && !files[$0]++ { next } /^License: / { body = 1; next } body && /^$/ { body = 0 } body && !/^ / { bad = 1 } END { exit bad }' \
    "$copyright" || fail "a licence text line is not indented"
grep -q '[[:space:]]$' "$copyright" && fail "the copyright file has lines ending in blanks"
grep -q "^ramparion: package-section-games-but-contains-no-game$" "$work/root/usr/share/lintian/overrides/ramparion" ||
    fail "the lintian override"

# Depends: one entry with a version for the package of each library the game links, nothing more.
field Depends | tr ',' '\n' | sed 's/^ *//' > "$work/depends"
readelf -d "$game" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' > "$work/needed"
[ -s "$work/needed" ] || fail "the game links no libraries?"
while read -r soname; do
    owner=$(dpkg -S "*/$multiarch/$soname" 2> /dev/null | grep "^[^ ]*:$arch: " | head -n 1 | cut -d: -f1)
    [ -n "$owner" ] || fail "no installed package holds $soname"
    echo "$owner"
done < "$work/needed" | sort -u > "$work/owners"
while read -r owner; do
    awk -v p="$owner" '$1 == p && $2 == "(>=" && $3 ~ /\)$/ { ok = 1 } END { exit !ok }' "$work/depends" ||
        fail "Depends lacks $owner (with a version): $(field Depends)"
done < "$work/owners"
[ "$(wc -l < "$work/depends")" -eq "$(wc -l < "$work/owners")" ] || fail "Depends has more than the game links: $(field Depends)"
echo "$(basename "$deb"): $(wc -c < "$deb") bytes, $(wc -l < "$work/files") files; Depends: $(field Depends)"

[ "$mode" = --install ] || exit 0

# Installed for real.
[ "$(id -u)" -eq 0 ] || fail "--install needs root"
dpkg -s ramparion > /dev/null 2>&1 && fail "ramparion is installed already"
cp "$deb" "$work/ramparion.deb"
installed=1
DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$work/ramparion.deb" > "$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; fail "apt-get install"; }
dpkg -L ramparion > "$work/installed"
[ "$(command -v ramparion)" = /usr/bin/ramparion ] || fail "ramparion is not on the PATH"
[ "$(cd / && ramparion --version)" = "Ramparion '07 $version" ] || fail "the installed --version"
desktop=/usr/share/applications/$app_id.desktop
desktop-file-validate "$desktop" || fail "the installed desktop file"
[ "$(man -w ramparion)" = /usr/share/man/man6/ramparion.6.gz ] || fail "man finds $(man -w ramparion)"
echo "installed: /usr/bin/ramparion runs from /, $desktop, man ramparion"

if [ -n "$DISPLAY" ]; then
    # As the menu starts it: its Exec line, from /, with a plain PATH and its own player's folder.
    exec_line=$(sed -n 's/^Exec=//p' "$desktop" | head -n 1)
    player=$work/player
    (cd / && exec env -i HOME="$work" PATH=/usr/local/bin:/usr/bin:/bin DISPLAY="$DISPLAY" XAUTHORITY="$XAUTHORITY" XDG_DATA_HOME="$player" \
        SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" sh -c "exec $exec_line" 2> "$work/game.err") &
    game_pid=$!
    if ! win=$(wait_for_class "$game_pid" "$app_id"); then
        kill -0 "$game_pid" 2> /dev/null || { cat "$work/game.err"; fail "the installed game ended at once"; }
        fail "no window of class $app_id"
    fi
    wait_for_sound "$work/audio.raw" "$game_pid"
    win=$(newest_window "$app_id")
    eval "$(xdotool getwindowgeometry --shell "$win")"
    echo "the menu's command opened a ${WIDTH}x$HEIGHT window of class $app_id"
    leave_on_escape "$game_pid" "$win" || fail "the installed game did not leave on Escape"
    wait "$game_pid"
    status=$?
    game_pid=
    [ "$status" -eq 0 ] || { cat "$work/game.err"; fail "the installed game left with status $status"; }
    grep -q "no data folder" "$work/game.err" && fail "the installed game did not find its data"
    od -An -tx1 "$work/audio.raw" | grep -q '[1-9a-f]' || fail "the installed game played no sound"
    [ -f "$player/ramparion/hiscore.dat" ] || fail "no best score in the player's folder"
    echo "the installed game ran with sound and saved its best score"
fi

DEBIAN_FRONTEND=noninteractive apt-get remove -y -q ramparion > "$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get remove"; }
[ -e /usr/bin/ramparion ] && fail "/usr/bin/ramparion is still there after apt-get remove"
# With no configuration files, removing already makes dpkg forget the package; else purge it.
if dpkg -s ramparion > /dev/null 2>&1; then
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -q ramparion > "$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get purge"; }
fi
dpkg -s ramparion > /dev/null 2>&1 && fail "dpkg still knows ramparion after the purge"
installed=
left=
while read -r path; do
    [ -e "$path" ] || continue
    [ -d "$path" ] && dpkg -S "$path" > /dev/null 2>&1 && continue # another package's folder too
    left="$left $path"
done < "$work/installed"
[ -z "$left" ] || fail "left behind:$left"
found=$(find /usr /etc -xdev \( -iname '*ramparion*' -o -name "*$app_id*" \) 2> /dev/null)
[ -z "$found" ] || fail "left behind: $found"
echo "removed and purged: nothing of ours left under /usr or /etc"
