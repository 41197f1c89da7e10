#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace tarnik {

// Header facts of the installed fixture catalog.
struct FixtureCatalogMetadata {
  quint32 schemaVersion = 1;
  QString libraryVersion;
  QString libraryDate;
  QString sourceFile;
  quint64 sourceBytes = 0;
  QString sourceSHA256;  // lower case
  int manufacturerCount = 0;
  int modelCount = 0;
  int modeCount = 0;

  bool operator==(const FixtureCatalogMetadata &) const = default;
};

struct FixtureCatalogManufacturer {
  int id = 0;  // position in the catalog
  QString name;
  int modelCount = 0;
  int modeCount = 0;

  bool operator==(const FixtureCatalogManufacturer &) const = default;
};

struct FixtureCatalogModel {
  int id = 0;  // position in the catalog
  int manufacturerID = 0;
  QString manufacturer;
  QString name;
  int modeCount = 0;

  bool operator==(const FixtureCatalogModel &) const = default;
};

// One DMX personality as the browser lists it and a patch choice copies it.
struct FixtureCatalogMode {
  QString id;  // upper-case UUID text
  QString manufacturer;
  QString model;
  QString mode;
  QString name;  // the console's fixture type name
  std::optional<int> profileFootprint;
  std::optional<int> totalFootprint;
  int cellCount = 0;
  QString libraryVersion;
  QString sourceFile;
  QString sourceSHA256;
  bool isCommandIdentityUnique = true;

  bool operator==(const FixtureCatalogMode &) const = default;
};

}  // namespace tarnik
