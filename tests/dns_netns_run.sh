#!/usr/bin/env bash
# Runs a command against a real DNS server that knows only test zones:
# dnsmasq on the loopback interface of a private network namespace, whose
# resolv.conf names it. Nothing leaves the namespace, so no public DNS
# blacklist is ever asked.
#
# Usage: dns_netns_run.sh COMMAND [ARGS...]
# The command runs inside the namespace with TRELLISK_DNS_NETNS=1 set; its
# exit code is returned. Exit code 77 (skipped) when the namespace or the
# server cannot be had: not root, no "ip", no "dnsmasq".
#
# The zones served (everything else under .test does not exist):
#   zone-a.test, zone-b.test, zone-c.test        the zone names themselves
#   192.0.2.10 listed in zone-a and zone-b       10.2.0.192.zone-{a,b}.test
#   192.0.2.20 listed in zone-a only             20.2.0.192.zone-a.test
#   nodata.test                                  a name without an address
#   bench-01.test .. bench-15.test               zone names for the benchmark
#   198.51.100.7 listed in every bench zone      7.100.51.198.bench-NN.test
set -euo pipefail

skip() {
  echo "SKIPPED: $*" >&2
  exit 77
}

[ $# -ge 1 ] || { echo "usage: $0 COMMAND [ARGS...]" >&2; exit 2; }
[ "$(id -u)" = 0 ] || skip "a network namespace needs root"
command -v ip >/dev/null || skip "'ip' (iproute2) is missing"
DNSMASQ=$(command -v dnsmasq || true)
[ -z "$DNSMASQ" ] && [ -x /usr/sbin/dnsmasq ] && DNSMASQ=/usr/sbin/dnsmasq
[ -n "$DNSMASQ" ] || skip "dnsmasq is missing (scripts/install-deps.sh installs it)"

NS="trellisk-dns-$$"
NETNS_ETC="/etc/netns/$NS"
WORK=$(mktemp -d)
created_netns_dir=0
[ -d /etc/netns ] || created_netns_dir=1
server_pid=""

cleanup() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  ip netns del "$NS" 2>/dev/null || true
  rm -rf "$NETNS_ETC" "$WORK"
  if [ "$created_netns_dir" = 1 ]; then rmdir /etc/netns 2>/dev/null || true; fi
}
trap cleanup EXIT

ip netns add "$NS" 2>/dev/null || skip "cannot create a network namespace"
ip netns exec "$NS" ip link set lo up
mkdir -p "$NETNS_ETC"
printf 'nameserver 127.0.0.1\noptions attempts:1 timeout:1\n' >"$NETNS_ETC/resolv.conf"

records=(
  --host-record=zone-a.test,127.0.0.1
  --host-record=zone-b.test,127.0.0.1
  --host-record=zone-c.test,127.0.0.1
  --host-record=10.2.0.192.zone-a.test,127.0.0.2
  --host-record=10.2.0.192.zone-b.test,127.0.0.2
  --host-record=20.2.0.192.zone-a.test,127.0.0.2
  --txt-record=nodata.test,"no address here"
)
for n in $(seq -w 1 15); do
  records+=(--host-record="bench-$n.test,127.0.0.1" --host-record="7.100.51.198.bench-$n.test,127.0.0.2")
done

# --local: names under .test that are not listed above do not exist
# (NXDOMAIN); --no-resolv: nothing is forwarded anywhere.
ip netns exec "$NS" "$DNSMASQ" --conf-file=/dev/null --keep-in-foreground --no-resolv --no-hosts \
  --listen-address=127.0.0.1 --bind-interfaces --local=/test/ --cache-size=0 \
  --pid-file="$WORK/dnsmasq.pid" "${records[@]}" 2>"$WORK/dnsmasq.log" &
server_pid=$!

ready=0
for _ in $(seq 1 50); do
  # "ahosts", not "ahostsv4": the latter asks with AI_ADDRCONFIG, which
  # finds no IPv4 configured where the loopback is the only interface.
  if ip netns exec "$NS" getent ahosts zone-a.test >/dev/null 2>&1; then ready=1; break; fi
  kill -0 "$server_pid" 2>/dev/null || break
  sleep 0.1
done
if [ "$ready" != 1 ]; then
  cat "$WORK/dnsmasq.log" >&2 || true
  skip "the loopback DNS server did not answer"
fi

set +e
ip netns exec "$NS" env TRELLISK_DNS_NETNS=1 "$@"
status=$?
set -e
exit "$status"
