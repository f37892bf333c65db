#!/bin/sh
# The recovery scan of the 100 000-message benchmark store against
# `undbx --recover` on the same file, in one run, median of 3.
#   bench/run_recover.sh BUILD_DIR [WORK_DIR]
# BUILD_DIR is a build made with -DPELICARD_BENCH=ON. The store (dbx_gen,
# about 590 MB) and a copy whose tree root is zeroed are written to WORK_DIR.
set -eu
build=$1
work=${2:-${TMPDIR:-/tmp}/pelicard-recover-bench}
mkdir -p "$work"
store=$work/bench100k.dbx
noroot=$work/bench100k-racine.dbx
[ -s "$store" ] || "$build/bench/dbx_gen" "$store" 100000 >/dev/null
if [ ! -s "$noroot" ]; then
  cp "$store" "$noroot"
  printf '\000\000\000\000' | dd of="$noroot" bs=1 seek=228 conv=notrunc status=none
fi
cat "$store" "$noroot" >/dev/null   # both in the page cache

median() { sort -n | sed -n 2p; }
seconds() {  # wall time of a command, in seconds
  start=$(date +%s.%N); "$@" >/dev/null 2>&1; end=$(date +%s.%N)
  echo "$end - $start" | bc
}

for f in "$store" "$noroot"; do
  echo "== $(basename "$f")"
  PELICARD_RECOVER_DBX=$f "$build/bench/bench_recover" --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true 2>/dev/null | grep -E "median"
  p=""; u=""
  for i in 1 2 3; do
    p="$p $(seconds "$build/pelicard-extract" liste "$f" --recuperer)"
    rm -rf "$work/undbx-out"; mkdir "$work/undbx-out"
    u="$u $(seconds undbx --recover -v 0 "$f" "$work/undbx-out")"
  done
  pm=$(echo $p | tr ' ' '\n' | median); um=$(echo $u | tr ' ' '\n' | median)
  echo "pelicard-extract liste --recuperer: median ${pm} s (runs:$p)"
  echo "undbx --recover:                    median ${um} s (runs:$u)"
  echo "ratio pelicard / undbx: $(echo "scale=3; $pm / $um" | bc)"
done
rm -rf "$work/undbx-out"
