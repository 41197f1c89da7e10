#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace tarnik {

// A whole number a screen shows for a double (a level, a hue in degrees, a percentage):
// rounded half away from zero, so 2.5 shows 3 and -2.5 shows -3. A value that is not a
// number has no whole number; infinities and values beyond 64 bits take the nearest 64-bit
// limit, so a runaway value never reaches an undefined conversion.
std::optional<qint64> roundedWholeNumber(double value);
// The same whole number written "%lld", or "-" for a value that has none.
QString wholeNumberText(double value);

}  // namespace tarnik
