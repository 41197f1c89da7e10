#include "model/catalog/CatalogIdentity.h"

#include "foundation/UuidText.h"

#include <QtEndian>

namespace tarnik {

CatalogIdentity CatalogIdentity::fromBytes(const char *bytes) {
  return {qFromBigEndian<quint64>(bytes), qFromBigEndian<quint64>(bytes + 8)};
}

std::optional<CatalogIdentity> CatalogIdentity::fromText(QStringView text) {
  const std::optional<QUuid> id = parseUuidText(text);
  if (!id) return std::nullopt;
  return fromBytes(id->toRfc4122().constData());
}

QString CatalogIdentity::text() const {
  static constexpr char16_t digits[] = u"0123456789ABCDEF";
  QString text(36, Qt::Uninitialized);
  char16_t *out = reinterpret_cast<char16_t *>(text.data());
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) *out++ = u'-';
    const unsigned byte =
        unsigned((i < 8 ? high >> (56 - 8 * i) : low >> (56 - 8 * (i - 8))) & 0xFF);
    *out++ = digits[byte >> 4];
    *out++ = digits[byte & 0xF];
  }
  return text;
}

}  // namespace tarnik
