#!/usr/bin/env bash
# Builds and runs every test: the unit and end-to-end suites and the corpus
# suites in an optimised build, then the same suites under AddressSanitizer
# and UndefinedBehaviorSanitizer, then the threaded suites under
# ThreadSanitizer. Run as root on Debian 12 from anywhere; installs what it
# needs. Long fuzzing, soak and peer benchmarks are separate scripts.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --with-npm
scripts/fetch-corpus.sh || echo "test.sh: corpus not available; corpus suites will be skipped" >&2

jobs=$(nproc)
build_and_test() {
  local dir=$1 sanitize=$2 labels=$3
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRELLISK_SANITIZE="$sanitize" \
        -DTRELLISK_BUILD_BENCH=OFF >/dev/null
  if [ -n "$labels" ]; then
    # Only the test programs of these labels (each test is named after its program).
    local targets
    targets=$(ctest --test-dir "$dir" -N -L "$labels" | sed -n 's/^ *Test *#[0-9]*: *//p')
    cmake --build "$dir" -j "$jobs" --target $targets
  else
    cmake --build "$dir" -j "$jobs"
  fi
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" ${labels:+-L "$labels"}
}

build_and_test build/release "" ""
build_and_test build/asan "address,undefined" ""
build_and_test build/tsan "thread" "threads"
echo "test.sh: all tests passed"
