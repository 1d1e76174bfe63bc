#!/usr/bin/env bash
# The setup dialog in a terminal: trellisk-host setup runs inside tmux at
# 80x24 and 120x40, is driven with keys and read back from the screen.
# The General page opens with the seven tab captions; every label of every
# page shows whole at both sizes; typed numbers, a check box and the DNS
# zones reach the registry with OK, and nothing with Esc; the black-list
# editor adds an entry that the next scoring run uses and keeps its layout
# when the terminal is resized; a box of the plug-in shows inside the
# dialog; mouse clicks select a tab, toggle a box and press OK (where the
# kernel lets a test type into a terminal). Without a terminal the dialog
# is not created and the host is told so.
# Usage: setup_terminal_test.sh <trellisk-host>
set -uo pipefail
HOST=$1
command -v tmux >/dev/null || { echo "tmux is not installed"; exit 77; }
WORK=$(mktemp -d)
SERVER=trellisk-setup-test-$$
trap 'tmux -L "$SERVER" kill-server 2>/dev/null; rm -rf "$WORK"' EXIT
unset TRELLISK_REGISTRY
failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
tm() { tmux -L "$SERVER" "$@"; }

# start NAME COLUMNS ROWS: the dialog of a new data directory NAME in a
# terminal of that size. An untrained filter first says so in a box inside
# the dialog's screen, which the user closes.
start() {
  tm new-session -d -s "$1" -x "$2" -y "$3" \
    "env LANG=C.UTF-8 TRELLISK_MESSAGE_BOXES='$WORK/$1.boxes' '$HOST' --data '$WORK/$1' --setting DNSBlacklist=0 \
     setup 2>'$WORK/$1.err'; echo \"host exited \$?\"; sleep 600"
  wait_for "$1" "The database of the Trellisk is empty" && keys "$1" Enter
  wait_for "$1" "max. Threadcount"
}
screen() { tm capture-pane -p -t "$1"; }
keys() { local name=$1; shift; tm send-keys -t "$name" "$@"; }
type_text() { tm send-keys -t "$1" -l "$2"; }
# wait_for NAME TEXT: until the screen shows TEXT (10 s at most).
wait_for() {
  local tries
  for tries in $(seq 100); do
    screen "$1" | grep -qF -- "$2" && return 0
    sleep 0.1
  done
  fail "$1: the screen never showed '$2'"
  screen "$1" >&2
  return 1
}
# wait_line NAME N PATTERN: until line N of the screen matches PATTERN.
wait_line() {
  local tries
  for tries in $(seq 100); do
    screen "$1" | sed -n "$2p" | grep -q -- "$3" && return 0
    sleep 0.1
  done
  fail "$1: line $2 never matched '$3'"
  screen "$1" >&2
}
wait_gone() {
  local tries
  for tries in $(seq 100); do
    screen "$1" | grep -qF -- "$2" || return 0
    sleep 0.1
  done
  fail "$1: '$2' stayed on the screen"
}
registry() { grep -F "\"$2\"=" "$WORK/$1/registry/HKEY_LOCAL_MACHINE.reg"; }
expect_registry() {  # name value-name expected-line
  local line
  line=$(registry "$1" "$2")
  [ "$line" = "$3" ] || fail "$1: the registry holds '$line', not '$3'"
}

captions="General Database Blacklist/Whitelist DNS-Blacklist RegExp Filter Logfile About"
pages=(
  "max. Threadcount|No Report Dialog Below|Significant Words|Language|English|[x] Reduce Noise from Mails|[x] Automatic Learning for Black-/Whitelisted Mails|[x] Train on Error|[x] Automatic Learning|[x] Incoming Spam Mails|grade above|(for Spam Mails)|[x] Incoming Ham Mails|grade below|(for Ham Mails)"
  "Word Database Path|Undo Database Path|database.dat|undo.dat|[ ... ]|min. Wordlength|String to Hash Limit|Compress Database on Run|Compress if Wordcount Below"
  "Whitelist Path|Blacklist Path|whitelist.txt|blacklist.txt|[ Edit Whitelist ]|[ Edit Blacklist ]|[ ] Autoinsert Spam Sender|to Blacklist / Training|[ ] Autoinsert Ham Sender|to Whitelist / Training|max. Size of Lists|Byte"
  "[ ] DNS-Blacklist Activ|Mark as Spam if DNS Count Above|DNS Blacklist Servers|zen.spamhaus.org|bl.spamcop.net|[ Check Server ]"
  "Regular Expression Filter File|filters.dat|[ Edit ]|[ ] Regular Expression Filter Activ|Spam Threshold"
  "Logfile Path|trellisk.log|max. Size of Logfile|Byte|[x] Verbose Logfile Output|[ View Logfile ]"
  "Trellisk v2.0.4|Scanned Ham Mails:|Scanned Spam Mails:|Detected Ham Mails:|0 (0.00%)|Detected Spam Mails:|False Ham detected:|False Spam detected:|[ Reset Statistic ]"
)

# every_page_whole NAME: each page in turn shows each of its texts whole,
# with OK and Cancel below.
every_page_whole() {
  local page text shown
  for page in "${!pages[@]}"; do
    [ "$page" -gt 0 ] && keys "$1" NPage
    wait_for "$1" "${pages[$page]%%|*}" || continue
    shown=$(screen "$1")
    IFS='|' read -ra texts <<<"${pages[$page]}|[ OK ]|[ Cancel ]"
    for text in "${texts[@]}"; do
      grep -qF -- "$text" <<<"$shown" || fail "$1: page $page does not show '$text' whole"
    done
  done
  keys "$1" NPage
  wait_for "$1" "max. Threadcount"
}

