#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the corpus fetch
# need. Idempotent; run as root. Packages already present are left alone.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
packages=(g++ cmake ninja-build pkg-config ccache libboost1.81-dev libpcre2-dev
          libgtest-dev libgmock-dev libbenchmark-dev ca-certificates dnsmasq-base
          binutils-mingw-w64-i686 libncurses-dev tmux procmail gnuplot-nox)
if [ "${1:-}" = "--with-npm" ] && ! command -v npm >/dev/null; then
  packages+=(npm)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get -o DPkg::Lock::Timeout=600 update -qq
  apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
