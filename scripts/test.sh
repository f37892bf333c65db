#!/usr/bin/env bash
# Builds Pelicard and runs every test: the whole suite, the core suite again
# under AddressSanitizer and UndefinedBehaviorSanitizer, and a short run of
# each fuzz target.
#   PELICARD_FUZZ_SECONDS  seconds per fuzz target (default 20; 0 skips fuzzing)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --test
jobs=$(nproc)
start=$(date +%s)

echo "== Construction et tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELICARD_TESTS=ON -DPELICARD_WITH_QT=ON >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs" --timeout 300)

echo "== Tests sous AddressSanitizer et UndefinedBehaviorSanitizer (après $(( $(date +%s) - start )) s)"
# -O1: the sanitizers' usual level, several times faster than -O0 and as thorough.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DPELICARD_SANITIZE=ON \
  -DPELICARD_WITH_QT=OFF -DPELICARD_TESTS=ON >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j"$jobs" --timeout 1800)

secs=${PELICARD_FUZZ_SECONDS:-20}
if [ "$secs" -gt 0 ]; then
  echo "== Fuzzing ($secs s par cible, après $(( $(date +%s) - start )) s)"
  scripts/fuzz.sh "$secs"
fi
echo "== Tout est passé en $(( $(date +%s) - start )) s"
