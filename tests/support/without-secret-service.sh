#!/usr/bin/env bash
# Runs a command with a session bus on which nothing serves the Secret Service and nothing
# can be started to serve it: a private bus with no service files. Fails (status 1) when the
# bus cannot be brought up. Usage: without-secret-service.sh program [arguments...]
set -euo pipefail
. "$(dirname "$0")/private-bus.sh"
[ $# -gt 0 ] || { echo "usage: $0 program [arguments...]" >&2; exit 2; }
work=$(mktemp -d "${TMPDIR:-/tmp}/tarnik-no-secrets.XXXXXX")
private_bus_pid=
trap '[ -n "$private_bus_pid" ] && kill "$private_bus_pid" 2>/dev/null; rm -rf "$work"' EXIT
# The private bus lists no service folders, so it starts nothing: as the session bus it is
# exactly a session without a Secret Service. The system bus stays as it was.
start_private_bus "$work" || exit 1
status=0
export DBUS_SESSION_BUS_ADDRESS="$private_bus_address"
export TARNIK_THROWAWAY_SESSION_BUS="$private_bus_address"
"$@" || status=$?
exit "$status"
