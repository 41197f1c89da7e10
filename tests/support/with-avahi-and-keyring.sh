#!/usr/bin/env bash
# Runs a command beside a private Avahi daemon (with-avahi.sh) and, inside that network
# namespace, against a throwaway Secret Service (with-keyring.sh): for tests that find a
# service over mDNS and keep its secret in the keychain. Returns the command's status.
set -euo pipefail
here="$(dirname "$0")"
exec "$here/with-avahi.sh" "$here/with-keyring.sh" "$@"
