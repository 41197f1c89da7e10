#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <utility>

namespace tarnik {

// The ways a catalog resource can fail to load, the same for both catalogs.
enum class CatalogErrorKind {
  resourceTooLarge,
  unsupportedSchema,
  truncated,
  invalidUTF8,
  invalidMetadata,
  invalidReference,
  duplicate,
  trailingBytes,
  resourceMissing,
  invalidMagic,
  decompressionFailed,
  resourceDigestMismatch,
};

// The text the user sees for a failure of the catalog named `catalogName` ("fixture
// catalog"): the two catalogs word their failures alike.
QString catalogErrorDescription(QStringView catalogName, CatalogErrorKind kind, qint64 number,
                                const QString &text);

// What both catalogs' error types share: their cases, their texts and equality. `Error` is
// the catalog's own type, which names its catalog (`catalogName`) and raises duplicates
// in its own words.
template <class Error>
struct CatalogError {
  using Kind = CatalogErrorKind;

  Kind kind = Kind::resourceMissing;
  qint64 number = 0;  // byte counts and the schema number
  QString text;       // field labels and what was duplicated

  static Error resourceTooLarge(qint64 bytes) { return made(Kind::resourceTooLarge, bytes); }
  static Error unsupportedSchema(quint32 schema) { return made(Kind::unsupportedSchema, schema); }
  static Error truncated(QString label) { return made(Kind::truncated, 0, std::move(label)); }
  static Error invalidUTF8(QString label) { return made(Kind::invalidUTF8, 0, std::move(label)); }
  static Error invalidMetadata(QString label) {
    return made(Kind::invalidMetadata, 0, std::move(label));
  }
  static Error invalidReference(QString label) {
    return made(Kind::invalidReference, 0, std::move(label));
  }
  static Error trailingBytes(qint64 count) { return made(Kind::trailingBytes, count); }
  static Error resourceMissing() { return made(Kind::resourceMissing); }
  static Error invalidMagic() { return made(Kind::invalidMagic); }
  static Error decompressionFailed() { return made(Kind::decompressionFailed); }
  static Error resourceDigestMismatch() { return made(Kind::resourceDigestMismatch); }

  QString description() const {
    return catalogErrorDescription(Error::catalogName, kind, number, text);
  }
  bool operator==(const CatalogError &) const = default;

 protected:
  static Error made(Kind kind, qint64 number = 0, QString text = {}) {
    Error error;
    error.kind = kind;
    error.number = number;
    error.text = std::move(text);
    return error;
  }
};

}  // namespace tarnik
