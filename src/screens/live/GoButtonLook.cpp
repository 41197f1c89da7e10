#include "screens/live/GoButtonLook.h"

#include <algorithm>
#include <cmath>

namespace tarnik {

double goFillOpacity(bool canControl) { return canControl ? 0.95 : 0.35; }

GoFillLook goFillLook(std::optional<double> progress, bool canControl) {
  GoFillLook look{.fillOpacity = goFillOpacity(canControl)};
  if (!progress || !std::isfinite(*progress)) return look;
  look.progress = std::clamp(*progress, 0.0, 1.0);
  look.bandOpacity = *progress < 1.0 ? 1.0 : 0.0;
  return look;
}

double goBandWidth(const GoFillLook &look, double width) {
  return std::clamp(look.progress, 0.0, 1.0) * std::max(width, 0.0);
}

}  // namespace tarnik
