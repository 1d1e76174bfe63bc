#!/usr/bin/env bash
# scripts/fuzz.sh [MINUTES] [TARGET...]
# Builds the libFuzzer programs of fuzz/ with clang, ASan and UBSan in
# build-fuzz/ and runs each chosen target (default: all of them) for MINUTES
# minutes (default 20), niced, one process at a time. Each starts from its
# seeds (fuzz/seeds/<target>) and regressions (fuzz/regressions/<target>);
# the growing corpus lives in .cache/fuzz/<target>, crashing and slow inputs
# land in .cache/fuzz/<target>/artifacts/ and belong in
# fuzz/regressions/<target>/ once understood and fixed. Prints per target the
# executions and libFuzzer's final coverage figures (cov: and ft:).
# The mail parser has its own script, scripts/fuzz-parser.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
MINUTES=${1:-20}
shift || true
ALL_TARGETS=(word_database undo_file list_files rule_files dns_cache registry_hive host_ini decoders table_operations)
TARGETS=("$@")
if [ ${#TARGETS[@]} -eq 0 ]; then TARGETS=("${ALL_TARGETS[@]}"); fi
BUILD=build-fuzz

# clang stops constant evaluation after about a million steps, too few for
# the store's table of size primes, which is computed at compile time.
if [ ! -f "$BUILD/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS=-fconstexpr-steps=100000000 \
    -DTRELLISK_FUZZ=ON -DTRELLISK_SANITIZE=address,undefined -DTRELLISK_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$BUILD" -j2 --target "${TARGETS[@]/%/_fuzzer}"

summary=()
for target in "${TARGETS[@]}"; do
  work=.cache/fuzz/$target
  mkdir -p "$work/corpus" "$work/artifacts"
  inputs=(fuzz/seeds/"$target")
  if [ -d fuzz/regressions/"$target" ]; then inputs+=(fuzz/regressions/"$target"); fi
  log=$work/last-run.log
  echo "fuzz.sh: $target for $MINUTES minute(s)"
  status=0
  nice -n 10 "$BUILD/fuzz/${target}_fuzzer" -max_total_time=$((MINUTES * 60)) -timeout=10 -rss_limit_mb=2048 \
    -max_len=16384 -print_final_stats=1 -artifact_prefix="$work/artifacts/" \
    "$work/corpus" "${inputs[@]}" >"$log" 2>&1 || status=$?
  # The last status line ("#N DONE cov: ..." or the last pulse before a crash).
  last=$(grep -E '^#[0-9]+' "$log" | tail -1 || true)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  verdict=ok
  if [ "$status" -ne 0 ]; then verdict="FOUND A FAULT (exit $status, see $log and $work/artifacts/)"; fi
  summary+=("$(printf '%-14s executions %-10s cov %-6s ft %-6s %s' "$target" "${runs:-?}" "${cov:-?}" "${ft:-?}" "$verdict")")
done
printf '%s\n' "${summary[@]}"
