# shellcheck shell=bash
# Sourced by the wrapper scripts here: a private bus for one test run, and the wait
# for a stand-in service to take its name on a bus.

# start_private_bus <folder> [launcher...]
# Starts a bus that listens on <folder>/system_bus_socket and lets anyone own any name and
# send anything, under the launcher when one is given (one that enters a network namespace,
# say). Waits for its socket and leaves its address in private_bus_address and its process
# id in private_bus_pid; stopping it is the caller's part. Fails when the bus does not come up.
start_private_bus() {
  local folder=$1
  shift
  local socket="$folder/system_bus_socket"
  cat >"$folder/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
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
  "$@" dbus-daemon --config-file="$folder/bus.conf" --nofork --nopidfile --nosyslog >"$folder/bus.log" 2>&1 &
  # shellcheck disable=SC2034  # read by the script that sources this one
  private_bus_pid=$!
  for _ in $(seq 100); do
    [ -S "$socket" ] && break
    sleep 0.05
  done
  [ -S "$socket" ] || { echo "private bus did not start" >&2; cat "$folder/bus.log" >&2; return 1; }
  private_bus_address="unix:path=$socket"
}

# start_private_system_bus <folder> [launcher...]
# start_private_bus, then exports the bus as DBUS_SYSTEM_BUS_ADDRESS and names it this run's
# own in TARNIK_THROWAWAY_SYSTEM_BUS.
start_private_system_bus() {
  start_private_bus "$@" || return 1
  export DBUS_SYSTEM_BUS_ADDRESS="$private_bus_address"
  export TARNIK_THROWAWAY_SYSTEM_BUS="$private_bus_address"
}

# bus_name_has_owner <--system|--session> <name>
bus_name_has_owner() {
  dbus-send "$1" --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner "string:$2" 2>/dev/null | grep -q 'boolean true'
}

# wait_for_bus_name <--system|--session> <name> <pid> <what> [log]
# Waits up to ten seconds until <name> has an owner on the bus. Fails at once when the
# process <pid> that should take it has ended, showing its log when one is given; <what>
# names that process in the messages.
wait_for_bus_name() {
  local bus=$1 name=$2 pid=$3 what=$4 log=${5:-}
  for _ in $(seq 200); do
    bus_name_has_owner "$bus" "$name" && return 0
    if ! kill -0 "$pid" 2>/dev/null; then
      if [ -n "$log" ]; then cat "$log" >&2; fi
      echo "$what exited early" >&2
      return 1
    fi
    sleep 0.05
  done
  bus_name_has_owner "$bus" "$name" && return 0
  echo "$what did not take $name" >&2
  return 1
}
