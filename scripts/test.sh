#!/usr/bin/env bash
# Builds and runs every test: the unit, end-to-end and corpus suites under
# AddressSanitizer and UndefinedBehaviorSanitizer, then the threaded suites
# (label "threads") under ThreadSanitizer, then the Windows plug-in
# cross-built for x86-64 and x86 with its suites run under wine
# (scripts/windows-cross.sh). Run as root on Debian 12 from
# anywhere; installs what it needs. Compiler output is cached (ccache) across
# runs on the same machine. Long fuzzing, soak and peer benchmarks are
# separate scripts (scripts/fuzz-parser.sh, bench/).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --with-npm
scripts/fetch-corpus.sh || echo "test.sh: corpus not available; corpus suites will be skipped" >&2

export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/trellisk-ccache}
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
jobs=$(nproc)

build() {  # directory, targets...: quiet unless it fails
  local dir=$1; shift
  if ! cmake --build "$dir" -j "$jobs" "$@" >"$dir/build-output.log" 2>&1; then
    tail -60 "$dir/build-output.log"
    echo "test.sh: the build in $dir failed" >&2
    exit 1
  fi
}

# The address and undefined-behaviour sanitizer build runs every suite.
cmake --preset asan "${launcher[@]}" >/dev/null
build build/asan
ctest --preset asan -j "$jobs"

# The thread sanitizer runs the threaded suites; only their programs are
# built (each test is named after its program).
cmake --preset tsan "${launcher[@]}" >/dev/null
targets=$(ctest --preset tsan -N | sed -n 's/^ *Test *#[0-9]*: *//p')
build build/tsan --target $targets trellisk
ctest --preset tsan -j "$jobs"

# The Windows plug-in: both architectures built, the 64-bit suites run.
WIN_JOBS=$jobs scripts/windows-cross.sh
echo "test.sh: all tests passed"
