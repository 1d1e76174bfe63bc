#!/usr/bin/env bash
# Nothing learned is lost, nothing hangs: trellisk-host meets the ordinary
# accidents of a user's data directory and must keep every byte it could not
# read, say what went wrong, and never block.
#   damaged   a record of database.dat damaged in the middle: the file is kept
#             as database.dat.corrupt-<time>, the log names file and line
#   locked    two hosts training into one directory at once both keep their
#             training; a third, kept waiting past the bound, saves nothing,
#             says so and exits non-zero
#   unsaved   a word database path that names a directory: the training is
#             not saved, the log and the host say so
#   special   store, list and rule paths that name a FIFO, /dev/zero or a
#             directory: start-up does not hang, nothing is read from them
#   includes  a rule file that includes itself under ever new names
#   hives     a settings hive with one damaged line keeps its other values
#
# Usage: no_data_loss_test.sh <trellisk-host> <samples> [case...]
set -uo pipefail
HOST=$1
SAMPLES=$2
shift 2
CASES=("$@")
[ ${#CASES[@]} -gt 0 ] || CASES=(damaged locked unsaved special includes hives)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
unset TRELLISK_REGISTRY
failures=0
fail() { echo "FAILED ($case): $*" >&2; failures=$((failures + 1)); }

# host DIR ARGS...: the host on data directory DIR, offline.
host() {
  local data=$1
  shift
  timeout 60 "$HOST" --data "$data" --setting DNSBlacklist=0 --setting AutoLearning=0 "$@"
}
fresh() { rm -rf "$WORK/$1" && mkdir -p "$WORK/$1" && echo "$WORK/$1"; }
spam_total() { host "$1" stats | sed -n 's/^SpamMails: *//p'; }
ham_total() { host "$1" stats | sed -n 's/^HamMails: *//p'; }

# An mbox of COUNT generated messages, so that a training takes a while.
generate_mbox() {
  awk -v count="$1" -v seed="$2" 'BEGIN {
    srand(seed)
    for (m = 0; m < count; m++) {
      printf "From sender-%d@bulk.example Mon Jan  1 00:00:00 2024\n", m
      printf "From: sender-%d@bulk.example\nSubject: offer %d\nMessage-ID: <%d.%d@bulk.example>\n\n", m, m, seed, m
      for (w = 0; w < 60; w++) printf "w%x%s", int(rand() * 400000), (w % 12 == 11 ? "\n" : " ")
      printf "\n"
    }
  }'
}

case_damaged() {
  local data
  data=$(fresh damaged)
  host "$data" train --spam "$SAMPLES/train/spam" >/dev/null
  host "$data" train --ham "$SAMPLES/train/ham" >/dev/null
  # The counts of the record starting at line 31 become 0 and 0.
  sed -i '32s/.*/0/; 33s/.*/0/' "$data/database.dat"
  cp "$data/database.dat" "$WORK/damaged.dat"
  host "$data" score "$SAMPLES/new" >/dev/null
  local kept
  kept=$(ls "$data"/database.dat.corrupt-* 2>/dev/null | head -1)
  [ -n "$kept" ] || fail "no database.dat.corrupt-<time> was kept"
  [ -z "$kept" ] || cmp -s "$kept" "$WORK/damaged.dat" || fail "the kept file differs from the damaged one"
  grep -q "database.dat is damaged at line 31 (a word whose counts are both 0)" "$data/trellisk.log" ||
    fail "the log does not name the damage: $(grep -a damaged "$data/trellisk.log")"
}

case_locked() {
  local data
  data=$(fresh locked)
  generate_mbox 1500 1 >"$WORK/spam.mbox"
  generate_mbox 1500 2 >"$WORK/ham.mbox"
  host "$data" train --spam "$WORK/spam.mbox" >"$WORK/spam.out" 2>&1 &
  local first=$!
  host "$data" train --ham "$WORK/ham.mbox" >"$WORK/ham.out" 2>&1 || fail "the ham training: $(cat "$WORK/ham.out")"
  wait "$first" || fail "the spam training: $(cat "$WORK/spam.out")"
  [ "$(spam_total "$data")" = 1500 ] || fail "spam learned: $(spam_total "$data"), not 1500"
  [ "$(ham_total "$data")" = 1500 ] || fail "ham learned: $(ham_total "$data"), not 1500"

  # A third instance finds the stores held past its bound of one second.
  flock "$data/trellisk.lock" sleep 4 &
  local holder=$!
  sleep 0.5
  cp "$data/database.dat" "$WORK/held.dat"
  if TRELLISK_STORE_LOCK_WAIT=1 host "$data" train --spam "$SAMPLES/train/spam" >"$WORK/third.out" 2>&1; then
    fail "the instance kept waiting reports success"
  fi
  grep -q "waiting for it" "$WORK/third.out" || fail "the host does not say that it waits: $(cat "$WORK/third.out")"
  grep -q "learns and saves nothing" "$WORK/third.out" || fail "the host does not say it ran read-only"
  wait "$holder"
  cmp -s "$data/database.dat" "$WORK/held.dat" || fail "the read-only instance changed the word database"
  [ "$(spam_total "$data")" = 1500 ] || fail "the read-only instance's training counted"
}

case_unsaved() {
  local data
  data=$(fresh unsaved)
  mkdir -p "$data/words"
  if host "$data" --text-setting DatabasePath="$data/words" train --spam "$SAMPLES/train/spam" \
    >"$WORK/unsaved.out" 2>&1; then
    fail "a training that cannot be saved reports success"
  fi
  grep -q "Storing of the Word Database failed" "$WORK/unsaved.out" || fail "the host says nothing: $(cat "$WORK/unsaved.out")"
  grep -a -q "Storing of the Word Database failed" "$data/trellisk.log" || fail "the log says nothing"
}

case_special() {
  local data
  data=$(fresh special)
  mkfifo "$data/undo-fifo" "$data/black-fifo"
  mkdir "$data/rules-dir"
  local started=$SECONDS
  host "$data" --setting Algorithm=5 --text-setting DatabasePath=/dev/zero --text-setting UndodataPath="$data/undo-fifo" \
    --text-setting BlacklistPath="$data/black-fifo" --text-setting RegExpPath="$data/rules-dir" \
    score "$SAMPLES/new" >"$WORK/special.out" 2>&1
  local status=$?
  [ $status -ne 124 ] || fail "the host hung on a special file"
  [ $((SECONDS - started)) -lt 20 ] || fail "the run took $((SECONDS - started)) s"
  grep -c "SPAM\|HAM" "$WORK/special.out" >/dev/null || fail "nothing was scored: $(cat "$WORK/special.out")"
  [ -p "$data/undo-fifo" ] && [ -p "$data/black-fifo" ] || fail "a FIFO was replaced"
  grep -a -q "Word Database file exists but cannot be read" "$data/trellisk.log" || fail "the log says nothing of /dev/zero"
}

case_includes() {
  local data
  data=$(fresh includes)
  local rules=""
  for i in $(seq 1 200); do
    mkdir -p "$data/d$i"
    rules+="B_INCLUDE_LIST d$i/../filters.dat"$'\n'
  done
  # A rule that fires on every message leaves one trace line per copy read.
  printf '%sBODY: 0.01 "e" [every]\n' "$rules" >"$data/filters.dat"
  local started=$SECONDS
  host "$data" --setting Algorithm=5 score "$SAMPLES/new/ham-31.eml" >"$WORK/includes.out" 2>&1
  [ $((SECONDS - started)) -lt 10 ] || fail "the self-including rule file took $((SECONDS - started)) s"
  local copies
  copies=$(grep -a -c "BODY every" "$data/trellisk.log")
  [ "$copies" = 1 ] || fail "the rule was read $copies times"
}

case_hives() {
  local data
  data=$(fresh hives)
  host "$data" --setting MinWordLength=5 --setting SpamScore=77 start >/dev/null
  local hive="$data/registry/HKEY_LOCAL_MACHINE.reg"
  sed -i 's/^"SpamScore"=dword:.*/"SpamScore"=dword:zz/' "$hive"
  host "$data" start >"$WORK/hives.out" 2>&1
  grep -q '^"MinWordLength"=dword:00000005' "$hive" || fail "a good value was lost with the damaged line"
  ls "$hive".corrupt-* >/dev/null 2>&1 || fail "the damaged hive was not kept"
  grep -q "1 line skipped" "$WORK/hives.out" || fail "the host does not say what was skipped: $(cat "$WORK/hives.out")"
}

for case in "${CASES[@]}"; do
  "case_$case"
done
echo "no_data_loss_test: $failures failures"
[ "$failures" -eq 0 ]
