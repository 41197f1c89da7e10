#include "CatalogTestCatalogs.h"

#include <QFile>

#include <gtest/gtest.h>

namespace tarnik::catalogtest {

FixtureCatalogDescription smallFixtureCatalog() {
  FixtureCatalogDescription catalog = emptyFixtureCatalog();
  catalog.manufacturers = {"Acme", "Beta Lights"};
  catalog.models = {{0, "Spot 300"}, {0, "Wash 1"}, {1, "Bar"}};
  catalog.modes = {
      {numberedId(1), 0, "Standard", "Spot_300_Standard", 16, 20, 0},
      {numberedId(2), 0, "Extended", "Spot_300_Extended", 24, 24, 0},
      {numberedId(3), 1, "", "Wash_1", 0, 0, 0},
      {numberedId(4), 2, "Pixel", "Bar_Pixel", 12, 12, 4},
  };
  return catalog;
}

ParameterCatalogDescription smallParameterCatalog() {
  ParameterCatalogDescription catalog;
  catalog.libraryVersion = "3.2.1.75";
  catalog.libraryDate = "2024-05-01";
  const ParameterCatalogDescription::Source source{"library.xml", 1234, QByteArray(64, 'b')};
  catalog.fixtureSource = source;
  catalog.profileSource = source;
  catalog.parameterSource = source;
  catalog.parameters = {{1, "Intens", 1, "Intensity"}, {2, "Pan", 0xFFFF'FFFF, ""}};
  ParameterCatalogDescription::Profile spot;
  spot.id = numberedId(1);
  spot.manufacturer = "Acme";
  spot.name = "Spot_300";
  spot.totalFootprint = 16;
  spot.channels = {{{1}, {1}}, {{2, 3}, {2}}};
  catalog.profiles = {spot};
  catalog.aliases = {{"Acme", "Spot 300", 0}};
  return catalog;
}

QByteArray fixtureContainer(const QByteArray &payload) {
  return writeContainer({fixtureContainerMagic, 1, payload, {}, {}, {}});
}

QByteArray parameterContainer(const QByteArray &payload) {
  return writeContainer({parameterContainerMagic, 1, payload, {}, {}, {}});
}

void writeResource(const QTemporaryDir &folder, const QString &fileName, const QByteArray &bytes) {
  QFile file(folder.filePath(fileName));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

}  // namespace tarnik::catalogtest
