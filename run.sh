#!/usr/bin/env bash
# Installs what is missing, builds Tarnik and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/ensure-packages.sh
ensure_packages "${TARNIK_BUILD_PACKAGES[@]}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug
cmake --build build -j "$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Tarnik is built, but its window needs a display (X11 or Wayland) and none is set." >&2
  exit 1
fi
exec build/src/shell/tarnik "$@"
