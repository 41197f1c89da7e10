#include "foundation/StrictBase64.h"

#include <algorithm>

namespace tarnik {

namespace {

bool isBase64AlphabetCharacter(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
         c == u'+' || c == u'/';
}

// Qt's decoder accepts unpadded text, so padding and placement are checked here first.
bool isStrictBase64(QStringView text) {
  if (text.size() % 4 != 0) {
    return false;
  }
  qsizetype padding = 0;
  while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == u'=') {
    ++padding;
  }
  const QStringView body = text.first(text.size() - padding);
  return std::all_of(body.begin(), body.end(),
                     [](QChar c) { return isBase64AlphabetCharacter(c.unicode()); });
}

}  // namespace

std::optional<QByteArray> decodeStrictBase64(QStringView text) {
  if (!isStrictBase64(text)) {
    return std::nullopt;
  }
  auto decoded =
      QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
  if (!decoded) {
    return std::nullopt;
  }
  return decoded.decoded;
}

}  // namespace tarnik
