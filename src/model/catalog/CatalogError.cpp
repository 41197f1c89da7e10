#include "model/catalog/CatalogError.h"

namespace tarnik {

QString catalogErrorDescription(QStringView catalogName, CatalogErrorKind kind, qint64 number,
                                const QString &text) {
  const QString name = catalogName.toString();
  const QString the = QStringLiteral("The ") + name;
  const QString n = QString::number(number);
  switch (kind) {
    case CatalogErrorKind::resourceTooLarge:
      return the + QStringLiteral(" is unexpectedly large (") + n + QStringLiteral(" bytes).");
    case CatalogErrorKind::unsupportedSchema:
      return name.first(1).toUpper() + name.sliced(1) + QStringLiteral(" schema ") + n +
             QStringLiteral(" is unsupported.");
    case CatalogErrorKind::truncated:
      return the + QStringLiteral(" is truncated while reading ") + text + QStringLiteral(".");
    case CatalogErrorKind::invalidUTF8:
      return the + QStringLiteral(" contains invalid UTF-8 in ") + text + QStringLiteral(".");
    case CatalogErrorKind::invalidMetadata:
      return the + QStringLiteral(" has invalid ") + text + QStringLiteral(".");
    case CatalogErrorKind::invalidReference:
      return the + QStringLiteral(" has an invalid ") + text + QStringLiteral(" reference.");
    case CatalogErrorKind::duplicate:
      return the + QStringLiteral(" contains duplicate ") + text + QStringLiteral(".");
    case CatalogErrorKind::trailingBytes:
      return the + QStringLiteral(" has ") + n + QStringLiteral(" unexpected trailing bytes.");
    case CatalogErrorKind::resourceMissing:
      return QStringLiteral("The bundled Eos ") + name + QStringLiteral(" is missing.");
    case CatalogErrorKind::invalidMagic:
      return the + QStringLiteral(" has an invalid file signature.");
    case CatalogErrorKind::decompressionFailed:
      return the + QStringLiteral(" could not be decompressed.");
    case CatalogErrorKind::resourceDigestMismatch:
      return the + QStringLiteral(" failed its integrity check.");
  }
  return {};
}

}  // namespace tarnik
