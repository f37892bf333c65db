#!/bin/sh
# Times `pelicard-extract liste` on a generated store of 100 000 messages
# against `cat FILE >/dev/null` and `undbx FILE DIR`, in the same run.
#   bench/run_liste.sh [BUILD_DIR] [MESSAGES]
# Prints wall-clock and CPU (user + system) seconds of each, the peak memory
# of liste, and each ratio beside its target; on a shared machine the CPU
# figures are the steadier ones. Files go under
# /tmp and are deleted afterwards.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build-bench}
COUNT=${2:-100000}
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DPELICARD_BENCH=ON >/dev/null
cmake --build "$BUILD" -j1 --target dbx_gen pelicard-extract >/dev/null 2>&1
WORK=$(mktemp -d /tmp/pelicard-bench.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
"$BUILD/bench/dbx_gen" "$WORK/bench.dbx" "$COUNT"
# undbx walks the tree by its counts (see undbx_fixup.py).
python3 "$ROOT/bench/undbx_fixup.py" "$WORK/bench.dbx"
ls -l "$WORK/bench.dbx" | awk '{printf "file: %.0f MB\n", $5 / 1e6}'

# measure NAME COMMAND...: wall and CPU seconds into $WORK/NAME.time
measure() {
    name=$1
    shift
    /usr/bin/time -f "%e %U %S %M" -o "$WORK/$name.time" "$@"
}

cat "$WORK/bench.dbx" >/dev/null  # warm the page cache
# Five alternating rounds of cat and liste; the round with the median wall
# time of each counts.
for k in 1 2 3 4 5; do
    measure cat$k sh -c "cat '$WORK/bench.dbx' >/dev/null"
    measure liste$k sh -c "'$BUILD/pelicard-extract' liste '$WORK/bench.dbx' >'$WORK/liste.txt' 2>'$WORK/liste.err'"
done
for n in cat liste; do
    echo "$n rounds (wall cpu peak-KB): $(for k in 1 2 3 4 5; do awk '{printf "[%s %.2f %s] ", $1, $2 + $3, $4}' "$WORK/$n$k.time"; done)"
    mid=$(for k in 1 2 3 4 5; do echo "$(awk '{print $1}' "$WORK/$n$k.time") $k"; done | sort -g | sed -n 3p | cut -d' ' -f2)
    cp "$WORK/$n$mid.time" "$WORK/$n.time"
done
mkdir "$WORK/undbx"
measure undbx sh -c "undbx '$WORK/bench.dbx' '$WORK/undbx' >/dev/null 2>&1"

echo "liste: $(cat "$WORK/liste.err"), $(wc -l <"$WORK/liste.txt") rows"
echo "undbx: $(find "$WORK/undbx" -type f | wc -l) files"
for n in cat liste undbx; do
    awk -v n="$n" '{printf "%-6s wall %8.3f s   cpu %8.3f s   peak %6.1f MB\n", n, $1, $2 + $3, $4 / 1024}' "$WORK/$n.time"
done
peak=$(for k in 1 2 3 4 5; do awk '{print $4}' "$WORK/liste$k.time"; done | sort -g | tail -n 1)
awk -v peak="$peak" 'FNR == 1 { w[FILENAME] = $1; c[FILENAME] = $2 + $3; m[FILENAME] = $4 / 1024 }
     END {
        l = ARGV[1]; k = ARGV[2]; u = ARGV[3]
        printf "liste/cat    wall %8.2f   cpu %8.2f   (target at most 8)\n", w[l] / w[k], c[l] / (c[k] > 0 ? c[k] : 0.001)
        printf "liste/undbx  wall %8.3f   cpu %8.3f\n", w[l] / w[u], c[l] / c[u]
        printf "liste peak   %8.1f MB              (highest of the rounds; target at most 60 MB)\n", peak / 1024
     }' "$WORK/liste.time" "$WORK/cat.time" "$WORK/undbx.time"

# The complete decoding (--decodage-complet) against the fixed reading, in
# the same run: three alternating runs of each, medians of processor time.
for k in 1 2 3; do
    measure off$k sh -c "'$BUILD/pelicard-extract' liste '$WORK/bench.dbx' >/dev/null 2>&1"
    measure on$k sh -c "'$BUILD/pelicard-extract' liste '$WORK/bench.dbx' --decodage-complet >/dev/null 2>&1"
done
off=$(for k in 1 2 3; do awk '{print $2 + $3}' "$WORK/off$k.time"; done | sort -g | sed -n 2p)
on=$(for k in 1 2 3; do awk '{print $2 + $3}' "$WORK/on$k.time"; done | sort -g | sed -n 2p)
awk -v a="$on" -v b="$off" 'BEGIN { printf "liste cpu (median of 3): fixed %.3f s, complete decoding %.3f s, ratio %.2f\n", b, a, a / b }'
