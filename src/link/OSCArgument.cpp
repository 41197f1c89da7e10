#include "link/OSCArgument.h"

#include "foundation/TextRules.h"

namespace tarnik {

OSCArgument OSCArgument::fromInt(qint32 value) { return {value}; }
OSCArgument OSCArgument::fromFloat(float value) { return {value}; }
OSCArgument OSCArgument::fromString(QString value) { return {std::move(value)}; }
OSCArgument OSCArgument::fromBool(bool value) { return {value}; }
OSCArgument OSCArgument::fromBlob(QByteArray value) { return {std::move(value)}; }

bool operator==(const OSCArgument &lhs, const OSCArgument &rhs) {
  if (lhs.value.index() != rhs.value.index()) return false;
  if (const auto *text = std::get_if<QString>(&lhs.value)) {
    return canonicallyEqual(*text, std::get<QString>(rhs.value));
  }
  // float's own == already gives NaN != NaN and +0 == -0; the rest compare by value.
  return lhs.value == rhs.value;
}

}  // namespace tarnik
