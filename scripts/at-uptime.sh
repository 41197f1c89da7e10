#!/usr/bin/env bash
# Runs a command in a time namespace whose monotonic and boot clocks read the given number
# of seconds, as on a machine that has been up that long:
#   scripts/at-uptime.sh 60 ctest --test-dir build -L unit
#   scripts/at-uptime.sh $((30 * 86400)) ctest --test-dir build -LE fuzz
# A time namespace needs root (util-linux's unshare), as the package installs do.
set -euo pipefail
if [ $# -lt 2 ] || ! [[ $1 =~ ^[0-9]+$ ]]; then
  echo "usage: $0 <uptime seconds> <command> [argument...]" >&2
  exit 2
fi
uptime=$1
shift
# The offset moves the clocks from where they stand now; it is negative on a machine that
# has been up longer than the uptime asked for.
offset=$((uptime - $(cut -d. -f1 /proc/uptime)))
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
exec $sudo unshare --time --fork --monotonic="$offset" --boottime="$offset" -- "$@"
