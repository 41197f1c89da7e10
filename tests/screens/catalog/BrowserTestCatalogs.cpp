#include "BrowserTestCatalogs.h"

#include "CatalogWriter.h"
#include "support/TestFixtureCatalogs.h"

#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

namespace tarnik::catalogtest {

FixtureCatalogDescription browserCatalog() {
  FixtureCatalogDescription catalog = emptyFixtureCatalog();
  catalog.manufacturers = {"Acme", "Bulk", "Clay_Paky"};
  // Models grouped by manufacturer, modes by model, as a catalog keeps them.
  catalog.models = {
      {0, "Spot 300"}, {0, "Wash 1"}, {1, "Zoomer"}, {1, "Tilter"}, {2, "Sharpy_Wash_330"}};
  catalog.modes = {
      {numberedId(1), 0, "Standard", "Spot_300_Standard", 16, 20, 0},
      {numberedId(2), 0, "Extended", "Spot_300_Extended", 24, 24, 0},
      {numberedId(3), 1, "", "Wash_1", 0, 0, 0},
  };
  for (int index = 0; index < 199; ++index) {
    const bool zoom = index < 100;
    const QString mode = QStringLiteral("%1 %2")
                             .arg(zoom ? QStringLiteral("Zoom") : QStringLiteral("Tilt"))
                             .arg(zoom ? index : index - 100, 3, 10, QLatin1Char('0'));
    catalog.modes.append({numberedId(100 + quint64(index)), zoom ? 2u : 3u, mode,
                          QString(mode).replace(u' ', u'_'), 8, 8, 0});
  }
  catalog.modes.append({numberedId(4), 4, "Mode_1", "Sharpy_Wash_330_Mode_1", 16, 0, 0});
  return catalog;
}

CatalogFolder::CatalogFolder() { EXPECT_TRUE(folder_.isValid()); }

void CatalogFolder::write(const FixtureCatalogDescription &catalog) {
  writeBytes(writeContainer({fixtureContainerMagic, 1, writeFixturePayload(catalog), {}, {}, {}}));
}

void CatalogFolder::writeCorrupt(const FixtureCatalogDescription &catalog) {
  writeBytes(writeContainer(
      {fixtureContainerMagic, 1, writeFixturePayload(catalog), {}, QByteArray(32, '\x5a'), {}}));
}

CatalogResourceLocator CatalogFolder::bundle() const {
  return CatalogResourceLocator({folder_.path()});
}

void CatalogFolder::writeBytes(const QByteArray &bytes) {
  QFile file(folder_.filePath(QStringLiteral("FixtureCatalog.tfcat")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

bool loadStore(FixtureCatalogStore &store, const CatalogResourceLocator &bundle) {
  store.loadIfNeeded(bundle);
  return QTest::qWaitFor(
      [&store] {
        return store.state().kind == FixtureCatalogStore::State::Kind::ready ||
               store.state().kind == FixtureCatalogStore::State::Kind::failed;
      },
      10'000);
}

}  // namespace tarnik::catalogtest
