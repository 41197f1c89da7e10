#pragma once

#include <QString>
#include <QStringView>
#include <QUuid>

#include <optional>

namespace tarnik {

// The upper-case 36-character form used everywhere a UUID is shown, stored or compared.
QString uuidText(const QUuid &id);

// Reads the 36-character form in either case; braces and any other shape are refused.
std::optional<QUuid> parseUuidText(QStringView text);

}  // namespace tarnik
