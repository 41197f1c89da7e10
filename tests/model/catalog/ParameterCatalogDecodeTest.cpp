#include "CatalogTestCatalogs.h"
#include "model/catalog/FixtureParameterCatalogDatabase.h"

#include <functional>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

using catalogtest::numberedId;
using catalogtest::parameterContainer;
using catalogtest::smallParameterCatalog;
using Description = ParameterCatalogDescription;

// The small catalog with four more profiles (1 to 4, "Acme"/"Part_<n>", no channels), so
// that records of later profiles can be broken too.
Description fiveProfiles() {
  Description catalog = smallParameterCatalog();
  for (int n = 1; n <= 4; ++n) {
    Description::Profile profile;
    profile.id = numberedId(10 + n);
    profile.manufacturer = "Acme";
    profile.name = QStringLiteral("Part_%1").arg(n);
    catalog.profiles.append(profile);
  }
  return catalog;
}

QByteArray payloadWith(const std::function<void(Description &)> &change) {
  Description catalog = fiveProfiles();
  change(catalog);
  return writeParameterPayload(catalog);
}

QString loadError(const QByteArray &resource) {
  const auto database = FixtureParameterCatalogDatabase::load(resource);
  return database ? QStringLiteral("(loaded)") : database.error().description();
}

QString parseError(const QByteArray &payload) {
  const auto database = FixtureParameterCatalogDatabase::parse(payload);
  return database ? QStringLiteral("(parsed)") : database.error().description();
}

TEST(ParameterCatalogDecoding, RejectsEachBrokenContainerWithItsText) {
  const QByteArray payload = writeParameterPayload(fiveProfiles());
  const auto containerWith = [&payload](const std::function<void(ContainerDescription &)> &change) {
    ContainerDescription container{parameterContainerMagic, 1, payload, {}, {}, {}};
    change(container);
    return writeContainer(container);
  };
  const struct {
    const char *name;
    QByteArray resource;
    QString text;
  } rows[] = {
      {"a bare payload", payload, "The fixture parameter catalog has an invalid file signature."},
      {"the fixture catalog's container",
       containerWith([](auto &c) { c.magic = fixtureContainerMagic; }),
       "The fixture parameter catalog has an invalid file signature."},
      {"schema 2", containerWith([](auto &c) { c.schema = 2; }),
       "Fixture parameter catalog schema 2 is unsupported."},
      {"declared size 0", containerWith([](auto &c) { c.declaredSize = 0; }),
       "The fixture parameter catalog is unexpectedly large (0 bytes)."},
      {"declared size past the limit", containerWith([](auto &c) { c.declaredSize = 67'108'865; }),
       "The fixture parameter catalog is unexpectedly large (67108865 bytes)."},
      {"declared size at the limit", containerWith([](auto &c) { c.declaredSize = 67'108'864; }),
       "The fixture parameter catalog could not be decompressed."},
      {"cut in the digest", parameterContainer(payload).left(30),
       "The fixture parameter catalog is truncated while reading decoded SHA-256."},
      {"cut in the size", parameterContainer(payload).left(14),
       "The fixture parameter catalog is truncated while reading decoded size."},
      {"no compressed bytes", parameterContainer(payload).left(52),
       "The fixture parameter catalog could not be decompressed."},
      {"digest changed", containerWith([](auto &c) { c.digest = QByteArray(32, '\x01'); }),
       "The fixture parameter catalog failed its integrity check."},
      {"compressed stream ends early",
       containerWith([&payload](auto &c) { c.compressed = rawDeflate(payload).left(20); }),
       "The fixture parameter catalog could not be decompressed."},
  };
  for (const auto &row : rows) EXPECT_EQ(loadError(row.resource), row.text) << row.name;

  // The file limit is checked on the length alone, before anything else.
  QByteArray oversized(8'388'609, '\0');
  EXPECT_EQ(loadError(oversized),
            "The fixture parameter catalog is unexpectedly large (8388609 bytes).");
  oversized.chop(1);
  EXPECT_EQ(loadError(oversized), "The fixture parameter catalog has an invalid file signature.");
}

