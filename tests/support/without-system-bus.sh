#!/usr/bin/env bash
# Runs a command as on a machine without a system bus: the bus address points at a socket
# that does not exist. Usage: without-system-bus.sh program [arguments...]
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 program [arguments...]" >&2; exit 2; }
nowhere=$(mktemp -d "${TMPDIR:-/tmp}/tarnik-no-bus.XXXXXX")
trap 'rm -rf "$nowhere"' EXIT
status=0
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$nowhere/no_such_socket"
export TARNIK_THROWAWAY_SYSTEM_BUS="$DBUS_SYSTEM_BUS_ADDRESS"
"$@" || status=$?
exit "$status"
