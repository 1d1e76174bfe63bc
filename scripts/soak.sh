#!/usr/bin/env bash
# Soak run (not part of CI): one trellisk-host process scores and trains the
# real-mail corpus from four threads for a long time and reports, every
# minute, its resident memory, thread count and open files; at the end the
# word database's message totals must equal the trainings made.
#
# usage: scripts/soak.sh [MINUTES] [BUILD_DIR]
#   MINUTES    how long to run (default 60)
#   BUILD_DIR  the build directory holding trellisk-host (default build/release)
# The data directory is a fresh temporary one, kept when the run fails.
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-60}
build=${2:-build/release}
host="$build/trellisk-host"
[ -x "$host" ] || { echo "soak: $host not found; build the trellisk-host target first" >&2; exit 2; }
scripts/fetch-corpus.sh
corpus=.cache/corpus
data=$(mktemp -d)
echo "soak: $minutes min, data directory $data"
# No public DNS blacklist is queried, and automatic learning is off so that
# only the host's trainings change the message totals.
if "$host" --data "$data" --setting DNSBlacklist=0 --setting AutoLearning=0 \
    soak --seconds $((minutes * 60)) -j 4 \
    --spam "$corpus/spam-1" --spam "$corpus/spam-2" \
    --ham "$corpus/easy-ham-1" --ham "$corpus/easy-ham-2" --ham "$corpus/hard-ham-1"; then
  if grep -n "could not be read\|exception" "$data/trellisk.log"; then
    echo "soak: the log reports failures (kept in $data)" >&2
    exit 1
  fi
  rm -rf "$data"
  echo "soak: passed"
else
  echo "soak: FAILED (data kept in $data)" >&2
  exit 1
fi
