#pragma once

#include "operations/FixtureControlState.h"

#include <QPointF>
#include <QSizeF>
#include <QString>

#include <optional>

namespace tarnik {

// Where the colour wheel's parts sit in the space it is given, and which colour a touch
// sets. Angles run clockwise on screen from the right: hue 0 lies right of the centre, 90
// below, 180 left and 270 above; saturation runs from 0 at the centre to 100 at the rim.
namespace ColorWheelGeometry {

inline constexpr double knobDiameter = 24;

struct Disc {
  QPointF centre;
  double radius = 0;
};

// The largest circle centred in `size`.
Disc discIn(const QSizeF &size);
bool contains(const Disc &disc, const QPointF &point);
// Where the knob's centre sits for a colour; values out of range are not limited here.
QPointF knobCentre(const Disc &disc, const FixtureColorValue &color);
// The colour a touch at `point` sets, saturation held at 100 beyond the rim; none for a
// disc without a radius.
std::optional<FixtureColorValue> colorAt(const Disc &disc, const QPointF &point);
// "Hue 120 degrees, saturation 45 percent".
QString accessibleValue(const FixtureColorValue &color);

}  // namespace ColorWheelGeometry

}  // namespace tarnik
