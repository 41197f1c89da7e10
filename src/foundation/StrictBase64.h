#pragma once

#include <QByteArray>
#include <QStringView>

#include <optional>

namespace tarnik {

// Standard base64 read strictly: the RFC 4648 alphabet, whole groups of four, at most two
// '=' and only at the very end, and nothing skipped (no blanks, no line breaks). Nothing is
// trimmed here; a caller that forgives surrounding white space trims first.
std::optional<QByteArray> decodeStrictBase64(QStringView text);

}  // namespace tarnik
