#!/usr/bin/env bash
# trellisk-host tune on a small labelled set of made-up mail: it refuses a
# set too small to decide, prints one row per setting of its grid and a
# recommendation, and --apply stores the recommended setting where the
# plug-in of the data directory reads it, keeping the rule filter bit.
# Usage: tune_test.sh <trellisk-host>
set -uo pipefail
HOST=$(realpath "$1")
WORK=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$WORK"' EXIT
unset TRELLISK_REGISTRY
failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }

spam_words=(winner cheap offer pills casino prize unsubscribe bonus credit free)
ham_words=(meeting project report schedule review draft minutes budget agenda patch)
common_words=(today please thanks regards about with your this that time)
# make_mail FOLDER COUNT WORDS...: COUNT messages of random words, one in
# ten from the other class's words ($other) so that the settings differ.
make_mail() {
  local folder=$1 count=$2 i j; shift 2
  local own=("$@")
  mkdir -p "$folder"
  for ((i = 0; i < count; i++)); do
    {
      printf 'From: sender%d@example.org\nSubject: message %d\nMessage-ID: <%s-%d@example.org>\n\n' \
        $((RANDOM % 40)) "$i" "$(basename "$folder")" "$i"
      for ((j = 0; j < 30; j++)); do
        case $((RANDOM % 10)) in
          0|1) printf '%s ' "${common_words[RANDOM % 10]}" ;;
          2) printf '%s ' "${other[RANDOM % 10]}" ;;
          *) printf '%s ' "${own[RANDOM % 10]}" ;;
        esac
      done
      printf '\n'
    } >"$folder/$i.eml"
  done
}
RANDOM=7
other=("${ham_words[@]}"); make_mail "$WORK/spam" 120 "${spam_words[@]}"
other=("${spam_words[@]}"); make_mail "$WORK/ham" 120 "${ham_words[@]}"
mkdir -p "$WORK/few"; cp "$WORK"/spam/{0..49}.eml "$WORK/few/"

out=$("$HOST" --data "$WORK/data" tune --spam "$WORK/few" --ham "$WORK/ham" 2>&1)
[ $? -ne 0 ] || fail "too few spam: tune fails"
grep -q "needs at least 100 spam and 100 ham to decide; given 50 spam and 120 ham" <<<"$out" ||
  fail "too few spam: the reason is given: $out"

"$HOST" --data "$WORK/data" --setting Algorithm=5 start >/dev/null || fail "the user's settings are stored"
stores=$(cksum "$WORK"/data/*.dat)
"$HOST" --data "$WORK/data" tune --folds 2 --spam "$WORK/spam" --ham "$WORK/ham" --apply >"$WORK/out" 2>&1 ||
  fail "tune --apply exits with 0: $(cat "$WORK/out")"
rows=$(grep -cE '^Algorithm=[0-9]+ .* [0-9]+ +[0-9]+ +[0-9]+ +[01]\.[0-9]{5} +[0-9]+' "$WORK/out")
[ "$rows" -eq 30 ] || fail "one row per setting of the grid: $rows"
[ "$(grep -c '<- recommended' "$WORK/out")" -eq 1 ] || fail "exactly one row is recommended"
recommended=$(sed -n 's/^recommended at threshold 90: //p' "$WORK/out")
grep -q "^$recommended .*<- recommended" "$WORK/out" || fail "the recommendation is the marked row: $recommended"
[ "$(awk '/<- recommended/ { print $(NF-6) }' "$WORK/out")" = 0 ] || fail "the recommended row has no false positives"

algorithm=$(sed -E 's/^Algorithm=([0-9]+).*/\1/' <<<"$recommended")
stored=$(sed -n 's/^"Algorithm"=dword:0*//p' "$WORK/data/registry/HKEY_LOCAL_MACHINE.reg")
[ "$((16#${stored:-0}))" -eq $((algorithm | 4)) ] || fail "Algorithm $algorithm is stored with the rule filter bit: $stored"
grep -q '^"HamWeight"=dword:' "$WORK/data/registry/HKEY_LOCAL_MACHINE.reg" || fail "HamWeight is stored"
[ "$stores" = "$(cksum "$WORK"/data/*.dat)" ] || fail "tuning leaves the user's stores alone"

exit $((failures > 0))
