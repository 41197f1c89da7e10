#include "model/Channel.h"
#include "model/Cue.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

TEST(ChannelDisplay, TypeNameManufacturerAndModel) {
  const struct {
    QString type;
    QString expected;
  } rows[] = {
      {u"  generic dimmer \n"_s, u"Dimmer"_s},
      {u"Generic Dimmer 2"_s, u"Generic Dimmer 2"_s},
      {u""_s, u"Fixture"_s},
      {u" \t"_s, u"Fixture"_s},
      {u" Acme Spot "_s, u"Acme Spot"_s},
  };
  for (const auto &row : rows) EXPECT_EQ(Channel{.type = row.type}.displayTypeName(), row.expected);

  const Channel channel{.parts = {EosPatchPart{.manufacturer = u"  "_s, .model = u"Spot"_s},
                                  EosPatchPart{.manufacturer = u" Acme \n"_s, .model = u"Wash"_s}}};
  EXPECT_EQ(channel.manufacturer(), u"Acme"_s);
  EXPECT_EQ(channel.model(), u"Spot"_s);
  EXPECT_EQ(Channel{}.manufacturer(), std::nullopt);
  EXPECT_EQ(Channel{}.model(), std::nullopt);
}

TEST(ChannelDisplay, AddressTexts) {
  using Parsed = Channel::ParsedAddress;
  const struct {
    QString address;
    std::optional<Parsed> parsed;
    QString text;
  } rows[] = {
      {u"2/7"_s, Parsed{2, 7}, u"U2 \u2022 007"_s},
      {u"2/1234"_s, Parsed{2, 1234}, u"U2 \u2022 1234"_s},
      {u"/2//7/"_s, Parsed{2, 7}, u"U2 \u2022 007"_s},
      {u"0/-5"_s, Parsed{0, -5}, u"U0 \u2022 -05"_s},
      {u"7"_s, std::nullopt, u"7"_s},
      {u"1/2/3"_s, std::nullopt, u"1/2/3"_s},
      {u"2/ 7"_s, std::nullopt, u"2/ 7"_s},
      {u""_s, std::nullopt, u""_s},
  };
  for (const auto &row : rows) {
    const Channel channel{.address = row.address};
    EXPECT_EQ(channel.parsedAddress(), row.parsed) << row.address.toStdString();
    EXPECT_EQ(channel.addressText(), row.text) << row.address.toStdString();
  }

  const struct {
    QString address;
    QString end;
    QString expected;
  } ranges[] = {
      {u"2/101"_s, u"2/112"_s, u"2/101-2/112"_s},
      {u" 2/101 "_s, u""_s, u"2/101"_s},
      {u"2/101"_s, u" 2/101"_s, u"2/101"_s},
      {u" "_s, u"2/112"_s, u"-"_s},
  };
  for (const auto &row : ranges) {
    EXPECT_EQ((Channel{.address = row.address, .addressEnd = row.end}.addressRangeText()),
              row.expected);
  }
}

TEST(ChannelDisplay, SearchFoldsCaseAndDiacritics) {
  const QLocale userLocale;
  QLocale::setDefault(QLocale::c());
  const Channel channel{.number = 42,
                        .label = u"Café Wash"_s,
                        .address = u"2/101"_s,
                        .type = u"Generic Dimmer"_s,
                        .parts = {EosPatchPart{.channelNumber = 42,
                                               .partNumber = 31,
                                               .manufacturer = u"Acme"_s,
                                               .address = u"2/101"_s,
                                               .addressEnd = u"2/124"_s}}};
  const struct {
    QString query;
    bool matches;
  } rows[] =
      {
          {u"   "_s, true},           {u"42"_s, true},
          {u"cafe"_s, true},          {u"CAFÉ"_s, true},
          {u"part 3"_s, true},  // "part 31"
          {u"part 4"_s, false},       {u"u2"_s, true},
          {u"u2 \u00B7 101"_s, true},  // the occupied range's display text
          {u"\u2022 101"_s, true},     // the channel's address text
          {u"acme"_s, true},          {u"dimmer"_s, true},
          {u"spot"_s, false},         {u"2/125"_s, false},
      };
  for (const auto &row : rows)
    EXPECT_EQ(channel.matches(row.query), row.matches) << row.query.toStdString();
  EXPECT_TRUE(Channel{}.matches(u""_s));
  EXPECT_FALSE(Channel{.number = 1}.matches(u"x"_s));
  QLocale::setDefault(userLocale);
}

TEST(CueDisplay, AttributesCountOnlyTheFlagTexts) {
  EXPECT_FALSE(Cue{}.hasAttributes());
  EXPECT_TRUE(Cue{.block = u" "_s}.hasAttributes());
  EXPECT_TRUE(Cue{.release = u"R"_s}.hasAttributes());
  EXPECT_FALSE(
      (Cue{.follow = u"1"_s, .link = u"5"_s, .fx = u"x"_s, .sceneLabel = u"Act"_s, .sceneEnd = true}
           .hasAttributes()));
}

TEST(CueDisplay, FormatsTimeTexts) {
  const struct {
    QString text;
    QString shown;
  } rows[] = {
      {u""_s, u"-"_s},        {u" \n"_s, u"-"_s},
      {u"5"_s, u"5s"_s},      {u" 5s "_s, u"5s"_s},
      {u"5S"_s, u"5s"_s},     {u"2.5"_s, u"2.5s"_s},
      {u"2.0"_s, u"2s"_s},    {u"0.333"_s, u"0.3s"_s},
      {u"-1"_s, u"-1s"_s},    {u"-0.0"_s, u"0s"_s},
      {u"1:30"_s, u"1:30"_s}, {u"s"_s, u"s"_s},
      {u"1,5"_s, u"1,5"_s},   {u"inf"_s, u"inf"_s},  // infinite or beyond 64 bits: shown as typed
      {u"1e19"_s, u"1e19"_s}, {u"-9223372036854775808"_s, u"-9223372036854775808s"_s},
      {u"1e3"_s, u"1000s"_s},
  };
  for (const auto &row : rows)
    EXPECT_EQ(Cue::formattedTime(row.text), row.shown) << row.text.toStdString();
  EXPECT_EQ(Cue::seconds(u" 3.5 s"_s), std::nullopt);  // the blank before the s stays
  EXPECT_EQ(Cue::seconds(u"s3.5s"_s), 3.5);
  EXPECT_EQ(Cue::seconds(u"SS"_s), std::nullopt);
}

}  // namespace
}  // namespace tarnik
