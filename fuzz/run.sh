#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) and runs each for SECONDS seconds (default
# 60), two at a time, from seed corpora made by make_seeds.py. Exits 1 when any target finds a
# fault; the input is left in build/fuzz/findings/<target>/ and belongs, once the fault is mended,
# in tests/fuzz-regressions/<target>/ (the normal build replays that folder).
#   fuzz/run.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
targets=(render settings_file wave_reader wave_info decode csv)

scripts/setup.sh --fuzz
build=build/fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORIMU_FUZZ=ON -DKORIMU_SANITIZE=ON -DKORIMU_BUILD_GUI=OFF -DKORIMU_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}" make_decode_seeds

rm -rf "$build/seeds" "$build/logs"
python3 fuzz/make_seeds.py "$build/seeds" >/dev/null
# libvorbisenc leaks a block while some of these are written: not a leak of this project's.
ASAN_OPTIONS=detect_leaks=0 "$build/fuzz/make_decode_seeds" "$build/seeds/decode" >/dev/null
mkdir -p "$build/logs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/fuzz/lsan.supp

run_target() {
  local t=$1
  mkdir -p "$build/corpus/$t" "$build/findings/$t"
  local rc=0
  # A header may not make the program allocate more than 512 MB at once (the inputs are at
  # most 64 KB); an input may not take more than 25 s.
  "$build/fuzz/fuzz_$t" "$build/corpus/$t" "$build/seeds/$t" \
    -max_total_time="$seconds" -max_len=65536 -timeout=25 -malloc_limit_mb=512 \
    -rss_limit_mb=2048 -print_final_stats=1 -close_fd_mask=1 \
    -artifact_prefix="$build/findings/$t/" >"$build/logs/$t.log" 2>&1 || rc=$?
  echo "$rc" >"$build/logs/$t.rc"
}

for t in "${targets[@]}"; do
  run_target "$t" &
  while [ "$(jobs -rp | wc -l)" -ge 2 ]; do wait -n || true; done
done
wait

failed=0
printf '%-14s %12s %8s %8s %7s  %s\n' target executions cov ft corpus result
for t in "${targets[@]}"; do
  log="$build/logs/$t.log"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  last=$(grep -E '^#[0-9]+' "$log" | tail -1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  corp=$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$last")
  if [ "$(cat "$build/logs/$t.rc")" = 0 ]; then
    result=clean
  else
    result="FINDING (see $log, input in $build/findings/$t/)"
    failed=1
  fi
  printf '%-14s %12s %8s %8s %7s  %s\n' "$t" "${runs:-?}" "${cov:-?}" "${ft:-?}" "${corp:-?}" \
    "$result"
done
exit "$failed"
