#!/usr/bin/env bash
# Runs a command with OpenSSL configured to load only its base provider, as a system whose
# configuration leaves the default provider out: no TLS context can be made.
# Usage: without-openssl-default-provider.sh program [arguments...]
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 program [arguments...]" >&2; exit 2; }
folder=$(mktemp -d "${TMPDIR:-/tmp}/tarnik-openssl.XXXXXX")
trap 'rm -rf "$folder"' EXIT
cat >"$folder/openssl.cnf" <<'CONF'
openssl_conf = openssl_init
[openssl_init]
providers = provider_sect
[provider_sect]
base = base_sect
[base_sect]
activate = 1
CONF
status=0
OPENSSL_CONF="$folder/openssl.cnf" "$@" || status=$?
exit "$status"
