#pragma once

#include <QString>

#include <optional>

namespace tarnik {

// Where the level scrubber's parts sit in a track area of a given width, and which level a
// touch or a step gives. The knob is 24 across, so its centre travels from 12 to width - 12.
namespace LevelScrubberGeometry {

inline constexpr double knobDiameter = 24;
inline constexpr double trackHeight = 24;

// The distance the knob's centre can travel, at least 1 however narrow the area.
double trackLength(double width);
// The filled share of the track, 0 to 1; a value that is not a number fills it.
double fillFraction(double value);
double knobCentre(double value, double width);
// The level a touch at x sets, 0 to 100.
double levelAt(double x, double width);
// The level after an accessible or keyboard step of `step` from `value`, or none when the
// step changes nothing (already at the end).
std::optional<double> steppedLevel(double value, double step);
// "43 percent" for 42.5.
QString accessibleValue(double value);

}  // namespace LevelScrubberGeometry

}  // namespace tarnik
