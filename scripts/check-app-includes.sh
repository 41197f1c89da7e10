#!/usr/bin/env bash
# The application model's parts form a graph without cycles: each part includes only the
# parts before it in the order below, the helpers include no part, and only the model (the
# façade, last) includes them all. A part's files are its header and every source named
# after it. Prints every include that breaks this and fails when there is one.
set -uo pipefail
cd "$(dirname "$0")/../src/app"

parts=(ConnectionForm ConnectionTester ConsoleCommandLine SavedShowStore ConnectionSupervisor
       ShowMirror IdentifyFlash ControlGate PatchWrite FixtureControl AppViewModel)

# The part a file belongs to, or nothing for a helper.
owner() {
  local file=${1%.*} part
  for part in "${parts[@]}"; do
    case $file in "$part" | "$part"[A-Z]*) echo "$part"; return ;; esac
  done
}

status=0
for file in *.h *.cpp; do
  part=$(owner "$file")
  allowed=()
  for earlier in "${parts[@]}"; do
    [ "$earlier" = "$part" ] && break
    [ -n "$part" ] && allowed+=("$earlier")
  done
  while IFS= read -r included; do
    target=$(owner "$included")
    [ -z "$target" ] || [ "$target" = "$part" ] && continue
    if [[ " ${allowed[*]} " != *" $target "* ]]; then
      echo "src/app/$file must not include app/$included (${part:-a helper} comes before $target)" >&2
      status=1
    fi
  done < <(sed -nE 's|^[[:space:]]*#[[:space:]]*include[[:space:]]*"app/([^"]+)".*|\1|p' "$file")
done
exit $status
