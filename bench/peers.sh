#!/usr/bin/env bash
# The peer benchmark: Trellisk (through trellisk-host) against bogofilter and
# spamprobe on the real-mail corpus, in one run, whole process each time.
#
# The standard split: within each corpus folder, in name order, the messages
# at even positions train and those at odd positions are scored. Each filter
# trains the train half (spam, then ham) into a fresh database and scores the
# test half (Trellisk without DNS blacklist look-ups, which the peers do not
# make). Speeds are the median of REPEAT runs (default 3); memory is the
# largest peak resident set of any of the filter's processes; the database
# size is its word file after training; false positives and negatives are
# counted at each filter's own spam verdict, and the AUC is computed from its
# scores. Trellisk scores with AutoLearning=0, as the peers' scoring does not
# learn either.
#
# Run from the repository root as root (it installs what is missing):
#   bench/peers.sh [BUILD_DIR]     (default build/release, built here when absent)
set -euo pipefail
BUILD=${1:-build/release}
REPEAT=${REPEAT:-3}
ROOT=$PWD

install_missing() {
  local missing=()
  command -v bogofilter >/dev/null || missing+=(bogofilter)
  command -v spamprobe >/dev/null || missing+=(spamprobe)
  [ -x /usr/bin/time ] || missing+=(time)
  command -v bc >/dev/null || missing+=(bc)
  [ ${#missing[@]} -eq 0 ] && return
  apt-get -o DPkg::Lock::Timeout=600 update -qq
  apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
install_missing
scripts/fetch-corpus.sh >/dev/null
if [ ! -x "$BUILD/trellisk-host" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTRELLISK_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$BUILD" --target trellisk-host trellisk >/dev/null
HOST="$ROOT/$BUILD/trellisk-host"

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
split() {  # folder class -> symlinks of the even (train) and odd (test) messages
  local i=0
  mkdir -p "$WORK/train/$2" "$WORK/test/$2"
  for f in $(ls .cache/corpus/"$1" | sort); do
    if (( i % 2 == 0 )); then half=train; else half=test; fi
    ln -s "$ROOT/.cache/corpus/$1/$f" "$WORK/$half/$2/$1-$f"
    i=$((i + 1))
  done
}
split spam-1 spam; split spam-2 spam; split easy-ham-1 ham; split easy-ham-2 ham; split hard-ham-1 ham
TRAIN=$(find "$WORK/train" -type l | wc -l)
TEST=$(find "$WORK/test" -type l | wc -l)
TEST_SPAM=$(find "$WORK/test/spam" -type l | wc -l)
mapfile -t TRAIN_SPAM < <(find "$WORK/train/spam" -type l | sort)
mapfile -t TRAIN_HAM < <(find "$WORK/train/ham" -type l | sort)
mapfile -t TEST_FILES < <(find "$WORK/test/spam" "$WORK/test/ham" -type l | sort)
echo "train half: $TRAIN messages, test half: $TEST messages ($TEST_SPAM spam); $REPEAT runs each"

# timed OUT CMD... : runs CMD with its output in OUT; prints "seconds peak-kB".
# bogofilter's exit status is its verdict, so a non-zero status is no error.
timed() {
  local out=$1; shift
  /usr/bin/time -f "%e %M" -o "$WORK/time" "$@" >"$out" 2>/dev/null || true
  tail -n 1 "$WORK/time"
}
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
rate() { echo "scale=0; $1 / $2" | bc; }

# Accuracy from lines "label score verdict" (label and verdict 1 spam, 0 ham):
# false positives, false negatives, the spam missed by a cut-off just above
# every ham (0 FP) and above all but 0.5% of the ham, and the ROC area
# (ties count half).
accuracy() {
  sort -k2,2g | awk '
    { label[NR] = $1; score[NR] = $2; if ($3 == 1 && $1 == 0) fp++; if ($3 == 0 && $1 == 1) fn++
      if ($1 == 0) ham[++hams] = $2 }
    function missed_at(cut,   k, m) { m = 0; for (k = 1; k <= NR; k++) if (label[k] == 1 && score[k] <= cut) m++; return m }
    END {
      n = NR; i = 1
      while (i <= n) {
        j = i; while (j < n && score[j + 1] == score[i]) j++
        for (k = i; k <= j; k++) rank[k] = (i + j) / 2
        i = j + 1
      }
      for (k = 1; k <= n; k++) if (label[k] == 1) { pos++; sum += rank[k] } else neg++
      allowed = int(0.005 * hams)
      printf "%d %d %d %d %.5f\n", fp, fn, missed_at(ham[hams]), missed_at(ham[hams - allowed]),
        (sum - pos * (pos + 1) / 2) / (pos * neg)
    }'
}
label_of() { case "$1" in */test/spam/*) echo 1 ;; *) echo 0 ;; esac; }

# run_filter NAME : the filter's functions do the work: NAME_train SPAM|HAM
# and NAME_score run the filter with `timed`, NAME_size prints its database
# size, NAME_verdicts turns its score output into "label score verdict" lines.
declare -a ROWS
run_filter() {
  local name=$1 train_times=() score_times=() peak=0 t m t2 m2
  for ((run = 1; run <= REPEAT; run++)); do
    rm -rf "$WORK/db-$name"; mkdir -p "$WORK/db-$name"
    read -r t m < <("${name}_train" spam)
    read -r t2 m2 < <("${name}_train" ham)
    train_times+=("$(echo "$t + $t2" | bc)")
    peak=$(printf '%s\n' "$peak" "$m" "$m2" | sort -n | tail -1)
    read -r t m < <("${name}_score")
    score_times+=("$t")
    peak=$(printf '%s\n' "$peak" "$m" | sort -n | tail -1)
  done
  local result train_s score_s
  result=$("${name}_verdicts" <"$WORK/scores-$name" | accuracy)
  train_s=$(printf '%s\n' "${train_times[@]}" | median)
  score_s=$(printf '%s\n' "${score_times[@]}" | median)
  ROWS+=("$name $(rate "$TRAIN" "$train_s") $(rate "$TEST" "$score_s") $((peak / 1024)) $(( $("${name}_size") / 1024 )) $result")
}

# Trellisk in its default mode and in the precise mode (Algorithm=11, every
# other setting as it is by default).
trellisk_run() {  # NAME ALGORITHM train spam|ham | NAME ALGORITHM score
  local name=$1 algorithm=$2; shift 2
  local host=("$HOST" --data "$WORK/db-$name" --setting Algorithm="$algorithm")
  case "$1 ${2:-}" in
    "train spam") timed /dev/null "${host[@]}" train --spam "${TRAIN_SPAM[@]}" ;;
    "train ham") timed /dev/null "${host[@]}" train --ham "${TRAIN_HAM[@]}" ;;
    *) timed "$WORK/scores-$name" "${host[@]}" --setting AutoLearning=0 --setting DNSBlacklist=0 \
         score "${TEST_FILES[@]}" ;;
  esac
}
trellisk_verdicts() {
  awk '$2 == "SPAM" || $2 == "HAM" { print $1, ($2 == "SPAM") ? 1 : 0, $3 }' |
    while read -r score verdict file; do echo "$(label_of "$file") $score $verdict"; done
}
trellisk_train() { trellisk_run trellisk 1 train "$1"; }
trellisk_score() { trellisk_run trellisk 1 score; }
trellisk_size() { stat -c %s "$WORK/db-trellisk/database.dat"; }
trellisk-precise_train() { trellisk_run trellisk-precise 11 train "$1"; }
trellisk-precise_score() { trellisk_run trellisk-precise 11 score; }
trellisk-precise_size() { stat -c %s "$WORK/db-trellisk-precise/database.dat"; }
trellisk-precise_verdicts() { trellisk_verdicts; }

bogofilter_train() {
  if [ "$1" = spam ]; then timed /dev/null bogofilter -d "$WORK/db-bogofilter" -s -B "${TRAIN_SPAM[@]}"
  else timed /dev/null bogofilter -d "$WORK/db-bogofilter" -n -B "${TRAIN_HAM[@]}"; fi
}
bogofilter_score() { timed "$WORK/scores-bogofilter" bogofilter -d "$WORK/db-bogofilter" -v -B "${TEST_FILES[@]}"; }
bogofilter_size() { stat -c %s "$WORK/db-bogofilter/wordlist.db"; }
bogofilter_verdicts() {
  sed -E 's/^([^ ]+) X-Bogosity: ([A-Za-z]+),.*spamicity=([0-9.]+).*/\1 \2 \3/' |
    while read -r file verdict score; do
      echo "$(label_of "$file") $score $([ "$verdict" = Spam ] && echo 1 || echo 0)"
    done
}

spamprobe_train() {
  if [ "$1" = spam ]; then timed /dev/null spamprobe -d "$WORK/db-spamprobe" train-spam "${TRAIN_SPAM[@]}"
  else timed /dev/null spamprobe -d "$WORK/db-spamprobe" train-good "${TRAIN_HAM[@]}"; fi
}
spamprobe_score() { timed "$WORK/scores-spamprobe" spamprobe -d "$WORK/db-spamprobe" score "${TEST_FILES[@]}"; }
spamprobe_size() { stat -c %s "$WORK/db-spamprobe/sp_words"; }
# spamprobe names no file: its lines come in the order of the files given.
spamprobe_verdicts() {
  paste -d ' ' <(printf '%s\n' "${TEST_FILES[@]}") - |
    while read -r file verdict score _; do
      echo "$(label_of "$file") $score $([ "$verdict" = SPAM ] && echo 1 || echo 0)"
    done
}

# One message per process, as a delivery agent pays it: start-up, loading
# the database, scoring, saving. Both filters learn the whole corpus first;
# then each of PER_MESSAGE test messages goes through the filter in a
# process of its own (Trellisk without automatic learning, which would
# change its database; bogofilter in its pass-through mode without
# learning either).
PER_MESSAGE=${PER_MESSAGE:-50}
per_message() {
  local all_spam all_ham picked=() i
  mapfile -t all_spam < <(printf '%s\n' "${TRAIN_SPAM[@]}" && find "$WORK/test/spam" -type l | sort)
  mapfile -t all_ham < <(printf '%s\n' "${TRAIN_HAM[@]}" && find "$WORK/test/ham" -type l | sort)
  rm -rf "$WORK/one-trellisk" "$WORK/one-bogofilter"; mkdir -p "$WORK/one-bogofilter"
  "$HOST" --data "$WORK/one-trellisk" --setting AutoLearning=0 --setting DNSBlacklist=0 \
    train --spam "${all_spam[@]}" >/dev/null
  "$HOST" --data "$WORK/one-trellisk" train --ham "${all_ham[@]}" >/dev/null
  bogofilter -d "$WORK/one-bogofilter" -s -B "${all_spam[@]}"
  bogofilter -d "$WORK/one-bogofilter" -n -B "${all_ham[@]}"
  for ((i = 0; i < PER_MESSAGE; i++)); do picked+=("${TEST_FILES[$((i * ${#TEST_FILES[@]} / PER_MESSAGE))]}"); done
  local stamp pass trellisk_ms=() bogofilter_ms=()
  # Scoring records each message in the undo database; the word database and
  # the lists do not change. (Every 100th start compresses the word database
  # and so rewrites it: the first pass stays below that.)
  local unchanged=("$WORK/one-trellisk/database.dat" "$WORK/one-trellisk/blacklist.txt" "$WORK/one-trellisk/whitelist.txt")
  stamp=$(stat -c %Y.%s "${unchanged[@]}")
  # REPEAT passes, the two filters taking turns, so that a busy moment of
  # the machine falls on both; the median pass of each counts.
  for ((pass = 0; pass < REPEAT; pass++)); do
    trellisk_ms+=("$(per_message_pass trellisk_one "${picked[@]}")")
    bogofilter_ms+=("$(per_message_pass bogofilter_one "${picked[@]}")")
    if [ "$pass" -eq 0 ]; then
      REWRITTEN=$([ "$stamp" = "$(stat -c %Y.%s "${unchanged[@]}")" ] && echo no || echo yes)
    fi
  done
  TRELLISK_ONE=$(printf '%s\n' "${trellisk_ms[@]}" | sort -n | sed -n "$(((REPEAT + 1) / 2))p")
  BOGOFILTER_ONE=$(printf '%s\n' "${bogofilter_ms[@]}" | sort -n | sed -n "$(((REPEAT + 1) / 2))p")
}
trellisk_one() { "$HOST" --data "$WORK/one-trellisk" filter <"$1" >/dev/null || true; }
bogofilter_one() { bogofilter -d "$WORK/one-bogofilter" -p -e <"$1" >/dev/null || true; }
# per_message_pass FILTER FILE... : milliseconds per message of one pass.
per_message_pass() {
  local filter=$1 before after f
  shift
  before=$(date +%s.%N)
  for f in "$@"; do "$filter" "$f"; done
  after=$(date +%s.%N)
  echo "($after - $before) * 1000 / $#" | bc -l
}

run_filter trellisk
run_filter trellisk-precise
run_filter bogofilter
run_filter spamprobe
per_message

printf '\n| filter | train msg/s | score msg/s | peak MB | database KB | FP | FN | spam missed at 0 FP | at 0.5%% FP | AUC |\n'
printf '|---|---|---|---|---|---|---|---|---|---|\n'
for row in "${ROWS[@]}"; do
  read -r name train score peak size fp fn missed0 missed05 auc <<<"$row"
  printf '| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n' "$name" "$train" "$score" "$peak" "$size" "$fp" "$fn" \
    "$missed0" "$missed05" "$auc"
done
read -r _ our_train our_score _ <<<"${ROWS[0]}"
read -r _ precise_train precise_score _ <<<"${ROWS[1]}"
printf '\nThe precise mode against the default mode (messages per second): train %.2fx, score %.2fx\n' \
  "$(echo "scale=4; $precise_train / $our_train" | bc)" "$(echo "scale=4; $precise_score / $our_score" | bc)"
printf '\nOne message per process (%d messages, whole corpus learned): trellisk filter %.1f ms, bogofilter -p %.1f ms (%.2fx); word database and lists rewritten by the filter: %s\n' \
  "$PER_MESSAGE" "$TRELLISK_ONE" "$BOGOFILTER_ONE" "$(echo "$TRELLISK_ONE / $BOGOFILTER_ONE" | bc -l)" "$REWRITTEN"
printf '\nTrellisk against each peer (ratio of messages per second):\n'
for row in "${ROWS[@]:2}"; do
  read -r name train score _ <<<"$row"
  printf '  %-10s train %.2fx  score %.2fx\n' "$name" "$(echo "scale=4; $our_train / $train" | bc)" \
    "$(echo "scale=4; $our_score / $score" | bc)"
done
