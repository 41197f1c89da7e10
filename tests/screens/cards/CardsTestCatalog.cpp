#include "CardsTestCatalog.h"

#include "CatalogDescriptions.h"
#include "CatalogWriter.h"
#include "model/catalog/FixtureParameterCatalogStore.h"

#include <QFile>

#include <gtest/gtest.h>

namespace tarnik::testing {

CardsTestCatalog::CardsTestCatalog() {
  ParameterCatalogDescription catalog;
  catalog.libraryVersion = cardsCatalogLibraryVersion;
  catalog.libraryDate = "2024-05-01";
  const ParameterCatalogDescription::Source source{"library.xml", 1234, QByteArray(64, 'b')};
  catalog.fixtureSource = source;
  catalog.profileSource = source;
  catalog.parameterSource = source;
  catalog.parameters = {
      {1, "Intens", 1, "Intensity"}, {2, "Pan", 0xFFFF'FFFF, ""}, {3, "Tilt", 0xFFFF'FFFF, ""}};
  ParameterCatalogDescription::Profile spot;
  spot.id = QUuid::fromString(QStringLiteral("00000000-0000-0000-0000-000000000001"));
  spot.manufacturer = "Acme";
  spot.name = "Spot_300";
  spot.totalFootprint = 16;
  spot.channels = {{{1}, {2}}, {{2}, {3}}, {{3}, {1}}};
  catalog.profiles = {spot};
  catalog.aliases = {{"Acme", "Spot 300", 0}};
  const QByteArray container =
      writeContainer({parameterContainerMagic, 1, writeParameterPayload(catalog), {}, {}, {}});

  QFile file(folder_.filePath(FixtureParameterCatalogStore::resourceName + u'.' +
                              FixtureParameterCatalogStore::resourceExtension));
  EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(container) == container.size());
}

}  // namespace tarnik::testing
