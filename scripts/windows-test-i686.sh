#!/usr/bin/env bash
# Runs the Windows test suites of the 32-bit plug-in (the mail client's own
# architecture) under 32-bit wine. Not part of CI: it adds the i386
# architecture to dpkg and installs wine32, which upgrades about 60 system
# packages. Run as root from anywhere; idempotent.
set -euo pipefail
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive
if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get -o DPkg::Lock::Timeout=600 update -qq
  apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends wine32:i386 >/dev/null
fi
WIN_ARCHES=i686 WIN_TEST_ARCHES=i686 exec scripts/windows-cross.sh
