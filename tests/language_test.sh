#!/usr/bin/env bash
# The plug-in's languages through its exports: the training warning of an
# empty database in German, Russian and French from the trellisk.lng the
# build makes, English with Language 0, and English with one log line for a
# language the file lacks, a damaged file and no file. trellisk-lng then
# round-trips that trellisk.lng byte for byte and compiles its own template.
# Usage: language_test.sh <trellisk-host> <trellisk-lng>
set -uo pipefail
HOST=$1
LNG=$2
BUILT=$(dirname "$HOST")
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
unset TRELLISK_REGISTRY
failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }

# setup_box NAME PLUGIN LANGUAGE: the first message box TBP_Setup shows (the
# training warning; without a terminal the setup dialog then says it cannot open).
setup_box() {
  TRELLISK_MESSAGE_BOXES="$WORK/$1.boxes" "$HOST" --data "$WORK/$1" --plugin "$2" --setting DNSBlacklist=0 \
    --setting Language="$3" setup >/dev/null 2>&1
  head -n 1 "$WORK/$1.boxes" 2>/dev/null
}
expect_box() {  # name plugin language expected-box-line
  local shown
  shown=$(setup_box "$1" "$2" "$3")
  [ "$shown" = "$4" ] || fail "$1: the box reads '$shown'"
}

english="message box [information] Empty Database: The database of the Trellisk is empty. Please train the filter!"
expect_box german "$BUILT/trellisk.tbp" 8 \
  "message box [information] Leere Datenbank: Die Datenbank von Trellisk ist leer. Bitte trainieren Sie den Filter!"
expect_box russian "$BUILT/trellisk.tbp" 1 \
  "message box [information] База данных пуста: База данных Trellisk пуста. Пожалуйста, обучите фильтр!"
expect_box french "$BUILT/trellisk.tbp" 19 \
  "message box [information] Base de données vide: La base de données de Trellisk est vide. Veuillez entraîner le filtre !"
expect_box english "$BUILT/trellisk.tbp" 0 "$english"
grep -qi "language file" "$WORK/english/trellisk.log" && fail "Language 0 logs nothing of the language file"

# log_line NAME: the single line the log has about the language file.
expect_logged() {  # name pattern
  local lines
  lines=$(grep -c "The language file" "$WORK/$1/trellisk.log")
  [ "$lines" = 1 ] || fail "$1: $lines log lines about the language file"
  grep -q "$2" "$WORK/$1/trellisk.log" || fail "$1: the log does not say '$2'"
}
expect_box missing-language "$BUILT/trellisk.tbp" 5 "$english"
expect_logged missing-language "cannot be used (it holds no language 5); the texts stay in English."

mkdir -p "$WORK/plugin"
cp "$BUILT/trellisk.tbp" "$WORK/plugin/"
expect_box no-file "$WORK/plugin/trellisk.tbp" 8 "$english"
expect_logged no-file "cannot be used (it cannot be opened)"
expect_box no-file-english "$WORK/plugin/trellisk.tbp" 0 "$english"
grep -q "The language file" "$WORK/no-file-english/trellisk.log" && fail "without a file, Language 0 logs nothing of it"
head -c 4000 "$BUILT/trellisk.lng" >"$WORK/plugin/trellisk.lng"
expect_box damaged "$WORK/plugin/trellisk.tbp" 8 "$english"
expect_logged damaged "cannot be used (the record at byte 9 runs past the end of the file)"

"$LNG" dump "$BUILT/trellisk.lng" >"$WORK/dump.txt" || fail "dump"
"$LNG" compile "$WORK/again.lng" "$WORK/dump.txt" || fail "compile the dump"
cmp -s "$WORK/again.lng" "$BUILT/trellisk.lng" || fail "trellisk.lng does not round-trip byte for byte"
"$LNG" template 8 >"$WORK/template.txt" && "$LNG" compile "$WORK/template.lng" "$WORK/template.txt" ||
  fail "the template compiles"
sed 's/^string 120 /string 121 /' "$WORK/template.txt" >"$WORK/shifted.txt"
"$LNG" compile "$WORK/shifted.lng" "$WORK/shifted.txt" 2>"$WORK/shifted.err" && fail "a shifted string list compiles"
grep -q "string 121 stands where the table has 120" "$WORK/shifted.err" || fail "the shift is named"

[ $failures -eq 0 ] && echo "language_test: all passed"
exit $((failures > 0))
