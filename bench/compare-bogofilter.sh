#!/usr/bin/env bash
# Whole-process speed of the plug-in against bogofilter on the real-mail
# corpus: training the train half (even messages of each sorted folder) and
# scoring the test half (odd messages), each as one process over the whole
# set. Scoring without learning is timed as the best of three runs. Installs bogofilter from Debian here, never in the build. Run from the
# repository root after a release build:
#   cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo && cmake --build build/release
#   bench/compare-bogofilter.sh [build/release]
set -euo pipefail
BUILD=${1:-build/release}
HOST="$PWD/$BUILD/trellisk-host"
scripts/fetch-corpus.sh >/dev/null
command -v bogofilter >/dev/null || \
  apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends bogofilter >/dev/null

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
split() {  # folder class -> symlinks of the even (train) and odd (test) messages
  local i=0
  mkdir -p "$WORK/train/$2" "$WORK/test/$2"
  for f in $(ls .cache/corpus/"$1" | sort); do
    if (( i % 2 == 0 )); then half=train; else half=test; fi
    ln -s "$PWD/.cache/corpus/$1/$f" "$WORK/$half/$2/$1-$f"
    i=$((i + 1))
  done
}
split spam-1 spam; split spam-2 spam; split easy-ham-1 ham; split easy-ham-2 ham; split hard-ham-1 ham
TRAIN=$(find "$WORK/train" -type l | wc -l); TEST=$(find "$WORK/test" -type l | wc -l)
echo "train half: $TRAIN messages, test half: $TEST messages"

seconds() { local start=$(date +%s.%N); "$@" >/dev/null; echo "$(date +%s.%N) - $start" | bc; }
# The best of three runs of a command that does not change what it reads.
best_of_three() {
  local best=""
  for _ in 1 2 3; do
    local t; t=$(seconds "$@")
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc)" = 1 ]; then best=$t; fi
  done
  echo "$best"
}
rate() { echo "scale=0; $1 / $2" | bc; }

run_trellisk() {  # label, extra host options
  local data="$WORK/trellisk-$1"; shift
  local t1 t2 t3 t4 t5
  t1=$(seconds "$HOST" --data "$data" "$@" train --spam "$WORK/train/spam")
  t2=$(seconds "$HOST" --data "$data" "$@" train --ham "$WORK/train/ham")
  # Scoring with automatic learning (the default) also trains; without it,
  # scoring does what bogofilter's scoring does.
  t3=$(seconds "$HOST" --data "$data" "$@" score "$WORK/test/spam" "$WORK/test/ham")
  t4=$(best_of_three "$HOST" --data "$data" "$@" --setting AutoLearning=0 score "$WORK/test/spam" "$WORK/test/ham")
  t5=$(best_of_three "$HOST" --data "$data" "$@" --setting AutoLearning=0 score -j 2 "$WORK/test/spam" "$WORK/test/ham")
  local train=$(echo "$t1 + $t2" | bc)
  printf "trellisk %-20s train %5d msg/s  score %5d msg/s (learning %5d msg/s)  score -j 2 %5d msg/s\n" \
    "$label" "$(rate "$TRAIN" "$train")" "$(rate "$TEST" "$t4")" "$(rate "$TEST" "$t3")" "$(rate "$TEST" "$t5")"
}
label="(default settings)"; run_trellisk default
label="(VerboseLogfile=0)"; run_trellisk quiet --setting VerboseLogfile=0

BOGO="$WORK/bogofilter"; mkdir -p "$BOGO"
b1=$(seconds bogofilter -d "$BOGO" -s -B "$WORK"/train/spam/*)
b2=$(seconds bogofilter -d "$BOGO" -n -B "$WORK"/train/ham/*)
b3=$(best_of_three bogofilter -d "$BOGO" -v -B "$WORK"/test/spam/* "$WORK"/test/ham/*)
printf "bogofilter %-20s train %5d msg/s  score %5d msg/s\n" "(batch mode)" \
  "$(rate "$TRAIN" "$(echo "$b1 + $b2" | bc)")" "$(rate "$TEST" "$b3")"
