#include "model/catalog/FixtureCatalogError.h"

namespace tarnik {

QString FixtureCatalogError::description() const {
  const QString n = QString::number(number);
  switch (kind) {
    case Kind::resourceTooLarge:
      return QStringLiteral("The fixture catalog is unexpectedly large (") + n + QStringLiteral(" bytes).");
    case Kind::unsupportedSchema:
      return QStringLiteral("Fixture catalog schema ") + n + QStringLiteral(" is unsupported.");
    case Kind::truncated:
      return QStringLiteral("The fixture catalog is truncated while reading ") + text + QStringLiteral(".");
    case Kind::invalidUTF8:
      return QStringLiteral("The fixture catalog contains invalid UTF-8 in ") + text + QStringLiteral(".");
    case Kind::invalidMetadata:
      return QStringLiteral("The fixture catalog has invalid ") + text + QStringLiteral(".");
    case Kind::invalidReference:
      return QStringLiteral("The fixture catalog has an invalid ") + text + QStringLiteral(" reference.");
    case Kind::duplicateModeID:
      return QStringLiteral("The fixture catalog contains duplicate mode ID ") + text + QStringLiteral(".");
    case Kind::trailingBytes:
      return QStringLiteral("The fixture catalog has ") + n + QStringLiteral(" unexpected trailing bytes.");
    case Kind::resourceMissing:
      return QStringLiteral("The bundled Eos fixture catalog is missing.");
    case Kind::invalidMagic:
      return QStringLiteral("The fixture catalog has an invalid file signature.");
    case Kind::decompressionFailed:
      return QStringLiteral("The fixture catalog could not be decompressed.");
    case Kind::resourceDigestMismatch:
      return QStringLiteral("The fixture catalog failed its integrity check.");
  }
  return {};
}

}  // namespace tarnik
