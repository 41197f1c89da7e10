#include "screens/patch/ColorWheelGeometry.h"

#include "screens/kit/CheckedRounding.h"

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace Qt::StringLiterals;

namespace tarnik::ColorWheelGeometry {

Disc discIn(const QSizeF &size) {
  return {{size.width() / 2, size.height() / 2}, std::min(size.width(), size.height()) / 2};
}

bool contains(const Disc &disc, const QPointF &point) {
  const QPointF offset = point - disc.centre;
  return std::hypot(offset.x(), offset.y()) <= disc.radius;
}

QPointF knobCentre(const Disc &disc, const FixtureColorValue &color) {
  const double angle = color.hue / 360 * 2 * std::numbers::pi;
  const double distance = color.saturation / 100 * disc.radius;
  return disc.centre + QPointF(std::cos(angle) * distance, std::sin(angle) * distance);
}

std::optional<FixtureColorValue> colorAt(const Disc &disc, const QPointF &point) {
  if (!(disc.radius > 0)) return std::nullopt;
  const QPointF offset = point - disc.centre;
  const double distance = std::min(std::hypot(offset.x(), offset.y()), disc.radius);
  double turn = std::atan2(offset.y(), offset.x()) / (2 * std::numbers::pi);
  if (turn < 0) turn += 1;
  return FixtureColorValue{turn * 360, distance / disc.radius * 100};
}

QString accessibleValue(const FixtureColorValue &color) {
  return u"Hue "_s + wholeNumberText(color.hue) + u" degrees, saturation "_s +
         wholeNumberText(color.saturation) + u" percent"_s;
}

}  // namespace tarnik::ColorWheelGeometry
