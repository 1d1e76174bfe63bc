#!/usr/bin/env bash
# Crash safety: trellisk-host trains and scores mail in one data directory
# and is killed with SIGKILL at a random moment, also while its shutdown saves
# the stores; then it is started again. After every round each store must
# load (the log reports no unreadable store, `stats` works, the files parse)
# and whatever a completed run saved before must still be there: the message
# totals never fall below those of the last completed run, and every black
# list entry a completed run saved is still listed.
#
# A first, uninterrupted run trains a few thousand generated messages, so that
# each shutdown has a large word database to save and a kill often lands in
# the middle of writing it.
#
# Usage: crash_safety_test.sh <trellisk-host> <samples> [rounds] [seed]
set -uo pipefail
HOST=$1
SAMPLES=$2
ROUNDS=${3:-20}
SEED=${4:-$$}
RANDOM=$SEED
echo "crash_safety_test: $ROUNDS rounds, seed $SEED"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
unset TRELLISK_REGISTRY
DATA=$WORK/data
failures=0
fail() { echo "FAILED (round $round): $*" >&2; failures=$((failures + 1)); }
# Black-list insertion on, so the lists are saved too, and no size limit on
# the list files, which would drop the oldest entries, nor on the log, which
# is read by line numbers; no public DNS queries.
COMMON=(--data "$DATA" --setting DNSBlacklist=0 --setting AutoInsertBlacklist=1
  --setting AutoInsertBlacklistTrain=1 --setting MaxSizeOfLists=0 --setting MaxSizeOfLogfile=0)
host() { "$HOST" "${COMMON[@]}" "$@"; }

# An mbox of generated spam: every message from its own sender, with words
# drawn from a large vocabulary, so that the database grows large.
generate_mbox() {
  awk -v count="$1" -v seed="$2" 'BEGIN {
    srand(seed)
    for (m = 0; m < count; m++) {
      printf "From sender%d-%d@bulk.example Mon Jan  1 00:00:00 2024\n", seed, m
      printf "From: sender%d-%d@bulk.example\nSubject: offer %d\nMessage-ID: <%d.%d@bulk.example>\n\n", seed, m, m, seed, m
      for (w = 0; w < 60; w++) printf "w%x%s", int(rand() * 400000), (w % 12 == 11 ? "\n" : " ")
      printf "\n"
    }
  }' >"$3"
}

# The database file parses: three numbers, then key / spam / ham triples.
database_parses() {
  awk '{ sub(/\r$/, "") }
       NR <= 3 && $0 !~ /^[0-9]+$/ { bad = 1 }
       NR > 3 && (NR - 4) % 3 != 0 && $0 !~ /^[0-9]+$/ { bad = 1 }
       NR > 3 && (NR - 4) % 3 == 0 && $0 == "" { bad = 1 }
       END { exit (bad || NR < 3 || (NR - 3) % 3 != 0) }' "$1"
}

totals() { sed -n '2p;3p' "$DATA/database.dat" | tr -d '\r' | tr '\n' ' '; }

# Checks the stores after a round; `committed` holds the state of the last
# completed run.
check_stores() {
  local before_log
  before_log=$(wc -l <"$DATA/trellisk.log" 2>/dev/null || echo 0)
  host stats >"$WORK/stats" 2>&1 || fail "stats after the kill: $(cat "$WORK/stats")"
  tail -n +"$((before_log + 1))" "$DATA/trellisk.log" >"$WORK/new-log"
  if grep -a -i "cannot be read\|could not be read\|failed\|exception" "$WORK/new-log"; then
    fail "the log reports a store problem"
  fi
  database_parses "$DATA/database.dat" || fail "database.dat does not parse"
  read -r spam ham <<<"$(totals)"
  [ "${spam:-0}" -ge "$committed_spam" ] && [ "${ham:-0}" -ge "$committed_ham" ] ||
    fail "totals fell: spam ${spam:-none} ham ${ham:-none}, a completed run left $committed_spam / $committed_ham"
  grep -q "^SpamMails: *${spam:-x}$" "$WORK/stats" || fail "stats shows other totals than the file ($spam $ham): $(cat "$WORK/stats"; ls -l "$DATA")"
  tr -d '\r' <"$DATA/blacklist.txt" | sort >"$WORK/listed"
  missing=$(comm -23 "$WORK/committed-list" "$WORK/listed" | wc -l)
  [ "$missing" -eq 0 ] || fail "$missing black list entries of completed runs are gone"
}

