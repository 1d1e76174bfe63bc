#!/usr/bin/env bash
# trellisk-host filter in a real procmail delivery, as a Linux user runs it:
# after training on the sample mail, procmail pipes each new sample through
# the filter and files it by the verdict header; the delivered mail is the
# original plus the two fields. Also the exit codes, a message passed
# through unchanged when the filter fails, two deliveries at once, and
# training from standard input.
# Usage: filter_test.sh <trellisk-host> <samples>
set -uo pipefail
HOST=$(realpath "$1")
SAMPLES=$2
WORK=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$WORK"' EXIT
unset TRELLISK_REGISTRY
failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
host() { "$HOST" --data "$WORK/data" --setting DNSBlacklist=0 --setting AutoLearning=0 "$@"; }
if ! command -v procmail >/dev/null; then
  echo "procmail is not installed (apt-get install procmail)" >&2
  exit 77
fi

host train --spam "$SAMPLES/train/spam" >/dev/null || fail "train --spam"
host train --ham "$SAMPLES/train/ham" >/dev/null || fail "train --ham"

cat >"$WORK/procmailrc" <<RC
SHELL=/bin/sh
MAILDIR=$WORK/mail
DEFAULT=$WORK/mail/inbox/
LOGFILE=$WORK/procmail.log

:0 fw
| "$HOST" --data "$WORK/data" filter || [ \$? -eq 1 ]

:0
* ^X-Trellisk-Status: Spam
spam/
RC
mkdir -p "$WORK/mail"
for message in "$SAMPLES"/new/*.eml; do
  procmail -m "$WORK/procmailrc" <"$message" || fail "procmail delivered $(basename "$message")"
done
# Each delivered mail is a sample with the two fields added (and the empty
# line procmail ends every delivery with); each sample arrives once, in the
# folder of its kind.
strip() { grep -v -E '^X-Trellisk-(Score|Status): ' "$1" | sed '${/^$/d}'; }
for kind in spam ham; do
  folder=$([ $kind = spam ] && echo spam || echo inbox)
  for message in "$SAMPLES"/new/$kind-*.eml; do
    found=0
    for delivered in "$WORK/mail/$folder"/new/*; do
      [ -f "$delivered" ] || continue
      if strip "$delivered" | cmp -s - "$message"; then
        found=1
        grep -q "^X-Trellisk-Score: [0-9]*" "$delivered" || fail "$(basename "$message") has no score field"
      fi
    done
    [ $found -eq 1 ] || fail "$(basename "$message") did not arrive unchanged in $folder/"
  done
done
[ "$(find "$WORK/mail" -path "*/new/*" -type f | wc -l)" -eq "$(ls "$SAMPLES"/new/*.eml | wc -l)" ] || fail "one delivery per message"

# The verdict alone and the exit codes: 0 spam, 1 ham.
host filter --passthrough=no <"$SAMPLES/new/spam-31.eml" >"$WORK/verdict"
[ $? -eq 0 ] || fail "a spam message exits with 0"
grep -q "^X-Trellisk-Status: Spam, score=" "$WORK/verdict" || fail "the verdict line reads '$(cat "$WORK/verdict")'"
host filter <"$SAMPLES/new/ham-31.eml" >/dev/null
[ $? -eq 1 ] || fail "a ham message exits with 1"

# Whatever fails, the message passes unchanged: a plug-in that cannot be
# loaded, a bad option.
"$HOST" --data "$WORK/data" --plugin "$WORK/missing.tbp" filter <"$SAMPLES/new/ham-32.eml" >"$WORK/out" 2>"$WORK/err"
[ $? -eq 3 ] || fail "a filter that cannot load the plug-in exits with 3"
cmp -s "$WORK/out" "$SAMPLES/new/ham-32.eml" || fail "the message passes unchanged when the plug-in is missing"
[ -s "$WORK/err" ] || fail "the failure is told on standard error"
host filter --passthrough=maybe <"$SAMPLES/new/ham-32.eml" >"$WORK/out" 2>/dev/null
[ $? -eq 3 ] || fail "a bad option exits with 3"
cmp -s "$WORK/out" "$SAMPLES/new/ham-32.eml" || fail "the message passes unchanged after a bad option"

# Two deliveries at once: both messages arrive.
rm -rf "$WORK/mail"
mkdir -p "$WORK/mail"
procmail -m "$WORK/procmailrc" <"$SAMPLES/new/spam-32.eml" &
procmail -m "$WORK/procmailrc" <"$SAMPLES/new/ham-33.eml"
wait
delivered=$(cat "$WORK/mail"/*/new/* 2>/dev/null | grep -c '^X-Trellisk-Status: ')
[ "$delivered" -eq 2 ] || fail "two deliveries at once delivered $delivered messages"

# A training macro pipes the message in; an mbox stream with --mbox.
host train --spam - <"$SAMPLES/new/spam-33.eml" | grep -q "^trained 1 messages as spam" || fail "train --spam -"
host score --mbox - <"$SAMPLES/new/inbox.mbox" >"$WORK/scores" || fail "score --mbox -"
[ "$(grep -c ' -#' "$WORK/scores")" -gt 1 ] || fail "score --mbox - scores every message of the stream"

[ $failures -eq 0 ] && echo "filter_test: all checks passed"
exit $((failures > 0))
