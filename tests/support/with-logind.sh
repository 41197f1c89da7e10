#!/usr/bin/env bash
# Runs a command against a stand-in logind: a private system bus (DBUS_SYSTEM_BUS_ADDRESS
# points at it) on which python3-dbusmock's logind template owns org.freedesktop.login1.
# The template hands out real inhibitor descriptors, lists them in ListInhibitors until
# their holder closes them, and emits signals on request (org.freedesktop.DBus.Mock).
# Exits with the command's status; fails when the stand-in cannot be brought up.
# Usage: with-logind.sh program [arguments...]
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 program [arguments...]" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tarnik-logind.XXXXXX")
bus=""
logind=""
stop_everything() {
  for pid in $logind $bus; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap stop_everything EXIT

cat >"$work/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$work/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_type="method_return"/>
    <allow send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="signal"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
  </policy>
</busconfig>
CONF

dbus-daemon --config-file="$work/bus.conf" --nofork --nopidfile --nosyslog 2>"$work/bus.log" &
bus=$!
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/system_bus_socket"

for _ in $(seq 100); do
  [ -S "$work/system_bus_socket" ] && break
  sleep 0.05
done

# Debian's interpreter, which has the dbus and gi modules, whatever python3 the PATH finds.
/usr/bin/python3 -m dbusmock --system --template logind >"$work/logind.log" 2>&1 &
logind=$!

owned() {
  dbus-send --system --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.freedesktop.login1 2>/dev/null |
    grep -q 'boolean true'
}
for _ in $(seq 200); do
  owned && break
  kill -0 "$logind" 2>/dev/null || { cat "$work/logind.log" >&2; echo "the stand-in logind exited early" >&2; exit 1; }
  sleep 0.05
done
owned || { echo "the stand-in logind did not take its name" >&2; exit 1; }

status=0
"$@" || status=$?
exit "$status"
