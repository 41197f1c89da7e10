#!/usr/bin/env bash
# Runs a command against a throwaway Secret Service: a private session bus with an
# unlocked GNOME Keyring whose files live under a temporary HOME. Exits with the command's
# status; fails (status 1) when the keyring cannot be brought up, so keyring tests never
# silently skip. Usage: with-keyring.sh program [arguments...]
set -euo pipefail

if [ "${1:-}" != "--inside-session" ]; then
  [ $# -gt 0 ] || { echo "usage: $0 program [arguments...]" >&2; exit 2; }
  work=$(mktemp -d "${TMPDIR:-/tmp}/tarnik-keyring.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  mkdir -p "$work/home" "$work/data" "$work/config" "$work/cache"
  mkdir -m 700 "$work/runtime"
  status=0
  HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
    XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime" \
    dbus-run-session -- "$0" --inside-session "$@" || status=$?
  exit "$status"
fi
shift

# --foreground keeps the daemon our own child, so we know exactly which process to end.
printf '%s' "throwaway-test-password" |
  gnome-keyring-daemon --foreground --unlock --components=secrets >"$HOME/keyring.env" &
keyring=$!
trap 'kill "$keyring" 2>/dev/null || true; wait "$keyring" 2>/dev/null || true' EXIT

# The bus would otherwise start a second, locked daemon on the first call, so wait until
# ours owns the Secret Service name.
owned() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null |
    grep -q 'boolean true'
}
for _ in $(seq 100); do
  owned && break
  kill -0 "$keyring" 2>/dev/null || { echo "gnome-keyring-daemon exited early" >&2; exit 1; }
  sleep 0.1
done
owned || { echo "gnome-keyring-daemon did not take the Secret Service name" >&2; exit 1; }

while IFS='=' read -r name value; do
  [ -n "$name" ] && export "$name=$value"
done <"$HOME/keyring.env"

status=0
"$@" || status=$?
exit "$status"
