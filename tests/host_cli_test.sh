#!/usr/bin/env bash
# trellisk-host as a user runs it: help on every command, training and
# scoring the sample mail, an unreadable input among readable ones, the
# statistics and a macro. Usage: host_cli_test.sh <trellisk-host> <samples>
set -uo pipefail
HOST=$1
SAMPLES=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
unset TRELLISK_REGISTRY
failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
# No test asks the public DNS blacklists of the default zone list.
host() { "$HOST" --data "$WORK/data" --setting DNSBlacklist=0 "$@"; }

for command in score train eval stats macro info start setup; do
  host "$command" --help | grep -q "^usage: trellisk-host" || fail "$command --help"
done
host --help | grep -q "^commands:" || fail "--help lists the commands"
host frobnicate 2>/dev/null; [ $? -eq 2 ] || fail "an unknown command exits with 2"
host score --no-such-option x 2>/dev/null; [ $? -eq 2 ] || fail "an unknown option exits with 2"
host train "$SAMPLES/train/spam" 2>/dev/null; [ $? -eq 2 ] || fail "train without --spam or --ham exits with 2"

host train --spam "$SAMPLES/train/spam" | grep -q "^trained 30 messages as spam" || fail "train --spam"
host train --ham "$SAMPLES/train/ham" | grep -q "^trained 30 messages as ham" || fail "train --ham"

host score -j 2 "$SAMPLES/new" "$WORK/missing.eml" >"$WORK/scores" 2>"$WORK/errors"
status=$?
[ $status -eq 1 ] || fail "an unreadable input makes the exit status 1 (was $status)"
grep -q "missing.eml: no such file or directory" "$WORK/errors" || fail "the unreadable input is named"
[ "$(wc -l <"$WORK/scores")" -eq 10 ] || fail "every readable message is scored: $(cat "$WORK/scores")"
grep -q "^ *[0-9]* SPAM .*inbox.mbox#1$" "$WORK/scores" || fail "the mbox spam is spam: $(cat "$WORK/scores")"
grep -q "^ *[0-9]* HAM  .*inbox.mbox#2$" "$WORK/scores" || fail "the mbox ham is ham"
[ "$(grep -c ' SPAM .*spam-3' "$WORK/scores")" -eq 4 ] || fail "the new spam is spam"
[ "$(grep -c ' HAM  .*ham-3' "$WORK/scores")" -eq 4 ] || fail "the new ham is ham"
[ "$(sed 's/^ *[0-9]* [A-Z]* *//' "$WORK/scores" | sort | tr '\n' ' ')" = "$(sed 's/^ *[0-9]* [A-Z]* *//' "$WORK/scores" | tr '\n' ' ')" ] ||
  fail "lines come in input order with -j 2"

host stats | grep -q "^detected Spam: 5 (100.00%)$" || fail "stats: $(host stats)"
[ "$(host macro spamfilterversion)" = "Trellisk v2.0.4" ] || fail "macro SPAMFILTERVERSION"
host macro NOPE 2>/dev/null; [ $? -eq 1 ] || fail "an unknown macro exits with 1"
grep -q "SPAM RECEIVED, Message-ID: " "$WORK/data/trellisk.log" || fail "the log holds the decisions"

# The side images of the word and undo tables stand for their text files
# only: a damaged image, or a text file replaced by another, gives the
# scores of the text.
data=$WORK/data
[ -s "$data/database.dat.image" ] && [ -s "$data/undo.dat.image" ] || fail "the stores have their images"
host score "$SAMPLES/new" >"$WORK/imaged" || fail "scoring from the images"
head -c 70000 "$data/database.dat.image" >"$WORK/cut" && mv "$WORK/cut" "$data/database.dat.image"
host score "$SAMPLES/new" | diff -q - "$WORK/imaged" >/dev/null || fail "a cut image changes the scores"
[ "$(stat -c %s "$data/database.dat.image")" -gt 70000 ] || fail "the cut image is made anew"
cp -r "$data" "$WORK/other"
"$HOST" --data "$WORK/other" --setting DNSBlacklist=0 train --spam "$SAMPLES/train/ham" >/dev/null
cp "$WORK/other/database.dat" "$data/database.dat"
"$HOST" --data "$WORK/other" --setting DNSBlacklist=0 score "$SAMPLES/new" >"$WORK/other-scores"
host score "$SAMPLES/new" | diff -q - "$WORK/other-scores" >/dev/null ||
  fail "a replaced word database is read, not the old image"

# The lists and the rules, from their files in the data directory.
printf 'TEXT: tkeller@northwind.example\r\n' >"$WORK/data/blacklist.txt"
printf 'REGEXP: lena\\.fischer@\r\n' >"$WORK/data/whitelist.txt"
printf 'SUBJECT: 600 "%s" [test rule]\r\n' "$(grep -m1 '^Subject:' "$SAMPLES/new/ham-32.eml" | awk '{print $NF}')" \
  >"$WORK/data/filters.dat"
host --setting Algorithm=5 score "$SAMPLES/new/ham-31.eml" "$SAMPLES/new/ham-33.eml" "$SAMPLES/new/ham-32.eml" \
  >"$WORK/checked" || fail "scoring with lists and rules"
grep -q "^100 SPAM .*ham-31.eml$" "$WORK/checked" || fail "a black-listed sender: $(cat "$WORK/checked")"
grep -q "^  0 HAM  .*ham-33.eml$" "$WORK/checked" || fail "a white-listed sender"
grep -q "^100 SPAM .*ham-32.eml$" "$WORK/checked" || fail "a rule-filtered subject"
grep -q "BLACKLISTED, .*Reason: tkeller@northwind.example" "$WORK/data/trellisk.log" || fail "the black-list line"
grep -q "WHITELISTED, .*Reason: lena\\\\.fischer@" "$WORK/data/trellisk.log" || fail "the white-list line"
grep -q "REGEXP FILTERED, .*Reason: 600.00" "$WORK/data/trellisk.log" || fail "the rule-filter line"

# eval: the fixed-rate figures, and the plot where gnuplot is installed;
# its temporary data directory is gone afterwards.
mkdir "$WORK/tmp"
TMPDIR=$WORK/tmp host eval --spam "$SAMPLES/train/spam" --ham "$SAMPLES/train/ham" --plot "$WORK/eval.png" \
  >"$WORK/eval" 2>&1
status=$?
[ -z "$(ls -A "$WORK/tmp")" ] || fail "eval leaves its temporary directory: $(ls "$WORK/tmp")"
grep -q "^spam missed at 0.0% false positives: [0-9]* " "$WORK/eval" || fail "eval: $(cat "$WORK/eval")"
if command -v gnuplot >/dev/null; then
  [ $status -eq 0 ] && [ "$(head -c 8 "$WORK/eval.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
    fail "eval --plot draws no PNG: $(cat "$WORK/eval")"
else
  grep -q "apt-get install gnuplot-nox" "$WORK/eval" || fail "eval --plot says how to get gnuplot"
fi

exit $((failures > 0))
