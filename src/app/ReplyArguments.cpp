#include "app/ReplyArguments.h"

#include "foundation/NumberRules.h"

#include <cmath>
#include <variant>

using namespace Qt::StringLiterals;

namespace tarnik {

std::optional<qint64> integerTowardZero(double value) {
  // 2^63 is exact as a double; every double below it converts without overflow.
  constexpr double limit = 9223372036854775808.0;
  const double whole = std::trunc(value);
  if (!(whole >= -limit && whole < limit)) return std::nullopt;
  return static_cast<qint64>(whole);
}

std::optional<qint64> integerArgument(const OSCArgument &argument) {
  if (const qint32 *value = std::get_if<qint32>(&argument.value)) return *value;
  if (const float *value = std::get_if<float>(&argument.value)) {
    if (std::trunc(*value) != *value) return std::nullopt;
    return integerTowardZero(*value);
  }
  if (const QString *text = std::get_if<QString>(&argument.value))
    return parseStrictInteger<qint64>(*text);
  return std::nullopt;
}

std::optional<qint64> integerArgument(const QList<OSCArgument> &arguments, qsizetype index) {
  if (index < 0 || index >= arguments.size()) return std::nullopt;
  return integerArgument(arguments[index]);
}

bool flagArgument(const OSCArgument &argument) {
  if (const qint32 *value = std::get_if<qint32>(&argument.value)) return *value != 0;
  if (const float *value = std::get_if<float>(&argument.value)) return *value != 0.0f;
  if (const QString *text = std::get_if<QString>(&argument.value)) {
    const QString lower = text->toLower();
    return lower == "1"_L1 || lower == "true"_L1 || lower == "yes"_L1;
  }
  if (const bool *value = std::get_if<bool>(&argument.value)) return *value;
  return false;
}

QString textArgument(const OSCArgument &argument) {
  if (const QString *text = std::get_if<QString>(&argument.value)) return *text;
  return {};
}

QString textArgument(const QList<OSCArgument> &arguments, qsizetype index) {
  if (index < 0 || index >= arguments.size()) return {};
  return textArgument(arguments[index]);
}

}  // namespace tarnik
