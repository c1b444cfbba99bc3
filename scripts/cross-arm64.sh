#!/bin/sh
# Cross-builds the game, the replay tool and the tests for 64-bit ARM into build-arm64/; ctest there
# runs them under qemu-aarch64. Installs what is missing first (as root, or through sudo).
#
# Usage: scripts/cross-arm64.sh [--deps-only] [cmake --build arguments, e.g. --target ramparion-replay]
set -e
cd "$(dirname "$0")/.."

packages="crossbuild-essential-arm64 qemu-user cmake pkg-config dpkg-dev
libsdl2-dev:arm64 libpng-dev:arm64 zlib1g-dev:arm64 libfreetype-dev:arm64 libvorbis-dev:arm64 libogg-dev:arm64
libgtest-dev:arm64 libgmock-dev:arm64 libbenchmark-dev:arm64"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "installing:$missing"
    if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
    dpkg --print-foreign-architectures | grep -qx arm64 || $sudo dpkg --add-architecture arm64
    $sudo apt-get update -qq
    # Unpacked without a disk sync per file: minutes faster for a few hundred packages, and a broken
    # unpack (a power cut) is mended by installing again.
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        -o Dpkg::Options::=--force-unsafe-io $missing
fi
[ "$1" = "--deps-only" ] && exit 0

launcher=""
command -v ccache >/dev/null && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
# The asset generators are host tools whose output is checked in; the native build checks them.
cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE="$PWD/scripts/aarch64-linux-gnu.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DRAMPARION_GENERATORS=OFF $launcher >/dev/null
cmake --build build-arm64 -j"$(nproc)" "$@"
