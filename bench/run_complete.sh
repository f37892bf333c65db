#!/bin/sh
# Times `pelicard-extract exporte --complet` and `--pieces-jointes` on a
# generated store of 100 000 messages (one in ten with a base64 attachment)
# against `undbx FILE DIR` extracting the same file, in the same run; the
# median of three rounds of each, every round into a fresh empty folder.
#   bench/run_complete.sh [BUILD_DIR] [MESSAGES]
# Files go under /tmp and are deleted afterwards.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build-bench}
COUNT=${2:-100000}
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DPELICARD_BENCH=ON >/dev/null
cmake --build "$BUILD" -j1 --target dbx_gen pelicard-extract >/dev/null
WORK=$(mktemp -d /tmp/pelicard-bench.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
DBX_GEN_ATTACHMENTS=10 "$BUILD/bench/dbx_gen" "$WORK/bench.dbx" "$COUNT"
# undbx walks the tree by its counts (see undbx_fixup.py).
python3 "$ROOT/bench/undbx_fixup.py" "$WORK/bench.dbx"
ls -l "$WORK/bench.dbx" | awk '{printf "file: %.0f MB\n", $5 / 1e6}'
cat "$WORK/bench.dbx" >/dev/null  # warm the page cache

now() { date +%s.%N; }
span() { echo "$2 - $1" | bc; }
median() { printf '%s\n' "$@" | sort -g | sed -n 2p; }
U= C= P=
for round in 1 2 3; do
  mkdir "$WORK/u$round" "$WORK/c$round" "$WORK/p$round"
  t0=$(now); undbx "$WORK/bench.dbx" "$WORK/u$round" >/dev/null 2>&1 || true; t1=$(now)
  U="$U $(span "$t0" "$t1")"
  t0=$(now); "$BUILD/pelicard-extract" exporte "$WORK/bench.dbx" --complet --stockage "$WORK/c$round" >"$WORK/c.txt" 2>/dev/null || true; t1=$(now)
  C="$C $(span "$t0" "$t1")"
  t0=$(now); "$BUILD/pelicard-extract" exporte "$WORK/bench.dbx" --pieces-jointes --stockage "$WORK/p$round" >"$WORK/p.txt" 2>/dev/null || true; t1=$(now)
  P="$P $(span "$t0" "$t1")"
done
UM=$(median $U); CM=$(median $C); PM=$(median $P)
printf 'undbx                    %8.3f s  (%s files)\n' "$UM" "$(find "$WORK/u1" -type f | wc -l)"
printf 'exporte --complet        %8.3f s  (%s files)\n' "$CM" "$(wc -l <"$WORK/c.txt")"
printf 'exporte --pieces-jointes %8.3f s  (%s files)\n' "$PM" "$(wc -l <"$WORK/p.txt")"
printf 'complet/undbx            %8.3f  (target <= 1)\n' "$(echo "$CM / $UM" | bc -l)"
printf 'pieces-jointes/undbx     %8.3f  (target <= 1)\n' "$(echo "$PM / $UM" | bc -l)"
