#!/usr/bin/env bash
# Runs a command against a stand-in logind: a private system bus (DBUS_SYSTEM_BUS_ADDRESS
# points at it) on which python3-dbusmock's logind template owns org.freedesktop.login1.
# The template hands out real inhibitor descriptors, lists them in ListInhibitors until
# their holder closes them, and emits signals on request (org.freedesktop.DBus.Mock).
# Exits with the command's status; fails when the stand-in cannot be brought up.
# Usage: with-logind.sh program [arguments...]
set -euo pipefail
. "$(dirname "$0")/private-bus.sh"
[ $# -gt 0 ] || { echo "usage: $0 program [arguments...]" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tarnik-logind.XXXXXX")
private_bus_pid=""
logind=""
stop_everything() {
  for pid in $logind $private_bus_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap stop_everything EXIT

start_private_system_bus "$work" || exit 1

# Debian's interpreter, which has the dbus and gi modules, whatever python3 the PATH finds.
/usr/bin/python3 -m dbusmock --system --template logind >"$work/logind.log" 2>&1 &
logind=$!
wait_for_bus_name --system org.freedesktop.login1 "$logind" "the stand-in logind" "$work/logind.log" || exit 1

status=0
"$@" || status=$?
exit "$status"
