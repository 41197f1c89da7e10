#!/usr/bin/env bash
# Runs a test command beside a private Avahi daemon, so Bonjour tests see real mDNS without
# a packet leaving the machine:
#   with-avahi.sh <command...>              daemon running, services can be published
#   with-avahi.sh --no-daemon <command...>  the system bus answers but no daemon owns Avahi's name
# Needs root. Every run gets a network namespace of its own whose only interface is a
# multicast-enabled loopback, its own system bus and its own daemon, so several runs can go
# side by side. Everything started here is stopped again; the command's exit status is returned.
set -euo pipefail
. "$(dirname "$0")/private-bus.sh"

with_daemon=1
if [ "${1:-}" = "--no-daemon" ]; then
  with_daemon=0
  shift
fi
[ $# -gt 0 ] || { echo "usage: $0 [--no-daemon] command..." >&2; exit 2; }

namespace="tarnik-avahi-$$"
temp_root="${TMPDIR:-/tmp}"
work_dir=$(mktemp -d "$temp_root/$namespace.XXXXXX")

# Stops whatever is inside a namespace of ours and removes it.
clear_namespace() {
  local name=$1 pids
  pids=$(ip netns pids "$name" 2>/dev/null || true)
  if [ -n "$pids" ]; then
    kill $pids 2>/dev/null || true
    for _ in $(seq 50); do
      pids=$(ip netns pids "$name" 2>/dev/null || true)
      [ -z "$pids" ] && break
      sleep 0.1
    done
    [ -n "$pids" ] && kill -KILL $pids 2>/dev/null || true
  fi
  ip netns del "$name" 2>/dev/null || true
}

stop_everything() {
  # Every process inside the namespace is one of ours: the bus, the daemon, the test and
  # whatever the test left behind (a publisher it did not stop).
  clear_namespace "$namespace"
  rm -rf "$work_dir"
}
trap stop_everything EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

in_namespace() { ip netns exec "$namespace" "$@"; }

# A run that was killed outright (a test time-out) could not clean up after itself; its
# namespace is named after a process that no longer exists.
for stale in $(ip netns list 2>/dev/null | awk '/^tarnik-avahi-[0-9]+/ {print $1}'); do
  if ! kill -0 "${stale#tarnik-avahi-}" 2>/dev/null; then
    clear_namespace "$stale"
    rm -rf "$temp_root/$stale".*
  fi
done

ip netns add "$namespace"
in_namespace ip link set lo up
in_namespace ip link set lo multicast on

cat >"$work_dir/avahi-daemon.conf" <<EOF
[server]
use-ipv4=yes
use-ipv6=no
allow-interfaces=lo
enable-dbus=yes
ratelimit-interval-usec=1000000
ratelimit-burst=1000
[wide-area]
enable-wide-area=no
[publish]
publish-hinfo=no
publish-workstation=no
publish-addresses=yes
[reflector]
enable-reflector=no
[rlimits]
EOF

start_private_system_bus "$work_dir" in_namespace || exit 1

if [ "$with_daemon" = 1 ]; then
  # The daemon keeps its pid file and socket under /run/avahi-daemon; a tmpfs over /run in
  # its own mount namespace keeps parallel daemons (and the host's) apart.
  in_namespace sh -c 'mount -t tmpfs tmpfs /run && exec avahi-daemon --no-drop-root \
      --no-chroot --no-rlimits --no-proc-title -f "$1"' sh "$work_dir/avahi-daemon.conf" \
    >"$work_dir/avahi.log" 2>&1 &
  running=0
  for _ in $(seq 200); do
    # Server state 2 is "running": the host name is established and browsing works.
    if dbus-send --system --print-reply --dest=org.freedesktop.Avahi / \
        org.freedesktop.Avahi.Server.GetState 2>/dev/null | grep -q 'int32 2'; then
      running=1
      break
    fi
    sleep 0.05
  done
  [ "$running" = 1 ] || { echo "avahi-daemon did not start" >&2; cat "$work_dir/avahi.log" >&2; exit 1; }
fi

status=0
in_namespace "$@" || status=$?
exit "$status"
