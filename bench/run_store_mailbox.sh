#!/bin/sh
# Times the whole-store export `pelicard-extract exporte STORE --mbox` (and
# --maildir) on a generated store of FOLDERS .dbx files against `undbx`
# extracting the same files one by one, in the same run; each into a fresh
# empty folder, the median of ROUNDS.
#   bench/run_store_mailbox.sh [BUILD_DIR] [MESSAGES_PER_FOLDER] [FOLDERS] [ROUNDS]
# BUILD_TYPE (default Release) is the build type given to BUILD_DIR.
# Files go under /tmp and are deleted afterwards.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build-bench}
COUNT=${2:-10000}
FOLDERS=${3:-5}
ROUNDS=${4:-3}
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" -DPELICARD_BENCH=ON >/dev/null
cmake --build "$BUILD" -j1 --target dbx_gen pelicard-extract >/dev/null
WORK=$(mktemp -d /tmp/pelicard-bench.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
mkdir "$WORK/store"
f=1
while [ "$f" -le "$FOLDERS" ]; do
  "$BUILD/bench/dbx_gen" "$WORK/store/Dossier$f.dbx" "$COUNT" >/dev/null
  python3 "$ROOT/bench/undbx_fixup.py" "$WORK/store/Dossier$f.dbx"
  f=$((f + 1))
done
du -sm "$WORK/store" | awk '{printf "store: %d folders, %s MB\n", '"$FOLDERS"', $1}'
cat "$WORK/store"/*.dbx >/dev/null  # warm the page cache

now() { date +%s.%N; }
median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
: >"$WORK/undbx.t"; : >"$WORK/mbox.t"; : >"$WORK/maildir.t"
round=1
while [ "$round" -le "$ROUNDS" ]; do
  mkdir "$WORK/undbx$round" "$WORK/out$round"
  t0=$(now)
  for dbx in "$WORK/store"/*.dbx; do
    d="$WORK/undbx$round/$(basename "$dbx" .dbx)"; mkdir "$d"
    undbx "$dbx" "$d" >/dev/null 2>&1 || true
  done
  t1=$(now); echo "$t1 - $t0" | bc >>"$WORK/undbx.t"
  t0=$(now); "$BUILD/pelicard-extract" exporte "$WORK/store" --mbox --stockage "$WORK/out$round" >/dev/null 2>&1 || true; t1=$(now)
  echo "$t1 - $t0" | bc >>"$WORK/mbox.t"
  t0=$(now); "$BUILD/pelicard-extract" exporte "$WORK/store" --maildir --stockage "$WORK/out$round" >/dev/null 2>&1 || true; t1=$(now)
  echo "$t1 - $t0" | bc >>"$WORK/maildir.t"
  round=$((round + 1))
done
UNDBX=$(median <"$WORK/undbx.t"); MBOX=$(median <"$WORK/mbox.t"); MAILDIR=$(median <"$WORK/maildir.t")
MESSAGES=$(python3 -c "import glob,mailbox,sys; print(sum(len(mailbox.mbox(p, create=False)) for p in glob.glob(sys.argv[1] + '/*.mbox')))" "$WORK/out1/store.magasin-mbox")
printf 'undbx            %8.3f s  (%s files)\n' "$UNDBX" "$(find "$WORK/undbx1" -type f | wc -l)"
printf 'exporte --mbox   %8.3f s  (%s messages in %s files)\n' "$MBOX" "$MESSAGES" "$(find "$WORK/out1/store.magasin-mbox" -type f | wc -l)"
printf 'exporte --maildir%8.3f s  (%s files)\n' "$MAILDIR" "$(find "$WORK/out1/store.magasin-maildir" -type f | wc -l)"
printf 'mbox/undbx       %8.3f\n' "$(echo "$MBOX / $UNDBX" | bc -l)"
printf 'maildir/undbx    %8.3f\n' "$(echo "$MAILDIR / $UNDBX" | bc -l)"
