#!/usr/bin/env bash
# Builds Pelicard and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELICARD_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)"
if [ -x build/pelicard ]; then
  exec build/pelicard "$@"
fi
exec build/pelicard-extract --help
