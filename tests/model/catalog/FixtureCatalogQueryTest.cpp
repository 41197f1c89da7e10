#include "CatalogTestCatalogs.h"
#include "model/catalog/FixtureCatalogDatabase.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using catalogtest::numberedId;
using catalogtest::smallFixtureCatalog;
using Description = FixtureCatalogDescription;

FixtureCatalogDatabase decode(const Description &catalog) {
  auto database = FixtureCatalogDatabase::parse(writeFixturePayload(catalog));
  EXPECT_TRUE(database) << database.error().description().toStdString();
  return std::move(*database);
}

QStringList idsOf(const QList<FixtureCatalogMode> &modes) {
  QStringList ids;
  for (const FixtureCatalogMode &mode : modes) ids.append(mode.id.right(3));
  return ids;
}

// One model "Wall" of `modes` modes named "Cell <n>".
Description manyModes(int modes) {
  Description catalog = smallFixtureCatalog();
  catalog.models.append({1, "Wall"});
  for (int n = 0; n < modes; ++n) {
    catalog.modes.append({numberedId(1000 + n), 3, QStringLiteral("Cell %1").arg(n),
                          QStringLiteral("Wall_%1").arg(n), 1, 1, 0});
  }
  return catalog;
}

TEST(FixtureCatalogQueries, RanksExactNamesFirstThenOrdersByNames) {
  Description catalog = smallFixtureCatalog();
  catalog.manufacturers = {"Zeta", "Alpha"};
  catalog.models = {{0, "Spot"}, {0, "Spotlight"}, {1, "Spotlight"}};
  catalog.modes = {
      {numberedId(1), 0, "Basic", "Spot_Basic", 0, 0, 0},
      {numberedId(2), 1, "Basic", "Spotlight_Basic", 0, 0, 0},
      {numberedId(3), 2, "Basic", "Spotlight_Basic", 0, 0, 0},
      {numberedId(4), 2, "Spot", "Spotlight_Spot", 0, 0, 0},
      {numberedId(5), 2, "Advanced", "Spotlight_Advanced", 0, 0, 0},
  };
  const FixtureCatalogDatabase database = decode(catalog);
  // Rank 0: model "Spot" and the mode whose text is "Spot" (Alpha before Zeta); rank 1:
  // the "Spotlight" models, Alpha's first, its modes by mode text.
  EXPECT_EQ(idsOf(database.searchModes(u"spot", 100)),
            (QStringList{"004", "001", "005", "003", "002"}));
  EXPECT_EQ(idsOf(database.searchModes(u"SPOT", 2)), (QStringList{"004", "001"}));
  // Tokens may be found in the model's text or the mode's, each on its own.
  EXPECT_EQ(idsOf(database.searchModes(u"alpha advanced", 100)), QStringList{"005"});
  EXPECT_EQ(idsOf(database.searchModes(u"zeta spotlight", 100)), QStringList{"002"});
  EXPECT_TRUE(database.searchModes(u"spot missing", 100).isEmpty());
}

TEST(FixtureCatalogQueries, RanksTheMakerAndTextsThatStartWithTheQuery) {
  // Each mode sorts before the next one only by its rank: by names alone they would come
  // the other way round.
  Description catalog = smallFixtureCatalog();
  catalog.manufacturers = {"Alpha", "Zed", "Zedd"};
  catalog.models = {{0, "Bar"}, {0, "Beam"}, {1, "Spot"}, {2, "Pin"}};
  catalog.modes = {
      {numberedId(1), 0, "Std", "Bar_zed", 0, 0, 0},       // 4: "zed" only inside its text
      {numberedId(2), 1, "", "Zed_Beam", 0, 0, 0},         // 3: its mode search text starts with it
      {numberedId(3), 2, "Basic", "Spot_Basic", 0, 0, 0},  // 2: its maker is "zed"
      {numberedId(4), 3, "Basic", "Pin_Basic", 0, 0, 0},  // 3: its model search text starts with it
  };
  EXPECT_EQ(idsOf(decode(catalog).searchModes(u"zed", 100)),
            (QStringList{"003", "002", "004", "001"}));
}

TEST(FixtureCatalogQueries, ClampsSearchLimits) {
  const FixtureCatalogDatabase database = decode(manyModes(600));
  const QList<FixtureCatalogMode> first = database.searchModes(u"  ", 100);
  ASSERT_EQ(first.size(), 100);
  EXPECT_EQ(first[0].id, "00000000-0000-0000-0000-000000000001");
  EXPECT_EQ(first[99], database.mode(99));
  EXPECT_EQ(database.searchModes(u"", 0).size(), 1);
  EXPECT_EQ(database.searchModes(u"", 10'000).size(), 500);
  EXPECT_EQ(database.searchModes(u"cell", 10'000).size(), 500);
}

TEST(FixtureCatalogQueries, ListsModelsAndModesOfOneParent) {
  const FixtureCatalogDatabase database = decode(manyModes(2100));
  const QList<FixtureCatalogModel> acme = database.modelsOfManufacturer(0, u"");
  ASSERT_EQ(acme.size(), 2);
  EXPECT_EQ(acme[1], (FixtureCatalogModel{1, 0, "Acme", "Wash 1", 1}));
  EXPECT_EQ(database.modelsOfManufacturer(0, u"acme spot").size(), 1);
  EXPECT_EQ(database.modelsOfManufacturer(1, u"wall").value(0).modeCount, 2100);
  EXPECT_TRUE(database.modelsOfManufacturer(2, u"").isEmpty());
  EXPECT_TRUE(database.modelsOfManufacturer(-1, u"").isEmpty());

  EXPECT_EQ(idsOf(database.modesOfModel(0, u"", 10)), (QStringList{"001", "002"}));
  EXPECT_EQ(idsOf(database.modesOfModel(0, u"spot 24ch", 10)), QStringList{"002"});
  EXPECT_EQ(database.modesOfModel(3, u"", 5000).size(), 2000);
  EXPECT_EQ(database.modesOfModel(3, u"cell 20", 3).size(), 3);
  EXPECT_EQ(database.modesOfModel(3, u"", 0).size(), 1);
  EXPECT_TRUE(database.modesOfModel(4, u"", 10).isEmpty());
}

TEST(FixtureCatalogQueries, FindsModesByIdentityInEitherCase) {
  Description catalog = smallFixtureCatalog();
  catalog.modes[1].id = QUuid::fromString(QStringLiteral("a1b2c3d4-e5f6-4711-8899-aabbccddeeff"));
  const FixtureCatalogDatabase database = decode(catalog);
  EXPECT_EQ(database.mode(u"a1b2c3d4-e5f6-4711-8899-aabbccddeeff")->name, "Spot_300_Extended");
  EXPECT_EQ(database.mode(u"A1B2C3D4-E5F6-4711-8899-AABBCCDDEEFF")->name, "Spot_300_Extended");
  EXPECT_FALSE(database.mode(u"a1b2c3d4-e5f6-4711-8899-aabbccddeef0"));
}

}  // namespace
}  // namespace tarnik
