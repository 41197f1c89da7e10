#include "screens/kit/CheckedRounding.h"

#include <cmath>
#include <limits>

namespace tarnik {

std::optional<qint64> roundedWholeNumber(double value) {
  if (std::isnan(value)) return std::nullopt;
  // 2^63 is exact as a double; every whole double strictly between -2^63 and 2^63 converts.
  constexpr double limit = 9223372036854775808.0;
  const double whole = std::round(value);
  if (whole >= limit) return std::numeric_limits<qint64>::max();
  if (whole <= -limit) return std::numeric_limits<qint64>::min();
  return static_cast<qint64>(whole);
}

QString wholeNumberText(double value) {
  const std::optional<qint64> whole = roundedWholeNumber(value);
  return whole ? QString::number(*whole) : QStringLiteral("-");
}

}  // namespace tarnik
