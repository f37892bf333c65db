#!/bin/sh
# Times `pelicard-extract exporte` on a generated store of 100 000 messages
# against `undbx FILE DIR` extracting the same file into an empty folder, in
# the same run: raw copies (--brut) and text files (--texte).
#   bench/run_exporte.sh [BUILD_DIR] [MESSAGES]
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
# undbx walks the tree by its counts (see undbx_fixup.py).
python3 "$ROOT/bench/undbx_fixup.py" "$WORK/bench.dbx"
ls -l "$WORK/bench.dbx" | awk '{printf "file: %.0f MB\n", $5 / 1e6}'

now() { date +%s.%N; }
span() { echo "$2 - $1" | bc; }

cat "$WORK/bench.dbx" >/dev/null  # warm the page cache

# Two rounds, each tool into a fresh empty folder; nothing is deleted until
# the end, so that no run pays for the inodes freed by another. The best
# time of each tool counts.
best() { if [ -z "$1" ] || [ "$(echo "$2 < $1" | bc)" = 1 ]; then echo "$2"; else echo "$1"; fi; }
UNDBX= BRUT= TEXTE=
for round in 1 2; do
  mkdir "$WORK/undbx$round" "$WORK/brut$round" "$WORK/texte$round"
  t0=$(now); undbx "$WORK/bench.dbx" "$WORK/undbx$round" >/dev/null 2>&1 || true; t1=$(now)
  UNDBX=$(best "$UNDBX" "$(span "$t0" "$t1")")
  t0=$(now); "$BUILD/pelicard-extract" exporte "$WORK/bench.dbx" --brut --stockage "$WORK/brut$round" >"$WORK/brut.txt" 2>"$WORK/brut.err" || true; t1=$(now)
  BRUT=$(best "$BRUT" "$(span "$t0" "$t1")")
  t0=$(now); "$BUILD/pelicard-extract" exporte "$WORK/bench.dbx" --texte --stockage "$WORK/texte$round" >"$WORK/texte.txt" 2>"$WORK/texte.err" || true; t1=$(now)
  TEXTE=$(best "$TEXTE" "$(span "$t0" "$t1")")
done
UNDBX_FILES=$(find "$WORK/undbx1" -type f | wc -l)
BRUT_FILES=$(wc -l <"$WORK/brut.txt")
TEXTE_FILES=$(wc -l <"$WORK/texte.txt")

printf 'undbx          %8.3f s  (%s files)\n' "$UNDBX" "$UNDBX_FILES"
printf 'exporte --brut %8.3f s  (%s files)\n' "$BRUT" "$BRUT_FILES"
printf 'exporte --texte%8.3f s  (%s files)\n' "$TEXTE" "$TEXTE_FILES"
printf 'brut/undbx     %8.3f  (target < 1)\n' "$(echo "$BRUT / $UNDBX" | bc -l)"
printf 'texte/undbx    %8.3f  (target at most 0.8)\n' "$(echo "$TEXTE / $UNDBX" | bc -l)"
