#!/bin/sh
# Times `pelicard-extract exporte` on a generated store of 100 000 messages
# against `undbx FILE DIR` extracting the same file into an empty folder, in
# the same run: raw copies (--brut) and text files (--texte).
#   bench/run_exporte.sh [BUILD_DIR] [MESSAGES]
#   FRESH_FS=1 bench/run_exporte.sh ...   (as root: see output_folder)
# Files go under /tmp and are deleted afterwards.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build-bench}
COUNT=${2:-100000}
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DPELICARD_BENCH=ON >/dev/null
cmake --build "$BUILD" -j1 --target dbx_gen pelicard-extract >/dev/null
WORK=$(mktemp -d /tmp/pelicard-bench.XXXXXX)
MOUNTS=
cleanup() {
  for m in $MOUNTS; do umount "$m" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT

# With FRESH_FS=1 (as root), each run writes into a file system of its own,
# made for it: ext4 spends most of a run looking for free inodes among the
# many freed by the runs before (even minutes before), which makes whichever
# tool comes after a deletion slower than it is.
FRESH_FS=${FRESH_FS:-0}
output_folder() {
  if [ "$FRESH_FS" = 1 ]; then
    truncate -s 4G "$WORK/$1.img"
    mkfs.ext4 -q -F -E lazy_itable_init=0,lazy_journal_init=0 "$WORK/$1.img"
    mkdir "$WORK/$1"
    mount -o loop "$WORK/$1.img" "$WORK/$1"
    MOUNTS="$MOUNTS $WORK/$1"
  else
    mkdir "$WORK/$1"
  fi
}
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
  for tool in undbx brut texte; do output_folder "$tool$round"; done
  sync
  t0=$(now); undbx "$WORK/bench.dbx" "$WORK/undbx$round" >/dev/null 2>&1 || true; t1=$(now)
  UNDBX=$(best "$UNDBX" "$(span "$t0" "$t1")")
  t0=$(now); "$BUILD/pelicard-extract" exporte "$WORK/bench.dbx" --brut --stockage "$WORK/brut$round" >"$WORK/brut.txt" 2>"$WORK/brut.err" || true; t1=$(now)
  BRUT=$(best "$BRUT" "$(span "$t0" "$t1")")
  t0=$(now); "$BUILD/pelicard-extract" exporte "$WORK/bench.dbx" --texte --stockage "$WORK/texte$round" >"$WORK/texte.txt" 2>"$WORK/texte.err" || true; t1=$(now)
  TEXTE=$(best "$TEXTE" "$(span "$t0" "$t1")")
done
UNDBX_FILES=$(find "$WORK/undbx1" -type f -not -path '*/lost+found/*' | wc -l)
BRUT_FILES=$(wc -l <"$WORK/brut.txt")
TEXTE_FILES=$(wc -l <"$WORK/texte.txt")

[ "$FRESH_FS" = 1 ] && echo "each run into a file system of its own"
printf 'undbx          %8.3f s  (%s files)\n' "$UNDBX" "$UNDBX_FILES"
printf 'exporte --brut %8.3f s  (%s files)\n' "$BRUT" "$BRUT_FILES"
printf 'exporte --texte%8.3f s  (%s files)\n' "$TEXTE" "$TEXTE_FILES"
printf 'brut/undbx     %8.3f  (target < 1)\n' "$(echo "$BRUT / $UNDBX" | bc -l)"
printf 'texte/undbx    %8.3f  (target at most 0.8)\n' "$(echo "$TEXTE / $UNDBX" | bc -l)"
