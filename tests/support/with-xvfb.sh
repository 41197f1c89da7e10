#!/usr/bin/env bash
# Runs a command against a real X server of its own: an Xvfb on a free display number, with
# DISPLAY pointing at it and Qt's xcb platform, so focus, clicks and keys behave as for a
# person. There is no window manager. Exits with the command's status; fails when the
# server cannot be brought up. Usage: with-xvfb.sh program [arguments...]
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 program [arguments...]" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tarnik-xvfb.XXXXXX")
xvfb=""
stop_everything() {
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap stop_everything EXIT

# Xvfb picks the display number itself and writes it to the descriptor it is given.
Xvfb -displayfd 3 -screen 0 1400x1000x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.1
done
if ! [ -s "$work/display" ]; then
  echo "with-xvfb.sh: Xvfb did not start" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi

status=0
# With a display and no session bus, D-Bus would launch one through X, and the window's
# keychain lookup would then wait on a keyring prompt nobody answers. Screens under test
# never reach a keyring: the session bus points nowhere.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus"
export TARNIK_THROWAWAY_SESSION_BUS="$DBUS_SESSION_BUS_ADDRESS"
DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb "$@" || status=$?
exit "$status"
