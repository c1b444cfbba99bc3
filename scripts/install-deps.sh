#!/bin/sh
# Installs the Debian packages the game, its tests and its tools need, if any are missing.
set -e
packages="build-essential cmake pkg-config libsdl2-dev libpng-dev zlib1g-dev libfreetype-dev libvorbis-dev
libogg-dev libcairo2-dev libpixman-1-dev libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xdotool imagemagick
sox desktop-file-utils appstream dpkg-dev"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "installing:$missing"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
