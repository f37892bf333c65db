#!/bin/sh
# Times `pelicard-extract exporte --mbox` (and --maildir) on a generated store
# of 100 000 messages against `undbx FILE DIR` extracting the same file, in
# the same run; each tool into a fresh empty folder, the median of ROUNDS.
#   bench/run_mailbox.sh [BUILD_DIR] [MESSAGES] [ROUNDS]
# Files go under /tmp and are deleted afterwards.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build-bench}
COUNT=${2:-100000}
ROUNDS=${3:-3}
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DPELICARD_BENCH=ON >/dev/null
cmake --build "$BUILD" -j1 --target dbx_gen pelicard-extract >/dev/null
WORK=$(mktemp -d /tmp/pelicard-bench.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
"$BUILD/bench/dbx_gen" "$WORK/bench.dbx" "$COUNT"
python3 "$ROOT/bench/undbx_fixup.py" "$WORK/bench.dbx"
ls -l "$WORK/bench.dbx" | awk '{printf "file: %.0f MB\n", $5 / 1e6}'
cat "$WORK/bench.dbx" >/dev/null  # warm the page cache

now() { date +%s.%N; }
median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
: >"$WORK/undbx.t"; : >"$WORK/mbox.t"; : >"$WORK/maildir.t"
round=1
while [ "$round" -le "$ROUNDS" ]; do
  mkdir "$WORK/undbx$round" "$WORK/out$round"
  t0=$(now); undbx "$WORK/bench.dbx" "$WORK/undbx$round" >/dev/null 2>&1 || true; t1=$(now)
  echo "$t1 - $t0" | bc >>"$WORK/undbx.t"
  t0=$(now); "$BUILD/pelicard-extract" exporte "$WORK/bench.dbx" --mbox --stockage "$WORK/out$round" >/dev/null 2>&1 || true; t1=$(now)
  echo "$t1 - $t0" | bc >>"$WORK/mbox.t"
  t0=$(now); "$BUILD/pelicard-extract" exporte "$WORK/bench.dbx" --maildir --stockage "$WORK/out$round" >/dev/null 2>&1 || true; t1=$(now)
  echo "$t1 - $t0" | bc >>"$WORK/maildir.t"
  round=$((round + 1))
done
UNDBX=$(median <"$WORK/undbx.t"); MBOX=$(median <"$WORK/mbox.t"); MAILDIR=$(median <"$WORK/maildir.t")
MESSAGES=$(python3 -c "import mailbox,sys; print(len(mailbox.mbox(sys.argv[1], create=False)))" "$WORK/out1/bench.mbox")
printf 'undbx            %8.3f s  (%s files)\n' "$UNDBX" "$(find "$WORK/undbx1" -type f | wc -l)"
printf 'exporte --mbox   %8.3f s  (%s messages in one file, %s MB)\n' "$MBOX" "$MESSAGES" \
  "$(ls -l "$WORK/out1/bench.mbox" | awk '{printf "%.0f", $5 / 1e6}')"
printf 'exporte --maildir%8.3f s  (%s files)\n' "$MAILDIR" "$(find "$WORK/out1/bench.maildir/cur" -type f | wc -l)"
printf 'mbox/undbx       %8.3f  (target < 0.333)\n' "$(echo "$MBOX / $UNDBX" | bc -l)"
printf 'maildir/undbx    %8.3f\n' "$(echo "$MAILDIR / $UNDBX" | bc -l)"
