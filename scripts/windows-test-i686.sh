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
# 32-bit wine is a 32-bit Linux program: a kernel without 32-bit emulation
# (some virtual machines') cannot start it, and with wine32 installed the
# wine launcher then fails for 64-bit programs too, so it is removed again.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  apt-get -o DPkg::Lock::Timeout=600 remove -y -qq wine32:i386 libwine:i386 >/dev/null
  echo "windows-test-i686.sh: this kernel cannot run 32-bit programs, so neither can 32-bit wine" >&2
  exit 2
fi
WIN_ARCHES=i686 WIN_TEST_ARCHES=i686 exec scripts/windows-cross.sh
