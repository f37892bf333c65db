#!/bin/sh
# Times `pelicard-extract liste` on a generated store of 100 000 messages
# against `cat FILE >/dev/null` and `undbx FILE DIR`, in the same run.
#   bench/run_liste.sh [BUILD_DIR] [MESSAGES]
# Files go under /tmp and are deleted afterwards.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build-bench}
COUNT=${2:-100000}
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DPELICARD_BENCH=ON >/dev/null
cmake --build "$BUILD" -j1 --target dbx_gen pelicard-extract >/dev/null
WORK=$(mktemp -d /tmp/pelicard-bench.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
"$BUILD/bench/dbx_gen" "$WORK/bench.dbx" "$COUNT"
ls -l "$WORK/bench.dbx" | awk '{printf "file: %.0f MB\n", $5 / 1e6}'

now() { date +%s.%N; }
span() { echo "$2 - $1" | bc; }

cat "$WORK/bench.dbx" >/dev/null  # warm the page cache
t0=$(now); cat "$WORK/bench.dbx" >/dev/null; t1=$(now)
CAT=$(span "$t0" "$t1")
t0=$(now); "$BUILD/pelicard-extract" liste "$WORK/bench.dbx" >"$WORK/liste.txt" 2>"$WORK/liste.err"; t1=$(now)
LISTE=$(span "$t0" "$t1")
ROWS=$(wc -l <"$WORK/liste.txt")
mkdir "$WORK/undbx"
t0=$(now); undbx "$WORK/bench.dbx" "$WORK/undbx" >/dev/null 2>&1 || true; t1=$(now)
UNDBX=$(span "$t0" "$t1")
EML=$(ls "$WORK/undbx" | wc -l)

echo "liste: $(cat "$WORK/liste.err")"
printf 'cat      %8.3f s\n' "$CAT"
printf 'liste    %8.3f s  (%s rows)\n' "$LISTE" "$ROWS"
printf 'undbx    %8.3f s  (%s files)\n' "$UNDBX" "$EML"
printf 'liste/cat   %8.1f\n' "$(echo "$LISTE / $CAT" | bc -l)"
printf 'liste/undbx %8.3f\n' "$(echo "$LISTE / $UNDBX" | bc -l)"
