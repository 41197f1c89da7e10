#!/usr/bin/env bash
# Runs a command against a throwaway Secret Service: a private session bus with an
# unlocked GNOME Keyring whose files live under a temporary HOME. Exits with the command's
# status; fails (status 1) when the keyring cannot be brought up, so keyring tests never
# silently skip. Usage: with-keyring.sh program [arguments...]
set -euo pipefail
. "$(dirname "$0")/private-bus.sh"

if [ "${1:-}" != "--inside-session" ]; then
  [ $# -gt 0 ] || { echo "usage: $0 program [arguments...]" >&2; exit 2; }
  work=$(mktemp -d "${TMPDIR:-/tmp}/tarnik-keyring.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  mkdir -p "$work/home" "$work/data" "$work/config" "$work/cache"
  mkdir -m 700 "$work/runtime"
  # With no display the keyring's prompts fail at once instead of waiting for a person
  # (the Secret Service would show one to unlock a locked collection).
  unset DISPLAY WAYLAND_DISPLAY
  status=0
  HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
    XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime" \
    dbus-run-session -- "$0" --inside-session "$@" || status=$?
  exit "$status"
fi
shift

# The login collection's password; tests that lock the keyring unlock it with this again.
export TARNIK_TEST_KEYRING_PASSWORD="throwaway-test-password"
# --foreground keeps the daemon our own child, so we know exactly which process to end.
printf '%s' "$TARNIK_TEST_KEYRING_PASSWORD" |
  gnome-keyring-daemon --foreground --unlock --components=secrets >"$HOME/keyring.env" &
keyring=$!
trap 'kill "$keyring" 2>/dev/null || true; wait "$keyring" 2>/dev/null || true' EXIT

# The bus would otherwise start a second, locked daemon on the first call, so wait until
# ours owns the Secret Service name.
wait_for_bus_name --session org.freedesktop.secrets "$keyring" gnome-keyring-daemon || exit 1

while IFS='=' read -r name value; do
  [ -n "$name" ] && export "$name=$value"
done <"$HOME/keyring.env"
# dbus-run-session made this session bus for this run alone.
export TARNIK_THROWAWAY_SESSION_BUS="$DBUS_SESSION_BUS_ADDRESS"

status=0
"$@" || status=$?
exit "$status"
