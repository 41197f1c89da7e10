#include "model/EosPatchPart.h"
#include "model/PatchFixtureChoice.h"
#include "model/PatchOperation.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

TEST(EosDMXRange, ParsesConsoleAddressTexts) {
  const struct {
    QString text;
    std::optional<EosDMXRange> expected;
  } rows[] = {
      {u"1/5"_s, EosDMXRange{1, 5, 5}},
      {u"U1/5"_s, EosDMXRange{1, 5, 5}},
      {u"u1/5"_s, EosDMXRange{1, 5, 5}},
      {u"1/5-5"_s, EosDMXRange{1, 5, 5}},
      {u"2/10\u201312"_s, EosDMXRange{2, 10, 12}},
      {u"2/10-12"_s, EosDMXRange{2, 10, 12}},
      {u"+2/+7"_s, EosDMXRange{2, 7, 7}},
      {u" \t3 / 7\n "_s, EosDMXRange{3, 7, 7}},
      {u"1/1-512"_s, EosDMXRange{1, 1, 512}},
      {u"99999999/512"_s, EosDMXRange{99999999, 512, 512}},  // no upper bound on the universe
      {u"3/7 - 9"_s, std::nullopt},
      {u"u 3/7"_s, std::nullopt},
      {u"uu3/7"_s, std::nullopt},
      {u"5"_s, std::nullopt},
      {u"1/2/3"_s, std::nullopt},
      {u"/5"_s, std::nullopt},
      {u""_s, std::nullopt},
      {u" "_s, std::nullopt},
      {u"0/5"_s, std::nullopt},
      {u"-2/7"_s, std::nullopt},
      {u"1/0"_s, std::nullopt},
      {u"1/513"_s, std::nullopt},
      {u"1/12-10"_s, std::nullopt},
      {u"1/5-"_s, std::nullopt},
      {u"1/-5"_s, std::nullopt},
      {u"1/5-600"_s, std::nullopt},
      {u"1/5--6"_s, std::nullopt},
      {u"1/5.0"_s, std::nullopt},
      {u"99999999999999999999/1"_s, std::nullopt},
  };
  for (const auto &row : rows)
    EXPECT_EQ(EosDMXRange::parse(row.text), row.expected) << row.text.toStdString();
}

TEST(EosDMXRange, DisplaysUniverseAndPaddedAddresses) {
  EXPECT_EQ((EosDMXRange{2, 1, 10}.displayText()), u"U2 \u00B7 001\u2013010"_s);
  EXPECT_EQ((EosDMXRange{1, 5, 5}.displayText()), u"U1 \u00B7 005"_s);
  EXPECT_EQ((EosDMXRange{1, 1, 512}.displayText()), u"U1 \u00B7 001\u2013512"_s);
  EXPECT_EQ((EosDMXRange{63999, 100, 100}.displayText()), u"U63999 \u00B7 100"_s);
  const EosDMXRange range{4, 2, 9};
  EXPECT_EQ(EosDMXRange::fromJson(range.toJson()), range);
  EXPECT_EQ(range.toJson().size(), 3);
}

TEST(EosPatchPart, OccupiedRangeNeedsTwoSingleAddressesInOneUniverse) {
  const struct {
    QString address;
    QString addressEnd;
    std::optional<EosDMXRange> expected;
  } rows[] = {
      {u" 2/101 "_s, u"2/112"_s, EosDMXRange{2, 101, 112}},
      {u"2/101"_s, u"2/101"_s, EosDMXRange{2, 101, 101}},
      {u"U2/101"_s, u"\n2/112"_s, EosDMXRange{2, 101, 112}},
      {u"2/101"_s, u""_s, std::nullopt},
      {u" "_s, u"2/101"_s, std::nullopt},
      {u"2/101"_s, u"3/112"_s, std::nullopt},
      {u"2/101"_s, u"2/100"_s, std::nullopt},
      {u"2/101-112"_s, u"2/112"_s, std::nullopt},
      {u"2/101"_s, u"2/105-112"_s, std::nullopt},
      {u"101"_s, u"112"_s, std::nullopt},
  };
  for (const auto &row : rows) {
    const EosPatchPart part{.address = row.address, .addressEnd = row.addressEnd};
    EXPECT_EQ(part.occupiedRange(), row.expected)
        << row.address.toStdString() << " " << row.addressEnd.toStdString();
  }
}

TEST(PatchFixtureChoice, SourceBackingAndStoredForm) {
  PatchFixtureChoice choice{.source = u"Installed ETC Eos fixture library"_s,
                            .version = u"3.2.1"_s,
                            .id = u"mode-42"_s,
                            .manufacturer = u"Acme"_s,
                            .model = u"Wash"_s,
                            .mode = u"16 bit"_s,
                            .cellCount = 1};
  EXPECT_TRUE(choice.isSourceBacked());
  EXPECT_EQ(choice.toJson().size(), 7);
  EXPECT_EQ(PatchFixtureChoice::fromJson(choice.toJson()), choice);
  choice.footprint = 24;
  choice.nativeTypeName = u"Acme Wash 16 bit"_s;
  EXPECT_EQ(choice.toJson().size(), 9);
  EXPECT_EQ(PatchFixtureChoice::fromJson(choice.toJson()), choice);

  for (QString PatchFixtureChoice::*field :
       {&PatchFixtureChoice::source, &PatchFixtureChoice::version, &PatchFixtureChoice::id}) {
    PatchFixtureChoice blank = choice;
    blank.*field = u" \n"_s;
    EXPECT_FALSE(blank.isSourceBacked());
  }
  QJsonObject lacking = choice.toJson();
  lacking.remove(u"cellCount"_s);
  EXPECT_FALSE(PatchFixtureChoice::fromJson(lacking).has_value());
}

TEST(PatchOperation, StoredAsItsRawText) {
  QStringList raws;
  for (const PatchOperation operation : allCases(PatchOperation{})) {
    raws.append(rawValue(operation));
    EXPECT_EQ(
        JsonValueCoding<PatchOperation>::decode(JsonValueCoding<PatchOperation>::encode(operation)),
        operation);
  }
  EXPECT_EQ(raws, (QStringList{u"fixture"_s, u"dimmerAddressRange"_s, u"channelRange"_s}));
  EXPECT_FALSE(JsonValueCoding<PatchOperation>::decode(QJsonValue(u"dimmer"_s)).has_value());
}

}  // namespace
}  // namespace tarnik
