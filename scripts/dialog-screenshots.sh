#!/usr/bin/env bash
# Shows the setup frame of the 64-bit Windows build under wine on a virtual
# X display, one page and language at a time, and writes a screenshot of
# each: DIR/setup-<language>-<page>.png. Then the real setup dialog as the
# plug-in runs it: windows_setup_test works through it and stops at every
# page (DIR/setup-page-<page>.png), the black-list editor
# (DIR/blacklist-editor.png) and the log viewer (DIR/log-viewer.png).
# Without imagemagick it only checks that every dialog is created and
# shown. Exits 77 (skipped) when no display can be started. Wine draws the
# title bars with the fonts of the package fonts-wine.
# Usage: dialog-screenshots.sh BUILD_DIR OUT_DIR [LANG:PAGE...]
# (default: 0:0 8:0 1:0 19:0 and English pages 1 to 6).
set -uo pipefail
BUILD=$1
OUT=$2
shift 2
shots=("$@")
[ ${#shots[@]} -gt 0 ] || shots=(0:0 8:0 1:0 19:0 0:1 0:2 0:3 0:4 0:5 0:6)
names=([0]=english [1]=russian [8]=german [19]=french)
export WINEPREFIX=${WINEPREFIX:-$HOME/.cache/trellisk-windows/wine-x86_64} WINEDEBUG=-all
command -v Xvfb >/dev/null || { echo "dialog-screenshots.sh: no Xvfb (package xvfb); skipped"; exit 77; }
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wineserver -k 2>/dev/null' EXIT
sleep 1
kill -0 $xvfb 2>/dev/null || { echo "dialog-screenshots.sh: the virtual display did not start; skipped"; exit 77; }
export DISPLAY=$display
# Fonts for the dialogs and their title bars, and windows the program places
# itself (no window-manager delay).
cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
mkdir -p "$OUT"
failures=0
for shot in "${shots[@]}"; do
  language=${shot%%:*} page=${shot##*:}
  log=$OUT/preview-$language-$page.log
  wine "$BUILD/trellisk-dialog-preview.exe" "$language" "$page" 6 >"$log" 2>&1 &
  preview=$!
  for _ in $(seq 1 40); do grep -q shown "$log" && break; sleep 0.5; done
  if ! grep -q shown "$log"; then
    echo "FAILED: language $language page $page: $(cat "$log")" >&2
    failures=$((failures + 1))
  elif command -v import >/dev/null; then
    sleep 1.5
    import -window root "$OUT/full.png" && convert "$OUT/full.png" -trim "$OUT/setup-${names[$language]}-$page.png"
  fi
  wait $preview
done
rm -f "$OUT/full.png"

# The real dialogs: the test prints "screenshot NAME LEFT TOP RIGHT BOTTOM"
# and waits while each window is taken from the screen.
tour=$OUT/setup-tour.log
(cd "$BUILD" && TRELLISK_SCREENSHOT_PAUSE_MS=2000 wine windows_setup_test.exe --gtest_filter='*OkKeeps*') 2>&1 |
  tee "$tour" | while read -r word name left top right bottom; do
    [ "$word" = screenshot ] && command -v import >/dev/null || continue
    bottom=${bottom%$'\r'}
    sleep 0.5  # the page paints itself
    import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$OUT/$name.png"
  done
if ! grep -q "PASSED.*1 test" "$tour"; then
  echo "FAILED: the setup dialog tour: $(tail -20 "$tour")" >&2
  failures=$((failures + 1))
fi
rm -f "$tour"
[ $failures -eq 0 ] && echo "dialog-screenshots.sh: every dialog shown"
exit $((failures > 0))