commit_state() {
  read -r committed_spam committed_ham <<<"$(totals)"
  tr -d '\r' <"$DATA/blacklist.txt" | sort >"$WORK/committed-list"
}

round=0
generate_mbox 3000 1 "$WORK/bulk.mbox"
host train --spam "$WORK/bulk.mbox" >/dev/null || fail "the first training"
host train --ham "$SAMPLES/train/ham" >/dev/null || fail "the first ham training"
commit_state
check_stores
commit_state
[ "$(wc -l <"$WORK/committed-list")" -ge 3000 ] || fail "the senders of the bulk mail are listed"

# How long one training run of fresh mail takes, to spread the kills over it.
generate_mbox 100 2 "$WORK/fresh.mbox"
start=$(date +%s%N)
host train --spam "$WORK/fresh.mbox" >/dev/null || fail "a timed training"
run_ms=$(( ($(date +%s%N) - start) / 1000000 ))
commit_state
echo "one run takes $run_ms ms"

killed=0
killed_in_shutdown=0
killed_mid_write=0
for round in $(seq 1 "$ROUNDS"); do
  generate_mbox 100 $((round + 2)) "$WORK/fresh.mbox"
  case $((RANDOM % 3)) in
    0) command=(train --spam "$WORK/fresh.mbox") ;;
    1) command=(train --ham "$SAMPLES/train/ham") ;;
    2) command=(score -j 2 "$SAMPLES/new" "$WORK/fresh.mbox") ;;
  esac
  moment=$((RANDOM % 3))
  # Training always saves the word database, which this moment waits for.
  if [ "$moment" -eq 0 ]; then command=(train --spam "$WORK/fresh.mbox"); fi
  log_lines=$(wc -l <"$DATA/trellisk.log")
  touch "$WORK/round-start"
  # The host itself in the background (not a shell function's subshell), so
  # that the kill reaches it.
  "$HOST" "${COMMON[@]}" "${command[@]}" >/dev/null 2>&1 &
  pid=$!
  if [ "$moment" -eq 0 ]; then
    # Kill while the word database is written: its new content goes to
    # database.tmp first, which is renamed over database.dat when complete.
    # Only shell built-ins poll, so the kill follows within microseconds.
    until [ "$DATA/database.tmp" -nt "$WORK/round-start" ] || ! kill -0 "$pid" 2>/dev/null; do
      :
    done
  elif [ "$moment" -eq 1 ]; then
    # Kill as soon as the shutdown has saved its first store (the lists come
    # first, the undo and word databases after them).
    until tail -n +"$((log_lines + 1))" "$DATA/trellisk.log" | grep -q "saved\.\.\." || ! kill -0 "$pid" 2>/dev/null; do
      :
    done
  else
    delay_ms=$((RANDOM % (run_ms + run_ms / 5 + 1)))
    sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
  fi
  if kill -KILL "$pid" 2>/dev/null; then
    wait "$pid" 2>/dev/null
    killed=$((killed + 1))
    # Some store saved, but not yet the settings at the very end.
    if tail -n +"$((log_lines + 1))" "$DATA/trellisk.log" | grep -q "saved\.\.\." &&
      ! tail -n +"$((log_lines + 1))" "$DATA/trellisk.log" | grep -q "Settings saved"; then
      killed_in_shutdown=$((killed_in_shutdown + 1))
    fi
    # Each store writes its new content under the ".tmp" name and renames it
    # over the file, so such a file left behind is a write the kill cut short.
    if [ -n "$(find "$DATA" -name '*.tmp' -newer "$WORK/round-start")" ]; then
      killed_mid_write=$((killed_mid_write + 1))
    fi
    check_stores
  else
    wait "$pid" || fail "a run that was not killed failed: ${command[*]}"
    check_stores
    commit_state
  fi
  # A run the stats check completed saved the stores too.
  commit_state
done

echo "crash_safety_test: $killed of $ROUNDS runs killed, $killed_in_shutdown of them while saving," \
  "$killed_mid_write in the middle of writing a file; $failures failures"
# About a third of the rounds aim at the word database's write; over 20
# rounds at least one kill lands inside it but for a chance of 0.03%.
if [ "$ROUNDS" -ge 20 ] && [ "$killed_mid_write" -eq 0 ]; then
  echo "FAILED: no kill landed while a file was written" >&2
  failures=$((failures + 1))
fi
[ "$failures" -eq 0 ]
