#pragma once

#include <QString>
#include <QtGlobal>

namespace tarnik {

// Why the fixture catalog could not be loaded; description() is the text the user sees.
struct FixtureCatalogError {
  enum class Kind {
    resourceTooLarge,
    unsupportedSchema,
    truncated,
    invalidUTF8,
    invalidMetadata,
    invalidReference,
    duplicateModeID,
    trailingBytes,
    resourceMissing,
    invalidMagic,
    decompressionFailed,
    resourceDigestMismatch,
  };

  Kind kind = Kind::resourceMissing;
  qint64 number = 0;  // byte counts and the schema number
  QString text;       // field labels and the duplicate mode id

  static FixtureCatalogError resourceTooLarge(qint64 bytes) { return {Kind::resourceTooLarge, bytes, {}}; }
  static FixtureCatalogError unsupportedSchema(quint32 schema) { return {Kind::unsupportedSchema, schema, {}}; }
  static FixtureCatalogError truncated(QString label) { return {Kind::truncated, 0, std::move(label)}; }
  static FixtureCatalogError invalidUTF8(QString label) { return {Kind::invalidUTF8, 0, std::move(label)}; }
  static FixtureCatalogError invalidMetadata(QString label) { return {Kind::invalidMetadata, 0, std::move(label)}; }
  static FixtureCatalogError invalidReference(QString label) { return {Kind::invalidReference, 0, std::move(label)}; }
  static FixtureCatalogError duplicateModeID(QString id) { return {Kind::duplicateModeID, 0, std::move(id)}; }
  static FixtureCatalogError trailingBytes(qint64 count) { return {Kind::trailingBytes, count, {}}; }
  static FixtureCatalogError resourceMissing() { return {Kind::resourceMissing, 0, {}}; }
  static FixtureCatalogError invalidMagic() { return {Kind::invalidMagic, 0, {}}; }
  static FixtureCatalogError decompressionFailed() { return {Kind::decompressionFailed, 0, {}}; }
  static FixtureCatalogError resourceDigestMismatch() { return {Kind::resourceDigestMismatch, 0, {}}; }

  QString description() const;
  bool operator==(const FixtureCatalogError &) const = default;
};

}  // namespace tarnik
