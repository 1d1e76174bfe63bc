#!/usr/bin/env bash
# corpus-scores.sh HOST OUTDIR [GLOBAL-OPTION...]: the outcome of one fixed
# run over the real-mail corpus (scripts/fetch-corpus.sh), to compare two
# builds message for message: `diff -r OUTDIR-A OUTDIR-B` is empty when they
# behave alike. The host trains a fresh plug-in on spam-1 and easy-ham-1 and
# scores every message of the corpus, DNS look-ups and automatic learning
# off. OUTDIR gets:
#   scores.txt  one line per message: score, verdict, file
#   log.txt     the plug-in's log without timestamps and timings
#   words.txt   the word database's header and records, sorted (learning
#               threads run at once, so the order of records varies)
#   undo.txt    the undo records without their times, sorted
set -euo pipefail
host=$1; out=$2; shift 2
corpus=$(cd "$(dirname "$0")/.." && pwd)/.cache/corpus
[ -d "$corpus/spam-1" ] || { echo "corpus-scores: no corpus; run scripts/fetch-corpus.sh" >&2; exit 1; }
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
mkdir -p "$out"
run() { TRELLISK_REGISTRY=$data "$host" --data "$data" --setting DNSBlacklist=0 --setting AutoLearning=0 "$@"; }
run "$@" train --spam "$corpus/spam-1" >/dev/null
run "$@" train --ham "$corpus/easy-ham-1" >/dev/null
run "$@" score "$corpus/spam-2" "$corpus/easy-ham-2" "$corpus/hard-ham-1" "$corpus/spam-1" >"$out/scores.txt"
sed -E 's/^[A-Z][a-z]{2}, [A-Z][a-z]{2} [0-9]{2} [0-9]{4}, [0-9:]{8}, //; s/(Filter|Learning)time: [0-9.]+ms/\1time/;
        s/\([0-9.]+ms\)//' "$data/trellisk.log" >"$out/log.txt"
{ head -3 "$data/database.dat"; tail -n +4 "$data/database.dat" | paste -d ' ' - - - | LC_ALL=C sort; } >"$out/words.txt"
paste -d ' ' - - - <"$data/undo.dat" | cut -d ' ' -f 1,2 | LC_ALL=C sort >"$out/undo.txt"
