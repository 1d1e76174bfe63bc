#!/usr/bin/env bash
# Times the DNS blacklist check against the loopback DNS server of
# tests/dns_netns_run.sh (needs root and dnsmasq).
# Usage: bench/dns_bench.sh BUILD_DIR [benchmark options...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: $0 BUILD_DIR [benchmark options...]}
shift
exec bash "$here/../tests/dns_netns_run.sh" "$build/bench/dns_bench" "$@"
