#!/usr/bin/env bash
# Builds in release mode and runs every benchmark in bench/. Each comparison ends with a
# line "RATIO <name> <value>": Tarnik's time over the reference's, measured in the same run.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/ensure-packages.sh
ensure_packages "${TARNIK_BUILD_PACKAGES[@]}" "${TARNIK_BENCH_PACKAGES[@]}"

cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNIK_BENCH=ON
cmake --build build-release -j "$(nproc)"
# Every program runs even when one before it fails; the failures are named at the end.
failed=()
for program in build-release/bench/bench_*; do
  [ -f "$program" ] && [ -x "$program" ] || continue
  echo "== $(basename "$program")"
  "$program" || failed+=("$(basename "$program")")
done
if [ "${#failed[@]}" -gt 0 ]; then
  echo "== failed: ${failed[*]}" >&2
  exit 1
fi
