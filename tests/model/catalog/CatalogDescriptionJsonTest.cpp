#include "CatalogDescriptionJson.h"
#include "model/catalog/FixtureCatalogDatabase.h"
#include "model/catalog/FixtureParameterCatalogDatabase.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

const char *fixtureJson = R"({
  "format": "fixture",
  "payload": {
    "libraryVersion": "3.2.1.75", "libraryDate": "2024-05-01", "sourceFile": "library.xml",
    "sourceSHA256": "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef", "sourceBytes": 10,
    "manufacturers": ["Acme"],
    "models": [{"manufacturer": 0, "name": "Spot 300"}],
    "modes": [{"id": "a1b2c3d4-e5f6-4711-8899-aabbccddeeff", "model": 0, "mode": "Standard",
               "name": "Spot_300_Standard", "profileFootprint": 16, "totalFootprint": 16}]
  }%1
})";

QString decodeError(const QByteArray &json) {
  const auto bytes = writeCatalogFromJson(json);
  if (!bytes) return bytes.error();
  const auto database = FixtureCatalogDatabase::load(*bytes);
  return database ? QStringLiteral("(loaded)") : database.error().description();
}

TEST(CatalogDescriptionJson, WritesHonestAndBrokenFixtureCatalogs) {
  const auto json = [](const char *container) {
    return QString::fromUtf8(fixtureJson).arg(QString::fromUtf8(container)).toUtf8();
  };
  EXPECT_EQ(decodeError(json("")), "(loaded)");
  EXPECT_EQ(decodeError(json(R"(, "container": {})")), "(loaded)");
  EXPECT_EQ(decodeError(json(R"(, "container": {"declaredSize": 0})")),
            "The fixture catalog is unexpectedly large (0 bytes).");
  EXPECT_EQ(decodeError(json(R"(, "container": {"digestHex": "00", "compressedHex": ""})")),
            "The fixture catalog is truncated while reading decoded resource SHA-256.");
  QByteArray brokenText = json("");
  brokenText.replace(R"("Spot 300")", R"({"hex": "c328"})");
  EXPECT_EQ(decodeError(brokenText), "The fixture catalog contains invalid UTF-8 in model 0 name.");
  QByteArray overCounted = json("");
  overCounted.replace(R"("manufacturers")", R"("modeCount": 2, "manufacturers")");
  EXPECT_EQ(decodeError(overCounted),
            "The fixture catalog is truncated while reading mode 1 UUID.");
  EXPECT_FALSE(writeCatalogFromJson(R"({"format": "other"})"));
}

TEST(CatalogDescriptionJson, WritesParameterCatalogsWithParts) {
  const QByteArray json = R"({
    "format": "parameter",
    "payload": {
      "libraryVersion": "3.2.1.75", "libraryDate": "2024-05-01",
      "fixtureSource": {"file": "f", "bytes": 1, "sha256": "0000000000000000000000000000000000000000000000000000000000000000"},
      "profileSource": {"file": "p", "bytes": 1, "sha256": "0000000000000000000000000000000000000000000000000000000000000000"},
      "parameterSource": {"file": "m", "bytes": 1, "sha256": "0000000000000000000000000000000000000000000000000000000000000000"},
      "parameters": [{"id": 4, "name": "Red", "categoryID": 3, "categoryName": "Color"}],
      "profiles": [
        {"id": "00000000-0000-0000-0000-000000000001", "manufacturer": "Acme", "name": "Bar", "totalFootprint": 6,
         "parts": [{"child": 1, "offset": 1}, {"child": 1, "offset": 4}]},
        {"id": "00000000-0000-0000-0000-000000000002", "manufacturer": "Acme", "name": "Cell", "totalFootprint": 3,
         "channels": [{"offsets": [1], "parameters": [4]}]}
      ],
      "aliases": [{"manufacturer": "Acme", "fixtureType": "Bar", "profile": 0}]
    },
    "container": {}
  })";
  const auto bytes = writeCatalogFromJson(json);
  ASSERT_TRUE(bytes) << bytes.error().toStdString();
  const auto database = FixtureParameterCatalogDatabase::load(*bytes);
  ASSERT_TRUE(database) << database.error().description().toStdString();
  const auto map = database->slotMap(QStringLiteral("3.2.1.75"), u"Acme", u"Bar");
  ASSERT_TRUE(map);
  EXPECT_EQ(map->offsetsByParameterName().value("Red"), (QList<int>{1, 4}));
}

}  // namespace
}  // namespace tarnik
