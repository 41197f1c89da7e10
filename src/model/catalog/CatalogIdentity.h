#pragma once

#include <QHashFunctions>
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <compare>
#include <optional>

namespace tarnik {

// The 16 bytes of a mode or profile UUID as two big-endian numbers: compared and hashed
// without building text, ordered like the bytes and so like the upper-case text. A large
// catalog holds half a million of them.
struct CatalogIdentity {
  quint64 high = 0;
  quint64 low = 0;

  static CatalogIdentity fromBytes(const char *bytes);
  // The 36-character form in either case, or none.
  static std::optional<CatalogIdentity> fromText(QStringView text);
  // The canonical upper-case 8-4-4-4-12 text.
  QString text() const;

  auto operator<=>(const CatalogIdentity &) const = default;
};

inline size_t qHash(const CatalogIdentity &identity, size_t seed = 0) {
  return qHashMulti(seed, identity.high, identity.low);
}

}  // namespace tarnik
