#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a bounded time.
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
# Seeds: the sample stores, the small inputs of fuzz/seeds/<target>/ (made by
# fuzz/make_seeds.cpp from the tests' fixture builders) and the kept
# regression inputs; inputs that ever found a fault live in
# fuzz/regressions/<target>/ and are replayed first.
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-30}
shift || true
samples=${PELICARD_SAMPLES:-$(cd .. && pwd)/shared/samples}
CXX=clang++ CC=clang cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPELICARD_FUZZ=ON -DPELICARD_WITH_QT=OFF -DPELICARD_TESTS=OFF >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/fuzz_*.cpp; do
    [ "$f" = fuzz/fuzz_support.cpp ] || targets+=("$(basename "$f" .cpp)")
  done
fi
cmake --build build-fuzz -j"${PELICARD_JOBS:-$(nproc)}" --target "${targets[@]}"
for t in "${targets[@]}"; do
  work=build-fuzz/corpus/$t
  mkdir -p "$work"
  seeds=()
  [ -d "fuzz/regressions/$t" ] && seeds+=("fuzz/regressions/$t")
  [ -d "fuzz/seeds/$t" ] && seeds+=("fuzz/seeds/$t")
  # Whole stores run at a few inputs a second; their first 64 KB (header,
  # tree and the first records) are where a store's structure lies.
  maxlen=1048576
  case $t in fuzz_dbx|fuzz_recover) maxlen=65536 ;; esac
  case $t in
    fuzz_dbx|fuzz_recover) cp -n "$samples"/dbx/*.dbx "$work"/ 2>/dev/null || true ;;
    fuzz_wm_file|fuzz_decode|fuzz_html|fuzz_base64) cp -n "$samples"/wm/Archives/*.eml "$work"/ 2>/dev/null || true ;;
  esac
  dict=()
  [ -f "fuzz/$t.dict" ] && dict=(-dict="fuzz/$t.dict")
  echo "== $t ($secs s)"
  log=build-fuzz/$t.log
  status=0
  build-fuzz/fuzz/"$t" "$work" "${seeds[@]}" "${dict[@]}" -max_total_time="$secs" -timeout=10 \
    -rss_limit_mb=2048 -max_len="$maxlen" -print_final_stats=1 -artifact_prefix=build-fuzz/"$t"- \
    >"$log" 2>&1 || status=$?
  grep -E 'cov:|stat::number_of_executed_units|stat::peak_rss_mb' "$log" | tail -3 || true
  if [ $status -ne 0 ]; then
    echo "$t a trouvé une faute (état $status) :"
    grep -E -A30 '==[0-9]+==ERROR|Test unit written|ALARM|out-of-memory|deadly signal' "$log" | head -60
    failed=1
  fi
done
exit ${failed:-0}
