#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace tarnik {

// Provenance of one source file the parameter catalog was built from.
struct FixtureParameterSourceMetadata {
  QString file;
  quint64 bytes = 0;
  QString sha256;  // lower case

  bool operator==(const FixtureParameterSourceMetadata &) const = default;
};

struct FixtureParameterCatalogMetadata {
  quint32 schemaVersion = 1;
  QString libraryVersion;
  QString libraryDate;
  FixtureParameterSourceMetadata fixtureSource;
  FixtureParameterSourceMetadata profileSource;
  FixtureParameterSourceMetadata parameterSource;
  qint64 parameterCount = 0;
  qint64 profileCount = 0;
  qint64 aliasCount = 0;
  qint64 ambiguousAliasCount = 0;

  bool operator==(const FixtureParameterCatalogMetadata &) const = default;
};

// A console parameter, named as the console reports it.
struct FixtureParameterDefinition {
  qint32 id = 0;
  QString name;
  std::optional<qint32> categoryID;
  std::optional<QString> categoryName;

  bool operator==(const FixtureParameterDefinition &) const = default;
};

}  // namespace tarnik
