#pragma once

#include <QString>
#include <QtGlobal>

namespace tarnik {

// Why the fixture parameter catalog could not be loaded; description() is the user text.
struct FixtureParameterCatalogError {
  enum class Kind {
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

  Kind kind = Kind::resourceMissing;
  qint64 number = 0;  // byte counts and the schema number
  QString text;       // field labels

  static FixtureParameterCatalogError resourceTooLarge(qint64 bytes) { return {Kind::resourceTooLarge, bytes, {}}; }
  static FixtureParameterCatalogError unsupportedSchema(quint32 schema) {
    return {Kind::unsupportedSchema, schema, {}};
  }
  static FixtureParameterCatalogError truncated(QString label) { return {Kind::truncated, 0, std::move(label)}; }
  static FixtureParameterCatalogError invalidUTF8(QString label) { return {Kind::invalidUTF8, 0, std::move(label)}; }
  static FixtureParameterCatalogError invalidMetadata(QString label) {
    return {Kind::invalidMetadata, 0, std::move(label)};
  }
  static FixtureParameterCatalogError invalidReference(QString label) {
    return {Kind::invalidReference, 0, std::move(label)};
  }
  static FixtureParameterCatalogError duplicate(QString label) { return {Kind::duplicate, 0, std::move(label)}; }
  static FixtureParameterCatalogError trailingBytes(qint64 count) { return {Kind::trailingBytes, count, {}}; }
  static FixtureParameterCatalogError resourceMissing() { return {Kind::resourceMissing, 0, {}}; }
  static FixtureParameterCatalogError invalidMagic() { return {Kind::invalidMagic, 0, {}}; }
  static FixtureParameterCatalogError decompressionFailed() { return {Kind::decompressionFailed, 0, {}}; }
  static FixtureParameterCatalogError resourceDigestMismatch() { return {Kind::resourceDigestMismatch, 0, {}}; }

  QString description() const;
  bool operator==(const FixtureParameterCatalogError &) const = default;
};

}  // namespace tarnik
