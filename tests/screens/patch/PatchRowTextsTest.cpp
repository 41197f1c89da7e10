// A row's texts and spoken sentence, the patch text helpers, and the symbols the page draws.

#include "screens/kit/SymbolIcons.h"
#include "screens/patch/PatchListModel.h"
#include "screens/patch/PatchRowTexts.h"
#include "screens/patch/PatchTexts.h"
#include "support/QtPrinting.h"

#include <QColor>
#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

EosPatchPart part(qint64 number) { return {.channelNumber = 12, .partNumber = number}; }

TEST(PatchRowTexts, OneSentenceSpeaksTheWholeRow) {
  const struct {
    Channel channel;
    bool parked;
    QString label;
    QString parts;
    QString sentence;
  } cases[] = {
      {{.number = 12,
        .label = u"Wash"_s,
        .address = u"1/101"_s,
        .addressEnd = u"1/102"_s,
        .type = u"Generic Dimmer"_s,
        .parts = {part(1), part(2)}},
       true,
       u"Wash"_s,
       u"2 parts"_s,
       u"Channel 12, Wash, Dimmer, address 1/101-1/102, 2 parts, parked"_s},
      {{.number = 5, .parts = {part(1)}},
       false,
       u"No label"_s,
       u""_s,
       u"Channel 5, No label, Fixture, unpatched"_s},
      {{.number = 6,
        .label = u" "_s,
        .address = u" 2/7 "_s,
        .addressEnd = u"2/7"_s,
        .type = u"Spot"_s},
       false,
       u" "_s,
       u""_s,
       u"Channel 6,  , Spot, address 2/7"_s},
      {{.number = -3, .label = u"<b>Wash</b>"_s, .parts = {part(1), part(2), part(3)}},
       false,
       u"<b>Wash</b>"_s,
       u"3 parts"_s,
       u"Channel -3, <b>Wash</b>, Fixture, unpatched, 3 parts"_s},
  };
  for (const auto &row : cases) {
    EXPECT_EQ(patchRowLabel(row.channel), row.label);
    EXPECT_EQ(patchRowPartsText(row.channel), row.parts);
    EXPECT_EQ(patchRowAccessibleText(row.channel, row.parked), row.sentence);
  }
}

// The range a row draws is worked out once per channel, and again for new channels.
TEST(PatchRowTexts, ARowsRangeFollowsNewChannels) {
  PatchListModel model;
  model.setRows({Channel{.number = 1, .address = u"1/1"_s}}, {0}, {false});
  EXPECT_EQ(model.addressRange(0), u"1/1"_s);
  model.setRows({Channel{.number = 1, .address = u"1/1"_s, .addressEnd = u" 1/4"_s}}, {0}, {false});
  EXPECT_EQ(model.addressRange(0), u"1/1-1/4"_s);
}

TEST(PatchTexts, AddressesHaveThreeDigitsAndCatalogNamesBlanks) {
  EXPECT_EQ(dmxAddressText(5) + dmxAddressText(512) + dmxAddressText(1024), u"0055121024"_s);
  EXPECT_EQ(catalogDisplayName(u"Generic__RGB_Par"_s), u"Generic  RGB Par"_s);
}

TEST(PatchSymbols, EverySymbolThePageDrawsIsBundled) {
  const QString names[] = {u"ellipsis"_s,
                           u"plus"_s,
                           u"arrow.clockwise"_s,
                           u"parkingsign.circle"_s,
                           u"parkingsign.circle.fill"_s,
                           u"line.3.horizontal.decrease.circle"_s,
                           u"arrow.up.arrow.down"_s,
                           u"arrow.triangle.2.circlepath"_s,
                           u"lightbulb"_s,
                           u"magnifyingglass"_s,
                           u"wifi.slash"_s,
                           u"exclamationmark.triangle"_s};
  for (const QString &name : names) {
    EXPECT_TRUE(QFile::exists(u":/icons/"_s + name + u".svg"_s)) << name.toStdString();
    EXPECT_FALSE(symbolPixmap(name, Qt::black, 16).isNull()) << name.toStdString();
  }
}

}  // namespace
}  // namespace tarnik
