#!/bin/sh
# Times the save of a whole Outlook Express store folder (FOLDERS generated
# .dbx files of MESSAGES each, no Folders.dbx: every file is a top-level
# folder) with `pelicard-extract exporte STORE --brut` and `--texte` against
# `undbx STORE OUT` on the same folder, in the same run; also the tree
# (`pelicard-extract dossiers STORE`). Median of three rounds of each, every
# round into a fresh empty folder.
#   bench/run_store.sh [BUILD_DIR] [FOLDERS] [MESSAGES]
# Files go under /tmp and are deleted afterwards.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build-bench}
FOLDERS=${2:-5}
COUNT=${3:-20000}
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DPELICARD_BENCH=ON >/dev/null
cmake --build "$BUILD" -j1 --target dbx_gen pelicard-extract >/dev/null
WORK=$(mktemp -d /tmp/pelicard-bench.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
mkdir "$WORK/store"
k=1
while [ "$k" -le "$FOLDERS" ]; do
  "$BUILD/bench/dbx_gen" "$WORK/store/Dossier$k.dbx" "$COUNT" 4600 "$k" >/dev/null
  python3 "$ROOT/bench/undbx_fixup.py" "$WORK/store/Dossier$k.dbx"
  k=$((k + 1))
done
du -sb "$WORK/store" | awk -v f="$FOLDERS" -v c="$COUNT" '{printf "store: %d files of %d messages, %.0f MB\n", f, c, $1 / 1e6}'
cat "$WORK"/store/*.dbx >/dev/null  # warm the page cache

now() { date +%s.%N; }
span() { echo "$2 - $1" | bc; }
median() { printf '%s\n' "$@" | sort -g | sed -n 2p; }
U= B= T= D=
for round in 1 2 3; do
  mkdir "$WORK/u$round" "$WORK/b$round" "$WORK/t$round"
  t0=$(now); undbx "$WORK/store" "$WORK/u$round" >/dev/null 2>&1 || true; t1=$(now)
  U="$U $(span "$t0" "$t1")"
  t0=$(now); "$BUILD/pelicard-extract" exporte "$WORK/store" --brut --stockage "$WORK/b$round" >/dev/null 2>"$WORK/b.err" || true; t1=$(now)
  B="$B $(span "$t0" "$t1")"
  t0=$(now); "$BUILD/pelicard-extract" exporte "$WORK/store" --texte --stockage "$WORK/t$round" >/dev/null 2>"$WORK/t.err" || true; t1=$(now)
  T="$T $(span "$t0" "$t1")"
  t0=$(now); "$BUILD/pelicard-extract" dossiers "$WORK/store" >"$WORK/d.txt" 2>/dev/null || true; t1=$(now)
  D="$D $(span "$t0" "$t1")"
done
echo "rounds (s): undbx$U | brut$B | texte$T | dossiers$D"
UM=$(median $U); BM=$(median $B); TM=$(median $T); DM=$(median $D)
printf 'undbx STORE OUT          %8.3f s  (%s files)\n' "$UM" "$(find "$WORK/u1" -type f | wc -l)"
printf 'exporte STORE --brut     %8.3f s  (%s files)\n' "$BM" "$(find "$WORK/b1" -type f | wc -l)"
printf 'exporte STORE --texte    %8.3f s  (%s files)\n' "$TM" "$(find "$WORK/t1" -type f | wc -l)"
printf 'dossiers STORE           %8.3f s  (%s folders)\n' "$DM" "$(wc -l <"$WORK/d.txt")"
printf 'brut/undbx               %8.3f  (target <= 1)\n' "$(echo "$BM / $UM" | bc -l)"
printf 'texte/undbx              %8.3f\n' "$(echo "$TM / $UM" | bc -l)"
