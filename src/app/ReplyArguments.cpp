#include "app/ReplyArguments.h"

#include "foundation/NumberRules.h"

#include <cmath>
#include <variant>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {
template <class... Readers>
struct Overloaded : Readers... {
  using Readers::operator()...;
};
}  // namespace

std::optional<qint64> integerTowardZero(double value) {
  // 2^63 is exact as a double; every double below it converts without overflow.
  constexpr double limit = 9223372036854775808.0;
  const double whole = std::trunc(value);
  if (!(whole >= -limit && whole < limit)) return std::nullopt;
  return static_cast<qint64>(whole);
}

std::optional<qint64> integerArgument(const OSCArgument &argument) {
  return std::visit(Overloaded{
                        [](qint32 value) -> std::optional<qint64> { return value; },
                        [](float value) -> std::optional<qint64> {
                          if (std::trunc(value) != value) return std::nullopt;
                          return integerTowardZero(value);
                        },
                        [](const QString &text) { return parseStrictInteger<qint64>(text); },
                        [](bool) -> std::optional<qint64> { return std::nullopt; },
                        [](const QByteArray &) -> std::optional<qint64> { return std::nullopt; },
                    },
                    argument.value);
}

std::optional<qint64> integerArgument(const QList<OSCArgument> &arguments, qsizetype index) {
  if (index < 0 || index >= arguments.size()) return std::nullopt;
  return integerArgument(arguments[index]);
}

bool flagArgument(const OSCArgument &argument) {
  return std::visit(Overloaded{
                        [](qint32 value) { return value != 0; },
                        [](float value) { return value != 0.0f; },
                        [](const QString &text) {
                          const QString lower = text.toLower();
                          return lower == "1"_L1 || lower == "true"_L1 || lower == "yes"_L1;
                        },
                        [](bool value) { return value; },
                        [](const QByteArray &) { return false; },
                    },
                    argument.value);
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
