#!/usr/bin/env bash
# A full disk at shutdown: the data directory is a 1 MB tmpfs, filled almost
# to the brim after a first small training; then a run trains a few thousand
# generated messages, whose word database cannot be saved there. The files of
# the first run must stay byte for byte as they were, the log (kept on
# another disk) must not claim that they were saved and must name every
# store that failed, and the host must say so and exit non-zero. A run after
# space is freed again saves everything.
#
# Needs root and a kernel that lets it mount tmpfs; otherwise the test is
# skipped (exit code 77).
# Usage: disk_full_test.sh <trellisk-host> <samples>
set -uo pipefail
HOST=$1
SAMPLES=$2
if [ "$(id -u)" -ne 0 ]; then
  echo "disk_full_test: skipped, mounting a small file system needs root"
  exit 77
fi
WORK=$(mktemp -d)
DATA=$WORK/data
mkdir -p "$DATA" "$WORK/registry"
if ! mount -t tmpfs -o size=1m tmpfs "$DATA" 2>"$WORK/mount-error"; then
  echo "disk_full_test: skipped, cannot mount tmpfs: $(cat "$WORK/mount-error")"
  rm -rf "$WORK"
  exit 77
fi
trap 'umount "$DATA"; rm -rf "$WORK"' EXIT
# The registry and the log live on the real disk.
export TRELLISK_REGISTRY=$WORK/registry
LOG=$WORK/trellisk.log
failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
host() {
  "$HOST" --data "$DATA" --setting DNSBlacklist=0 --setting AutoInsertBlacklist=1 \
    --setting AutoInsertBlacklistTrain=1 --text-setting LogfilePath="$LOG" "$@"
}

host train --spam "$SAMPLES/train/spam" >/dev/null || fail "the first training"
host train --ham "$SAMPLES/train/ham" >/dev/null || fail "the first ham training"
stores=(database.dat undo.dat blacklist.txt whitelist.txt)
for store in "${stores[@]}"; do
  [ -f "$DATA/$store" ] || fail "the first run saved no $store"
done
cp -a "$DATA" "$WORK/before"

# Fill the file system, then free 8 KB: small writes succeed, a large store does not fit.
dd if=/dev/zero of="$DATA/filler" bs=4k 2>/dev/null
truncate -s -8K "$DATA/filler"

awk 'BEGIN {
  srand(7)
  for (m = 0; m < 3000; m++) {
    printf "From sender-%d@bulk.example Mon Jan  1 00:00:00 2024\n", m
    printf "From: sender-%d@bulk.example\nSubject: offer %d\nMessage-ID: <%d@bulk.example>\n\n", m, m, m
    for (w = 0; w < 60; w++) printf "w%x%s", int(rand() * 400000), (w % 12 == 11 ? "\n" : " ")
    printf "\n"
  }
}' >"$WORK/bulk.mbox"
: >"$LOG"
if host train --spam "$WORK/bulk.mbox" >"$WORK/train-output" 2>&1; then
  fail "the run on a full disk reports success"
fi
for store in "Word Database" "Undo Database"; do
  grep -q "trellisk-host: Storing of the $store failed!" "$WORK/train-output" ||
    fail "the host does not say that the $store was not saved: $(cat "$WORK/train-output")"
  grep -a -q "Storing of the $store failed!" "$LOG" || fail "the log does not say that the $store was not saved"
done

for store in "${stores[@]}"; do
  cmp -s "$DATA/$store" "$WORK/before/$store" || fail "$store changed on the full disk"
done
for saved in "Word Database saved..." "Undo Database saved..." "Blacklist saved..."; do
  ! grep -a -q "$saved" "$LOG" || fail "the log claims \"$saved\" on the full disk"
done
grep -a -q "Storing of the blacklist failed!" "$LOG" ||
  fail "the log does not say that the black list was not saved: $(tail -5 "$LOG")"

rm -f "$DATA/filler"
host stats >"$WORK/stats" || fail "stats after the full disk"
grep -q "^SpamMails: *30$" "$WORK/stats" || fail "the totals of the first run are loaded: $(cat "$WORK/stats")"
echo "disk_full_test: $failures failures"
[ "$failures" -eq 0 ]
