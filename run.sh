#!/bin/sh
# Installs what is missing, builds the game in build/ and starts it.
set -e
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target ramparion
exec build/ramparion
