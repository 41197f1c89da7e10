#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

#include <expected>
#include <optional>

namespace tarnik {

// Where the application's two catalogs come from: Debian's qlcplus-data fixture
// definitions, the package changelog that dates and versions them, and the table that
// maps their channels to console parameters.
struct FixtureDataSource {
  QString fixturesFolder;
  QString changelogPath;
  QString mappingPath;

  // The installed package and this source tree's parameter-mapping.json.
  static FixtureDataSource installed();
};

// How the definitions' mode channels (one per slot) fared against the parameter mapping:
// the slots each rule put into a channel record, and those left out.
struct ParameterMappingCounts {
  QMap<QString, int> slotsByRule;
  int unmappedSlots = 0;      // no rule gives the channel a parameter
  int unpairedFineSlots = 0;  // a fine byte whose coarse byte is not in the same head
};

struct ShippedCatalogs {
  QString libraryVersion;
  ParameterMappingCounts mappingCounts;
  QByteArray fixturePayload;
  QByteArray parameterPayload;
  QByteArray fixtureCatalog;    // FixtureCatalog.tfcat: the compressed container
  QByteArray parameterCatalog;  // FixtureParameterCatalog.tfpc
};

// Reads every definition in sorted path order and builds both catalogs; the same input
// always gives the same bytes. `fixtureLimit` keeps only the first definitions, for small
// samples.
std::expected<ShippedCatalogs, QString> buildShippedCatalogs(
    const FixtureDataSource &source, std::optional<int> fixtureLimit = std::nullopt);

}  // namespace tarnik
