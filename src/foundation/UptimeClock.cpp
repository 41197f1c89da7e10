#include "foundation/UptimeClock.h"

#include <chrono>

namespace tarnik {

double systemUptime() {
  // steady_clock is CLOCK_MONOTONIC here, the clock QElapsedTimer reads too.
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration<double>(now).count();
}

}  // namespace tarnik
