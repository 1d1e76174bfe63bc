#!/usr/bin/env bash
# Builds the mail parser's libFuzzer target with clang, ASan and UBSan in
# build-parser-fuzz/ and runs it (niced, one process) for SECONDS seconds
# (default 600), seeded from fuzz/seeds/parse_mail and, when fetched, the
# real-mail corpus. The growing corpus lives in .cache/fuzz-parser/corpus;
# crashing and slow inputs land in .cache/fuzz-parser/artifacts/ and belong
# in fuzz/regressions/parse_mail/ once understood.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_TO_RUN=${1:-600}
BUILD=build-parser-fuzz
WORK=.cache/fuzz-parser
mkdir -p "$WORK/corpus" "$WORK/artifacts"
if [ ! -f "$BUILD/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTRELLISK_FUZZ=ON -DTRELLISK_SANITIZE=address,undefined -DTRELLISK_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$BUILD" --target parse_mail_fuzzer -j2
# libFuzzer reads the first byte as the settings; a zero byte in front of
# the real messages gives them the all-off settings, which the fuzzer then
# varies.
SEEDS="$WORK/seeds"
if [ ! -d "$SEEDS" ]; then
  mkdir -p "$SEEDS"
  for file in fuzz/seeds/parse_mail/* fuzz/regressions/parse_mail/*; do
    { printf '\x1d'; cat "$file"; } >"$SEEDS/$(basename "$file")"
  done
  if [ -d .cache/corpus ]; then
    find .cache/corpus -name '*.txt' | while read -r file; do
      { printf '\x1d'; head -c 65535 "$file"; } >"$SEEDS/$(basename "$file")"
    done
  fi
fi
nice -n 10 "$BUILD/fuzz/parse_mail_fuzzer" -max_total_time="$SECONDS_TO_RUN" -timeout=10 \
  -rss_limit_mb=2048 -report_slow_units=1 -max_len=65536 -artifact_prefix="$WORK/artifacts/" \
  "$WORK/corpus" "$SEEDS"
