#include "foundation/NumberRules.h"
#include "foundation/TextRules.h"
#include "model/Cue.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace tarnik {

bool Cue::hasAttributes() const {
  for (const QString *flag : {&mark, &block, &assert, &preheat, &allFade, &moves, &release}) {
    if (!flag->isEmpty()) return true;
  }
  return false;
}

std::optional<double> Cue::seconds(const QString &timeText) {
  QString number = trimmedText(timeText);
  number.removeIf([](QChar c) { return c == u's' || c == u'S'; });
  if (number.isEmpty()) return std::nullopt;
  return parseDecimal(number);
}

std::optional<double> Cue::numberValue(const QString &number) { return parseFloatingPoint(number); }

double Cue::numberSortValue(const QString &number) {
  const std::optional<double> value = numberValue(number);
  return value && !std::isnan(*value) ? *value : 0.0;
}

QString Cue::formattedTime(const QString &timeText) {
  const QString trimmed = trimmedText(timeText);
  if (trimmed.isEmpty()) return u"-"_s;
  const std::optional<double> value = seconds(trimmed);
  if (!value) return trimmed;
  const double whole = std::round(*value);
  if (whole == *value) {
    // An infinite value or a whole number beyond 64 bits has no sensible time to show.
    constexpr double limit = 9223372036854775808.0;  // 2^63
    if (!(whole >= -limit && whole < limit)) return trimmed;
    return QString::number(static_cast<qint64>(whole)) + u's';
  }
  return formatFixed(*value, 1) + u's';
}

}  // namespace tarnik
