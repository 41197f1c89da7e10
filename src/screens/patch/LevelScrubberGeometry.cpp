#include "screens/patch/LevelScrubberGeometry.h"

#include "screens/kit/CheckedRounding.h"

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace tarnik::LevelScrubberGeometry {

namespace {

// At most 100 first (so NaN, which fails every comparison, ends at 100), then at least 0.
double limitedLevel(double level) {
  const double capped = level <= 100 ? level : 100;
  return std::max(capped, 0.0);
}

}  // namespace

double trackLength(double width) { return std::max(1.0, std::max(1.0, width) - knobDiameter); }

double fillFraction(double value) {
  const double fraction = value / 100;
  return std::max(fraction <= 1 ? fraction : 1.0, 0.0);
}

double knobCentre(double value, double width) {
  return knobDiameter / 2 + trackLength(width) * fillFraction(value);
}

double levelAt(double x, double width) {
  return limitedLevel((x - knobDiameter / 2) / trackLength(width) * 100);
}

std::optional<double> steppedLevel(double value, double step) {
  const double level = limitedLevel(value + step);
  if (level == value) return std::nullopt;
  return level;
}

QString accessibleValue(double value) { return wholeNumberText(value) + u" percent"_s; }

}  // namespace tarnik::LevelScrubberGeometry