# edit_general NAME DIGIT: "max. Threadcount" becomes DIGIT, "Train on
# Error" is cleared.
edit_general() {
  keys "$1" Tab End BSpace BSpace
  type_text "$1" "$2"
  keys "$1" Tab Tab Tab Tab Tab Tab Space
  wait_for "$1" "[ ] Train on Error"
}

# 1. No terminal: no dialog.
"$HOST" --data "$WORK/none" --setting DNSBlacklist=0 setup </dev/null >"$WORK/none.out" 2>&1
grep -qF "message box [error] Error: Can't create dialog box!" "$WORK/none.out" || fail "no terminal: no box 115"
grep -qx "setup returned 0" "$WORK/none.out" || fail "no terminal: setup did not return 0"

# 2. 120x40: all captions, every page whole; a number, a box and the DNS
# zones changed and kept with OK.
start big 120 40
screen big | grep -qF "[General] ${captions#General }" || fail "big: the seven captions do not show in one row"
every_page_whole big
edit_general big 7
keys big NPage NPage NPage
wait_for big "DNS Blacklist Servers"
keys big Tab Tab Tab
type_text big zone.example.org
keys big Enter Tab Tab Enter
wait_for big "host exited 0"
expect_registry big MaxThreadCount '"MaxThreadCount"=dword:00000007'
expect_registry big TrainOnError '"TrainOnError"=dword:00000000'
registry big DNSServerlist | grep -qF '"DNSServerlist"="zone.example.org,zen.spamhaus.org,bl.spamcop.net,' ||
  fail "big: the zones read $(registry big DNSServerlist)"

# 3. 80x24: the captions scroll, every page whole; Esc keeps nothing.
start small 80 24
screen small | grep -qF "[General] Database" || fail "small: the captions do not start with General"
every_page_whole small
edit_general small 9
keys small Escape
wait_for small "host exited 0"
expect_registry small MaxThreadCount '"MaxThreadCount"=dword:00000014'
expect_registry small TrainOnError '"TrainOnError"=dword:00000001'

# 4. The black-list editor adds an entry, which the next scoring uses; the
# warning of the training box shows in the dialog and goes with Enter.
printf 'From: Some One <spammer@example.com>\nTo: me@example.org\nSubject: hello\n\nA plain message.\n' >"$WORK/sender.eml"
start lists 80 24
keys lists NPage NPage
wait_for lists "Edit Blacklist"
keys lists Tab Tab Tab Tab Tab Tab Enter
wait_for lists "Blacklist Editor"
type_text lists "TEXT: spammer@example.com"
tm resize-window -t lists -x 100 -y 30
wait_line lists 30 '^└─*┘$'
wait_line lists 29 '\[ Apply \].*\[ Cancel \]'
wait_for lists "TEXT: spammer@example.com"
tm resize-window -t lists -x 80 -y 24
keys lists Tab Enter
wait_for lists "Edit Blacklist"
keys lists Tab Space Tab Space
wait_for lists "Be sure that you do not train"
keys lists Enter
wait_gone lists "Be sure that you do not train"
keys lists Escape
wait_for lists "host exited 0"
grep -qF "message box [warning] Warning: Be sure that you do not train" "$WORK/lists.boxes" ||
  fail "lists: the warning box was not shown"
scored=$("$HOST" --data "$WORK/lists" --setting DNSBlacklist=0 score "$WORK/sender.eml" 2>&1)
[[ "$scored" == "100 SPAM "* ]] || fail "lists: the black-listed sender scores '$scored'"
unlisted=$("$HOST" --data "$WORK/unlisted" --setting DNSBlacklist=0 score "$WORK/sender.eml" 2>&1)
[[ "$unlisted" == "100 SPAM "* ]] && fail "without the entry the sender scores 100 as well"

# 5. The mouse: a press and release of the first button typed into the
# terminal as the terminal reports them.
# locate NAME TEXT: the row and column where TEXT starts on the screen.
locate() {
  screen "$1" | python3 -c '
import sys
for row, line in enumerate(sys.stdin.read().split("\n")):
    if sys.argv[1] in line:
        print(row, line.index(sys.argv[1])); break' "$2"
}
click() {  # name text
  local row column
  read -r row column < <(locate "$1" "$2")
  python3 - "$(tm display -p -t "$1" '#{pane_tty}')" "$row" "$column" <<'PY'
import fcntl, sys, termios
tty, row, column = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
with open(tty, "wb", buffering=0) as terminal:
    for button in (32, 35):
        for byte in b"\x1b[M" + bytes([button, 33 + column, 33 + row]):
            fcntl.ioctl(terminal, termios.TIOCSTI, bytes([byte]))
PY
}
if command -v python3 >/dev/null && [ "$(cat /proc/sys/dev/tty/legacy_tiocsti 2>/dev/null || echo 1)" = 1 ]; then
  start mouse 80 24
  click mouse DNS-Blacklist
  wait_for mouse "DNS Blacklist Servers"
  click mouse "[ ] DNS-Blacklist Activ"
  wait_for mouse "[x] DNS-Blacklist Activ"
  click mouse "[ OK ]"
  wait_for mouse "host exited 0"
  expect_registry mouse DNSBlacklist '"DNSBlacklist"=dword:00000001'
else
  echo "setup_terminal_test: no mouse test (a test cannot type into a terminal here)"
fi

[ $failures -eq 0 ] && echo "setup_terminal_test: all passed"
exit $((failures > 0))
