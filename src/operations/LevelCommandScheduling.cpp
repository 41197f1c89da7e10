#include "operations/LevelCommandScheduling.h"

#include <cmath>

namespace tarnik {

double effectiveSchedulingDelay(double delaySeconds) {
  if (std::isnan(delaySeconds) || delaySeconds < 0) return 0;
  return delaySeconds;
}

}  // namespace tarnik
