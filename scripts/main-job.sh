#!/usr/bin/env bash
# The main job: builds the plug-in and the test host, then plays the mail
# client on the bundled sample messages -- a fresh data directory, training
# with the sample spam and ham, scoring the new sample messages (files and
# an mbox file), and the statistics macro. Run as root on Debian 12 from
# anywhere; installs what it needs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

BUILD=build/release
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRELLISK_BUILD_TESTS=OFF \
      -DTRELLISK_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j "$(nproc)" --target trellisk trellisk-host

DATA=build/main-job-data
rm -rf "$DATA"
unset TRELLISK_REGISTRY  # the host keeps the registry in its data directory
# The sample mail is scored offline: no look-ups in the public DNS
# blacklists of the default zone list.
host() { "$BUILD/trellisk-host" --data "$DATA" --setting DNSBlacklist=0 "$@"; }

echo "== the plug-in"
host info
echo "== training"
host train --spam samples/train/spam
host train --ham samples/train/ham
echo "== scoring new mail (score, verdict at the host's junk threshold, message)"
host score samples/new
echo "== statistics"
host stats
echo "== the plug-in's log is in $DATA/trellisk.log"
