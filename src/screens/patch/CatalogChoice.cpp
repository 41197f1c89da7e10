#include "screens/patch/CatalogChoice.h"

namespace tarnik {

PatchFixtureChoice choiceFromMode(const FixtureCatalogMode &mode) {
  const std::optional<int> footprint = modeFootprint(mode);
  return PatchFixtureChoice{
      .source = QStringLiteral("Installed ETC Eos fixture library"),
      .version = mode.libraryVersion,
      .id = mode.id,
      .manufacturer = mode.manufacturer,
      .model = mode.model,
      .mode = mode.mode,
      .footprint = footprint ? std::optional<qint64>(*footprint) : std::nullopt,
      .nativeTypeName = mode.name,
      .cellCount = mode.cellCount,
  };
}

std::optional<int> modeFootprint(const FixtureCatalogMode &mode) {
  return mode.totalFootprint ? mode.totalFootprint : mode.profileFootprint;
}

QString shownCatalogName(const QString &storedName) {
  return QString(storedName).replace(u'_', u' ');
}

}  // namespace tarnik
