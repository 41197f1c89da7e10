#pragma once

#include <QString>

#include <optional>

namespace tarnik {

// How the editor's whole-number fields read and show their value. Typing keeps only the
// characters Unicode calls numeric, so "1a2" reads as 12 and "-5" as 5; what is kept must
// then be ASCII digits within 64 bits, else the field holds nothing. A kept digit of another
// script or a number sign such as "½" therefore empties the field rather than guessing.
std::optional<qint64> integerFromTypedText(const QString &typed);

// The value in plain decimal, or nothing for an empty field.
QString integerFieldText(const std::optional<qint64> &value);

// Where the cursor goes once typed text is shown as its value: after as many of the kept
// characters as stood before it, less the leading zeros the value drops.
int integerFieldCursor(const QString &typed, int cursor, const QString &shown);

}  // namespace tarnik
