#!/usr/bin/env bash
# Installs what is missing, builds Tarnik and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/ensure-packages.sh
ensure_packages "${TARNIK_BUILD_PACKAGES[@]}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug
cmake --build build -j "$(nproc)"

if [ -x build/src/shell/tarnik ]; then
  exec build/src/shell/tarnik "$@"
fi
echo "Tarnik's libraries are built, but the application window is not built yet."
