#pragma once

#include "link/OSCArgument.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace tarnik {

// The console sends a number as an int, a float or a text, depending on the field and the
// console's version, so every reader of a list reply takes each kind it could meet.

// A float truncated toward zero. Nothing when the value is not finite or its whole part lies
// outside the signed 64-bit range, where a plain conversion would be undefined.
std::optional<qint64> integerTowardZero(double value);

// An int as it is; a float only when it has no fractional part (and fits, as above); a
// string holding a strict decimal integer (optional sign, ASCII digits, no blanks, 64-bit).
// Nothing for a bool, a blob or any other text.
std::optional<qint64> integerArgument(const OSCArgument &argument);
// The argument at the index, nothing when the list has none there.
std::optional<qint64> integerArgument(const QList<OSCArgument> &arguments, qsizetype index);

// Set for a non-zero int or float, a true bool, or a string whose lower-case form is "1",
// "true" or "yes". Never set for a blob.
bool flagArgument(const OSCArgument &argument);

// The text of a string argument; any other kind reads as the empty text.
QString textArgument(const OSCArgument &argument);
// The same for the argument at the index; the empty text when the list has none there.
QString textArgument(const QList<OSCArgument> &arguments, qsizetype index);

}  // namespace tarnik
