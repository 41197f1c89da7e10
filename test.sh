#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the GoogleTest programs
# under CTest (build/), then the bounded libFuzzer runs, the pure unit tests and the widget
# tests of the screens and the shell, built with clang and the sanitizers (build-fuzz/). The
# benchmarks are built too, not run (./bench.sh runs them), so that a change cannot break one
# unseen.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/ensure-packages.sh
ensure_packages "${TARNIK_BUILD_PACKAGES[@]}" "${TARNIK_TEST_PACKAGES[@]}" \
  "${TARNIK_BENCH_PACKAGES[@]}"

# One code format: a file that differs from .clang-format fails the run before anything builds.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format-16 --dry-run -Werror

jobs=$(nproc)
werror=OFF
[ -n "${CI:-}" ] && werror=ON

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARNIK_WARNINGS_AS_ERRORS="$werror" \
  -DTARNIK_BENCH=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs" -LE fuzz

# Tests read the machine's own monotonic clock, so a result may hang on how long the
# machine has been up. The slices run again in a time namespace whose monotonic and boot
# clocks read 60 s, as on a machine just started, and those that keep time (app,
# operations, link) once more at 30 days of uptime. Needs root, as the installs do.
scripts/at-uptime.sh 60 ctest --test-dir build --output-on-failure -j "$jobs" \
  -L 'unit|interop|integration'
scripts/at-uptime.sh $((30 * 86400)) ctest --test-dir build --output-on-failure -j "$jobs" \
  -L 'unit|interop|integration' -R '^(app|operations|link)_'

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNIK_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang-16 -DCMAKE_CXX_COMPILER=clang++-16
cmake --build build-fuzz -j "$jobs"
ctest --test-dir build-fuzz --output-on-failure -j "$jobs" -L fuzz
# The same build runs the unit slices of foundation, link, model, operations and the screens
# under AddressSanitizer and UndefinedBehaviorSanitizer: the first report ends the program.
sanitizers=(ASAN_OPTIONS=halt_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  LSAN_OPTIONS="suppressions=$PWD/tests/support/lsan-suppressions.txt")
env "${sanitizers[@]}" ctest --test-dir build-fuzz --output-on-failure -j "$jobs" -L unit
# And the widget slices of the screens and the shell, offscreen or under Xvfb as above, so
# that a memory error or undefined behaviour where a page is built or drawn fails the run.
env "${sanitizers[@]}" ctest --test-dir build-fuzz --output-on-failure -j "$jobs" -L widget
