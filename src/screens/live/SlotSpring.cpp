#include "screens/live/SlotSpring.h"

#include <cmath>
#include <numbers>

namespace tarnik {

double slotSpringPosition(double seconds) {
  if (!(seconds > 0)) return 0.0;
  const double omegaT = 2 * std::numbers::pi / slotSpringResponseSeconds * seconds;
  return 1.0 - (1.0 + omegaT) * std::exp(-omegaT);
}

}  // namespace tarnik
