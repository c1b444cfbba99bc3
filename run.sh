#!/bin/sh
# Installs what is missing, builds the game in build/ and starts it.
set -e
cd "$(dirname "$0")"
scripts/install-deps.sh game
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DRAMPARION_WERROR=OFF >/dev/null
cmake --build build -j"$(nproc)" --target ramparion
exec build/ramparion
