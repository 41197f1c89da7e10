#include "model/catalog/FixtureParameterCatalogError.h"

namespace tarnik {

QString FixtureParameterCatalogError::description() const {
  const QString n = QString::number(number);
  switch (kind) {
    case Kind::resourceTooLarge:
      return QStringLiteral("The fixture parameter catalog is unexpectedly large (") + n + QStringLiteral(" bytes).");
    case Kind::unsupportedSchema:
      return QStringLiteral("Fixture parameter catalog schema ") + n + QStringLiteral(" is unsupported.");
    case Kind::truncated:
      return QStringLiteral("The fixture parameter catalog is truncated while reading ") + text + QStringLiteral(".");
    case Kind::invalidUTF8:
      return QStringLiteral("The fixture parameter catalog contains invalid UTF-8 in ") + text + QStringLiteral(".");
    case Kind::invalidMetadata:
      return QStringLiteral("The fixture parameter catalog has invalid ") + text + QStringLiteral(".");
    case Kind::invalidReference:
      return QStringLiteral("The fixture parameter catalog has an invalid ") + text + QStringLiteral(" reference.");
    case Kind::duplicate:
      return QStringLiteral("The fixture parameter catalog contains duplicate ") + text + QStringLiteral(".");
    case Kind::trailingBytes:
      return QStringLiteral("The fixture parameter catalog has ") + n + QStringLiteral(" unexpected trailing bytes.");
    case Kind::resourceMissing:
      return QStringLiteral("The bundled Eos fixture parameter catalog is missing.");
    case Kind::invalidMagic:
      return QStringLiteral("The fixture parameter catalog has an invalid file signature.");
    case Kind::decompressionFailed:
      return QStringLiteral("The fixture parameter catalog could not be decompressed.");
    case Kind::resourceDigestMismatch:
      return QStringLiteral("The fixture parameter catalog failed its integrity check.");
  }
  return {};
}

}  // namespace tarnik
