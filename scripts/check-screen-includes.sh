#!/usr/bin/env bash
# The screens' libraries include only what comes before them in the building order: no page
# reaches up into the shell, the kit knows no page, the connection pages know neither the
# Live nor the Patch pages, and those two never know each other. Prints every include that
# breaks this and fails when there is one.
set -uo pipefail
cd "$(dirname "$0")/../src/screens"

status=0
# forbid <folder> <included prefix>...
forbid() {
  local folder=$1
  shift
  [ -d "$folder" ] || return 0
  local prefix
  for prefix in "$@"; do
    if grep -rnHE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<]${prefix}" "$folder" \
        --include='*.h' --include='*.cpp'; then
      echo "src/screens/${folder#.} must not include ${prefix}" >&2
      status=1
    fi
  done
}

forbid . shell/
forbid kit screens/connection/ screens/live/ screens/patch/
forbid connection screens/live/ screens/patch/
forbid live screens/patch/
forbid patch screens/live/
exit $status
