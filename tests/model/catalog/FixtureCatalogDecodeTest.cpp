#include "CatalogTestCatalogs.h"
#include "model/catalog/FixtureCatalogDatabase.h"

#include <QCryptographicHash>

#include <functional>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

using catalogtest::fixtureContainer;
using catalogtest::numberedId;
using catalogtest::smallFixtureCatalog;
using Description = FixtureCatalogDescription;

QByteArray payloadWith(const std::function<void(Description &)> &change) {
  Description catalog = smallFixtureCatalog();
  change(catalog);
  return writeFixturePayload(catalog);
}

QByteArray containerWith(const std::function<void(ContainerDescription &)> &change) {
  ContainerDescription container{
      fixtureContainerMagic, 1, writeFixturePayload(smallFixtureCatalog()), {}, {}, {}};
  change(container);
  return writeContainer(container);
}

QString loadError(const QByteArray &resource) {
  const auto database = FixtureCatalogDatabase::load(resource);
  return database ? QStringLiteral("(loaded)") : database.error().description();
}

TEST(FixtureCatalogDecoding, RejectsEachBrokenFileWithItsText) {
  const QByteArray payload = writeFixturePayload(smallFixtureCatalog());
  const struct {
    const char *name;
    QByteArray resource;
    QString text;
  } rows[] = {
      // The container.
      {"declared size 0", containerWith([](auto &c) { c.declaredSize = 0; }),
       "The fixture catalog is unexpectedly large (0 bytes)."},
      {"declared size past the limit", containerWith([](auto &c) { c.declaredSize = 33'554'433; }),
       "The fixture catalog is unexpectedly large (33554433 bytes)."},
      {"declared size at the limit passes the size check",
       containerWith([](auto &c) { c.declaredSize = 33'554'432; }),
       "The fixture catalog could not be decompressed."},
      {"declared size beyond signed range",
       containerWith([](auto &c) { c.declaredSize = ~quint64(0); }),
       "The fixture catalog is unexpectedly large (9223372036854775807 bytes)."},
      {"container schema 2", containerWith([](auto &c) { c.schema = 2; }),
       "Fixture catalog schema 2 is unsupported."},
      {"no compressed bytes", fixtureContainer(payload).left(52),
       "The fixture catalog could not be decompressed."},
      {"header cut in the digest", fixtureContainer(payload).left(40),
       "The fixture catalog is truncated while reading decoded resource SHA-256."},
      {"header cut in the schema", fixtureContainer(payload).left(10),
       "The fixture catalog is truncated while reading compressed schema version."},
      {"inflates short of the declared size",
       containerWith([&](auto &c) { c.declaredSize = payload.size() + 1; }),
       "The fixture catalog could not be decompressed."},
      {"inflates past the declared size",
       containerWith([&](auto &c) { c.declaredSize = payload.size() - 1; }),
       "The fixture catalog failed its integrity check."},
      {"stored digest changed", containerWith([](auto &c) { c.digest = QByteArray(32, '\x5a'); }),
       "The fixture catalog failed its integrity check."},
      {"not a catalog at all", QByteArray("PK\x03\x04 something else"),
       "The fixture catalog has an invalid file signature."},
      // The payload header.
      {"payload magic", payloadWith([](Description &d) { d.magic = "TFCAT002"; }),
       "The fixture catalog has an invalid file signature."},
      {"payload schema 3", payloadWith([](Description &d) { d.schemaVersion = 3; }),
       "Fixture catalog schema 3 is unsupported."},
      {"three-part version", payloadWith([](Description &d) { d.libraryVersion = "3.2.1"; }),
       "The fixture catalog has invalid library version."},
      {"empty date", payloadWith([](Description &d) { d.libraryDate = ""; }),
       "The fixture catalog has invalid library date."},
      {"empty source file", payloadWith([](Description &d) { d.sourceFile = ""; }),
       "The fixture catalog has invalid source filename."},
      {"no source bytes", payloadWith([](Description &d) { d.sourceBytes = 0; }),
       "The fixture catalog has invalid source byte count."},
      {"63-digit digest", payloadWith([](Description &d) { d.sourceSHA256 = QByteArray(63, 'a'); }),
       "The fixture catalog has invalid source SHA-256."},
      {"65-digit digest", payloadWith([](Description &d) { d.sourceSHA256 = QByteArray(65, 'a'); }),
       "The fixture catalog has invalid source SHA-256."},
      {"digest with a g",
       payloadWith([](Description &d) { d.sourceSHA256 = QByteArray(63, 'a') + 'g'; }),
       "The fixture catalog has invalid source SHA-256."},
      {"no manufacturers", payloadWith([](Description &d) { d.manufacturerCount = 0; }),
       "The fixture catalog has invalid manufacturer count."},
      {"too many manufacturers", payloadWith([](Description &d) { d.manufacturerCount = 100'001; }),
       "The fixture catalog has invalid manufacturer count."},
      {"too many models", payloadWith([](Description &d) { d.modelCount = 1'000'001; }),
       "The fixture catalog has invalid model count."},
      {"too many modes", payloadWith([](Description &d) { d.modeCount = 500'001; }),
       "The fixture catalog has invalid mode count."},
      {"header cut short reports the cut, not the bad version",
       payloadWith([](Description &d) {
         d.libraryVersion = "x";
       }).left(8 + 4 + 3 + 12 + 13 + 66 + 3),
       "The fixture catalog is truncated while reading source byte count."},
      // The records.
      {"empty manufacturer", payloadWith([](Description &d) { d.manufacturers[1] = ""; }),
       "The fixture catalog has invalid manufacturer 1 name."},
      {"manufacturer not UTF-8",
       payloadWith([](Description &d) { d.manufacturers[0] = TextField::raw("\xc3\x28"); }),
       "The fixture catalog contains invalid UTF-8 in manufacturer 0."},
      {"model of a missing manufacturer",
       payloadWith([](Description &d) { d.models[2].manufacturer = 2; }),
       "The fixture catalog has an invalid model 2 manufacturer reference."},
      {"empty model name", payloadWith([](Description &d) { d.models[0].name = ""; }),
       "The fixture catalog has invalid model 0 name."},
      {"models not grouped", payloadWith([](Description &d) {
         d.models[1].manufacturer = 1;
         d.models[2].manufacturer = 0;
       }),
       "The fixture catalog has invalid noncontiguous manufacturer models."},
      {"modes not grouped", payloadWith([](Description &d) {
         d.modes[1].model = 1;
         d.modes[2].model = 0;
       }),
       "The fixture catalog has invalid noncontiguous model modes."},
      {"mode of a missing model", payloadWith([](Description &d) { d.modes[3].model = 3; }),
       "The fixture catalog has an invalid mode 3 model reference."},
      {"repeated mode id", payloadWith([](Description &d) {
         d.modes[0].id = QUuid::fromString(QStringLiteral("a1b2c3d4-e5f6-4711-8899-aabbccddeeff"));
         d.modes[2].id = d.modes[0].id;
       }),
       "The fixture catalog contains duplicate mode ID A1B2C3D4-E5F6-4711-8899-AABBCCDDEEFF."},
      {"repeated mode id comes before the rest of its record", payloadWith([](Description &d) {
         d.modes[2].id = d.modes[0].id;
         d.modes[2].model = 7;
       }),
       "The fixture catalog contains duplicate mode ID 00000000-0000-0000-0000-000000000001."},
      {"empty mode name", payloadWith([](Description &d) { d.modes[1].name = ""; }),
       "The fixture catalog has invalid mode 1 name."},
      {"mode name running past the end", payloadWith([](Description &d) {
                                           d.modes.removeLast();
                                           d.modes[2].name = TextField::raw("Wash_1", 400);
                                           d.modes[2].model = 1;
                                         }).chopped(6),
       "The fixture catalog is truncated while reading mode 2 name."},
      {"a byte after the last mode",
       payloadWith([](Description &d) { d.trailing = QByteArray(1, '\0'); }),
       "The fixture catalog has 1 unexpected trailing bytes."},
  };
  for (const auto &row : rows) EXPECT_EQ(loadError(row.resource), row.text) << row.name;
}

TEST(FixtureCatalogDecoding, ReportsTheFaultMetFirstInReadingOrder) {
  // The groupings can only be judged once every record is read: a file that is also
  // broken further on reports that fault, not the grouping.
  const auto modelsOutOfGroup = [](Description &d) {
    d.models[1].manufacturer = 1;
    d.models[2].manufacturer = 0;
  };
  const struct {
    const char *name;
    QByteArray payload;
    QString text;
  } rows[] = {
      {"models out of group and a trailing byte", payloadWith([&](Description &d) {
         modelsOutOfGroup(d);
         d.trailing = QByteArray(1, '\0');
       }),
       "The fixture catalog has 1 unexpected trailing bytes."},
      {"models out of group and a mode name cut short", payloadWith([&](Description &d) {
                                                          modelsOutOfGroup(d);
                                                          d.modes.removeLast();
                                                          d.modes[2].name =
                                                              TextField::raw("Wash_1", 400);
                                                        }).chopped(6),
       "The fixture catalog is truncated while reading mode 2 name."},
      {"models out of group and a repeated mode id", payloadWith([&](Description &d) {
         modelsOutOfGroup(d);
         d.modes[3].id = d.modes[1].id;
       }),
       "The fixture catalog contains duplicate mode ID 00000000-0000-0000-0000-000000000002."},
      {"modes out of group and a trailing byte", payloadWith([](Description &d) {
         d.modes[1].model = 1;
         d.modes[2].model = 0;
         d.trailing = QByteArray(1, '\0');
       }),
       "The fixture catalog has 1 unexpected trailing bytes."},
  };
  for (const auto &row : rows) EXPECT_EQ(loadError(row.payload), row.text) << row.name;
}

TEST(FixtureCatalogDecoding, ChecksHeaderValuesInTheirOrder) {
  // Every header value broken at once; each repair uncovers the next check.
  Description catalog = smallFixtureCatalog();
  catalog.libraryVersion = "3.2.1";
  catalog.libraryDate = "";
  catalog.sourceFile = "";
  catalog.sourceBytes = 0;
  catalog.sourceSHA256 = QByteArray(63, 'a');
  catalog.manufacturerCount = 0;
  catalog.modelCount = 0;
  catalog.modeCount = 0;
  const Description honest = smallFixtureCatalog();
  const std::pair<const char *, std::function<void(Description &)>> checks[] = {
      {"library version", [&](Description &d) { d.libraryVersion = honest.libraryVersion; }},
      {"library date", [&](Description &d) { d.libraryDate = honest.libraryDate; }},
      {"source filename", [&](Description &d) { d.sourceFile = honest.sourceFile; }},
      {"source byte count", [&](Description &d) { d.sourceBytes = honest.sourceBytes; }},
      {"source SHA-256", [&](Description &d) { d.sourceSHA256 = honest.sourceSHA256; }},
      {"manufacturer count", [](Description &d) { d.manufacturerCount.reset(); }},
      {"model count", [](Description &d) { d.modelCount.reset(); }},
      {"mode count", [](Description &d) { d.modeCount.reset(); }},
  };
  for (const auto &[label, repair] : checks) {
    EXPECT_EQ(loadError(writeFixturePayload(catalog)),
              QStringLiteral("The fixture catalog has invalid %1.").arg(QLatin1StringView(label)));
    repair(catalog);
  }
  EXPECT_EQ(loadError(writeFixturePayload(catalog)), "(loaded)");
}

TEST(FixtureCatalogDecoding, ChecksSizesAtTheirBoundaries) {
  // The resource limit comes first: one byte over is refused by its length alone.
  QByteArray resource(16'777'217, '\0');
  EXPECT_EQ(loadError(resource), "The fixture catalog is unexpectedly large (16777217 bytes).");
  resource.chop(1);
  resource.replace(0, 8, "TFCATZ01");
  EXPECT_EQ(FixtureCatalogDatabase::load(resource).error().kind,
            FixtureCatalogError::Kind::unsupportedSchema);
  // A bare payload has its own, larger limit.
  const QByteArray payload(33'554'433, '\0');
  EXPECT_EQ(FixtureCatalogDatabase::parse(payload).error().description(),
            "The fixture catalog is unexpectedly large (33554433 bytes).");
}

TEST(FixtureCatalogDecoding, ContainerCutsAnOverlongStreamAtTheDeclaredSize) {
  const QByteArray payload = writeFixturePayload(smallFixtureCatalog());
  const QByteArray head = payload.left(payload.size() - 1);
  const QByteArray resource =
      writeContainer({fixtureContainerMagic,
                      1,
                      payload,
                      quint64(head.size()),
                      QCryptographicHash::hash(head, QCryptographicHash::Sha256),
                      {}});
  EXPECT_EQ(FixtureCatalogDatabase::unwrap(resource).value(), head);
  // The payload then lacks its last byte: the last mode's cell count runs out.
  EXPECT_EQ(loadError(resource),
            "The fixture catalog is truncated while reading mode 3 cell count.");
}

TEST(FixtureCatalogDecoding, EveryCompressedByteChangeFailsWhole) {
  const QByteArray payload = writeFixturePayload(smallFixtureCatalog());
  const QByteArray resource = fixtureContainer(payload);
  for (qsizetype at = 52; at < resource.size(); ++at) {
    QByteArray changed = resource;
    changed[at] = char(changed[at] ^ 0x41);
    const auto decoded = FixtureCatalogDatabase::unwrap(changed);
    // Bits past the stream's end can change without changing what it inflates to.
    if (decoded) {
      EXPECT_EQ(*decoded, payload) << "byte " << at;
      continue;
    }
    EXPECT_TRUE(decoded.error().kind == FixtureCatalogError::Kind::decompressionFailed ||
                decoded.error().kind == FixtureCatalogError::Kind::resourceDigestMismatch)
        << "byte " << at << ": " << decoded.error().description().toStdString();
  }
}

TEST(FixtureCatalogDecoding, BuildsTheDatabaseFromBareAndCompressedFiles) {
  Description catalog = smallFixtureCatalog();
  catalog.sourceSHA256 = QByteArray(64, 'A');
  catalog.manufacturers.append("Gamma");  // no models
  catalog.models.append({2, "Empty"});    // no modes
  const QByteArray payload = writeFixturePayload(catalog);
  for (const QByteArray &resource : {payload, fixtureContainer(payload)}) {
    const auto database = FixtureCatalogDatabase::load(resource);
    ASSERT_TRUE(database) << database.error().description().toStdString();
    const FixtureCatalogMetadata &metadata = database->metadata();
    EXPECT_EQ(metadata.libraryVersion, "3.2.1.75");
    EXPECT_EQ(metadata.sourceSHA256, QString(64, u'a'));
    EXPECT_EQ(metadata.modeCount, 4);
    const QList<FixtureCatalogManufacturer> expected = {
        {0, "Acme", 2, 3}, {1, "Beta Lights", 1, 1}, {2, "Gamma", 1, 0}};
    EXPECT_EQ(database->manufacturers(), expected);
    EXPECT_EQ(database->modelsOfManufacturer(2, {}).value(0).modeCount, 0);

    const FixtureCatalogMode mode = database->mode(3);
    EXPECT_EQ(mode.id, "00000000-0000-0000-0000-000000000004");
    EXPECT_EQ(mode.manufacturer, "Beta Lights");
    EXPECT_EQ(mode.model, "Bar");
    EXPECT_EQ(mode.cellCount, 4);
    EXPECT_EQ(mode.totalFootprint, 12);
    EXPECT_EQ(mode.sourceFile, "library.xml");
    EXPECT_FALSE(database->mode(2).profileFootprint.has_value());
  }
}

TEST(FixtureCatalogDecoding, PrecomputesFoldedSearchTexts) {
  Description catalog = smallFixtureCatalog();
  catalog.models[0].name = "Moving-Head (Spot) 300";
  catalog.modes[0].name = "16ch Std";
  catalog.modes[1] = {numberedId(2), 0, "Standard", "16ch Std", 0, 20, 0};
  catalog.modes[2].totalFootprint = 0;
  const auto database = FixtureCatalogDatabase::parse(writeFixturePayload(catalog));
  ASSERT_TRUE(database);
  EXPECT_EQ(database->manufacturerSearchText(1), "beta lights");
  EXPECT_EQ(database->modelSearchText(0), "acme moving head spot 300");
  EXPECT_EQ(database->modeSearchText(0), "standard 16ch std 16ch 20ch");
  EXPECT_EQ(database->modeSearchText(1), "standard 16ch std 20ch");
  EXPECT_EQ(database->modeSearchText(2), "wash 1");  // empty mode text, no footprints
}

TEST(FixtureCatalogDecoding, MarksModesWhoseCommandIdentityIsShared) {
  const auto ambiguity = [](TextField first, quint16 firstFootprint, TextField second,
                            quint16 secondFootprint) {
    Description catalog = smallFixtureCatalog();
    catalog.modes[0].name = first;
    catalog.modes[0].totalFootprint = firstFootprint;
    catalog.modes[1].name = second;
    catalog.modes[1].totalFootprint = secondFootprint;
    const auto database = FixtureCatalogDatabase::parse(writeFixturePayload(catalog));
    return std::pair{!database->mode(0).isCommandIdentityUnique,
                     !database->mode(1).isCommandIdentityUnique};
  };
  EXPECT_EQ(ambiguity("Mode_1", 20, "mode  1", 20), std::pair(true, true));
  EXPECT_EQ(ambiguity("Mode_1", 20, "mode 1", 24), std::pair(false, false));
  EXPECT_EQ(ambiguity("Mode_1", 0, "mode 1", 24), std::pair(false, false));
  EXPECT_EQ(ambiguity("Mode_1", 0, "mode 1", 0), std::pair(true, true));
  // Accents stay in the identity although the search fold drops them.
  EXPECT_EQ(ambiguity("Modé", 20, "Mode", 20), std::pair(false, false));
  EXPECT_EQ(FixtureCatalogDatabase::commandIdentityKey(u"Acme_Lights", u"Spot  300", std::nullopt),
            QStringLiteral("acme lights\x1fspot 300\x1f-1"));
}

}  // namespace
}  // namespace tarnik