TEST(ParameterCatalogDecoding, RejectsEachBrokenPayloadWithItsText) {
  const QByteArray honest = writeParameterPayload(fiveProfiles());
  const qsizetype profileNameLength = honest.indexOf("Spot_300") - 2;
  const struct {
    const char *name;
    QByteArray payload;
    QString text;
  } rows[] = {
      {"magic", payloadWith([](Description &d) { d.magic = "TFPSL002"; }),
       "The fixture parameter catalog has an invalid file signature."},
      {"schema", payloadWith([](Description &d) { d.schema = 0; }),
       "Fixture parameter catalog schema 0 is unsupported."},
      {"three-part version", payloadWith([](Description &d) { d.libraryVersion = "1.2.3"; }),
       "The fixture parameter catalog has invalid library provenance."},
      {"empty date", payloadWith([](Description &d) { d.libraryDate = ""; }),
       "The fixture parameter catalog has invalid library provenance."},
      {"fixture source without a file name",
       payloadWith([](Description &d) { d.fixtureSource.file = ""; }),
       "The fixture parameter catalog has invalid fixture source."},
      {"profile source of 0 bytes", payloadWith([](Description &d) { d.profileSource.bytes = 0; }),
       "The fixture parameter catalog has invalid profile source."},
      {"63-digit parameter source digest",
       payloadWith([](Description &d) { d.parameterSource.sha256 = QByteArray(63, 'c'); }),
       "The fixture parameter catalog has invalid parameter source."},
      {"65-digit parameter source digest",
       payloadWith([](Description &d) { d.parameterSource.sha256 = QByteArray(65, 'c'); }),
       "The fixture parameter catalog has invalid parameter source."},
      {"no parameters", payloadWith([](Description &d) { d.parameterCount = 0; }),
       "The fixture parameter catalog has invalid record counts."},
      {"too many parameters", payloadWith([](Description &d) { d.parameterCount = 100'001; }),
       "The fixture parameter catalog has invalid record counts."},
      {"too many aliases", payloadWith([](Description &d) { d.aliasCount = 500'001; }),
       "The fixture parameter catalog has invalid record counts."},
      {"nameless parameter", payloadWith([](Description &d) { d.parameters[0].name = ""; }),
       "The fixture parameter catalog has invalid parameter 0 name."},
      {"repeated parameter id", payloadWith([](Description &d) {
         d.parameters[0].id = 0xFFFF'FFFF;
         d.parameters[1].id = 0xFFFF'FFFF;
       }),
       "The fixture parameter catalog contains duplicate parameter ID -1."},
      {"profile without manufacturer",
       payloadWith([](Description &d) { d.profiles[0].manufacturer = ""; }),
       "The fixture parameter catalog has invalid profile 0 identity."},
      {"too many channels",
       payloadWith([](Description &d) { d.profiles[0].channelCount = 65'536; }),
       "The fixture parameter catalog has invalid profile 0 channel count."},
      {"channel with 9 offsets", payloadWith([](Description &d) {
         d.profiles[3].channels = {{{1, 2, 3, 4, 5, 6, 7, 8, 9}, {}}};
       }),
       "The fixture parameter catalog has invalid profile 3 channel offsets."},
      {"channel without offsets", payloadWith([](Description &d) {
         d.profiles[3].channels = {{{}, {1}}};
       }),
       "The fixture parameter catalog has invalid profile 3 channel offsets."},
      {"channel with 65 parameters", payloadWith([](Description &d) {
         d.profiles[1].channels = {{{1}, QList<quint32>(65, 1)}};
       }),
       "The fixture parameter catalog has invalid profile 1 channel parameters."},
      {"undeclared parameter",
       payloadWith([](Description &d) { d.profiles[0].channels[1].parameters = {77}; }),
       "The fixture parameter catalog has an invalid parameter ID 77 reference."},
      {"too many parts", payloadWith([](Description &d) { d.profiles[0].partCount = 65'536; }),
       "The fixture parameter catalog has invalid profile 0 part count."},
      {"part child past the profiles", payloadWith([](Description &d) {
         d.profiles[2].parts = {{5, 1}};
       }),
       "The fixture parameter catalog has an invalid profile 2 part child reference."},
      {"part at slot 0", payloadWith([](Description &d) {
         d.profiles[2].parts = {{1, 0}};
       }),
       "The fixture parameter catalog has invalid profile 2 part offset."},
      {"repeated profile id", payloadWith([](Description &d) {
         d.profiles[4].id =
             QUuid::fromString(QStringLiteral("0f0e0d0c-0b0a-4908-8706-050403020100"));
         d.profiles[2].id = d.profiles[4].id;
       }),
       "The fixture parameter catalog contains duplicate profile UUID "
       "0F0E0D0C-0B0A-4908-8706-050403020100."},
      {"repeated profile id found only after the whole record", payloadWith([](Description &d) {
         d.profiles[2].id = d.profiles[1].id;
         d.profiles[2].parts = {{5, 1}};
       }),
       "The fixture parameter catalog has an invalid profile 2 part child reference."},
      {"alias of a missing profile", payloadWith([](Description &d) { d.aliases[0].profile = 5; }),
       "The fixture parameter catalog has an invalid alias 0 profile reference."},
      {"alias differing in case, underscores and blanks", payloadWith([](Description &d) {
         d.aliases.append({"ACME", "spot_300 ", 1});
       }),
       "The fixture parameter catalog contains duplicate alias 1."},
      {"alias whose manufacturer has no words",
       payloadWith([](Description &d) { d.aliases[0].manufacturer = "_ _"; }),
       "The fixture parameter catalog contains duplicate alias 0."},
      {"alias type not UTF-8", payloadWith([](Description &d) {
         d.aliases[0].fixtureType = TextField::raw("\xed\xa0\x80");
       }),
       "The fixture parameter catalog contains invalid UTF-8 in alias 0 fixture type."},
      {"profile name past the end",
       payloadWith([](Description &d) { d.profiles[0].name = TextField::raw("Spot_300", 60000); }),
       "The fixture parameter catalog is truncated while reading profile 0 name."},
      {"profile name length cut", honest.left(profileNameLength + 1),
       "The fixture parameter catalog is truncated while reading profile 0 name length."},
      {"a byte after the last alias", payloadWith([](Description &d) { d.trailing = "x"; }),
       "The fixture parameter catalog has 1 unexpected trailing bytes."},
  };
  for (const auto &row : rows) EXPECT_EQ(parseError(row.payload), row.text) << row.name;
}

TEST(ParameterCatalogDecoding, AcceptsTheLimitsAndKeepsWhatTheHeaderSays) {
  Description catalog = fiveProfiles();
  catalog.fixtureSource.sha256 = QByteArray(64, 'F');
  catalog.ambiguousAliasCount = 7;
  catalog.profiles[1].channels = {{{1}, {}}};  // a channel naming no parameter
  catalog.profiles[2].parts = {{2, 1}};        // a part naming its own profile
  for (quint32 id = 3; id <= 100'000; ++id) catalog.parameters.append({id, "P", 2, "Focus"});
  const auto database =
      FixtureParameterCatalogDatabase::load(parameterContainer(writeParameterPayload(catalog)));
  ASSERT_TRUE(database) << database.error().description().toStdString();
  const FixtureParameterCatalogMetadata &metadata = database->metadata();
  EXPECT_EQ(metadata.fixtureSource.sha256, QString(64, u'f'));
  EXPECT_EQ(metadata.parameterCount, 100'000);
  EXPECT_EQ(metadata.profileCount, 5);
  EXPECT_EQ(metadata.aliasCount, 1);
  EXPECT_EQ(metadata.ambiguousAliasCount, 7);
}

}  // namespace
}  // namespace tarnik
