// The texts of the parameter rows, the address rows and the park card.

#include "screens/patch/FixtureParkModuleTexts.h"
#include "screens/patch/ParameterValueText.h"
#include "screens/patch/PatchPartAddressRowTexts.h"
#include "support/QtPrinting.h"

#include <gtest/gtest.h>
#include <limits>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

using Value = FixtureParameterPartDMX::Value;

TEST(ParameterValueText, WholeValuesArePlainAndFractionsFollowTheLocale) {
  const QLocale english(u"en_US"_s);
  const QLocale german(u"de_DE"_s);
  const struct {
    double value;
    const QLocale &locale;
    QString text;
  } rows[] = {
      {1234, english, u"1234"_s},
      {1234.5, english, u"1,234.5"_s},
      {12.3456, english, u"12.346"_s},
      {0.5, english, u"0.5"_s},
      {-2.25, english, u"-2.25"_s},
      {1234.5, german, u"1.234,5"_s},
      {-0.0, english, u"0"_s},
      {255, german, u"255"_s},
      {-9007199254740992.0, english, u"-9007199254740992"_s},
      {std::numeric_limits<double>::quiet_NaN(), english, u"NaN"_s},
      {std::numeric_limits<double>::infinity(), english, u"∞"_s},
      {-std::numeric_limits<double>::infinity(), english, u"−∞"_s},
      {1e19, english, u"10000000000000000000"_s},
      {-1e19, german, u"-10000000000000000000"_s},
  };
  for (const auto &row : rows)
    EXPECT_EQ(formatParameterNumber(row.value, row.locale), row.text) << row.value;
  const QString huge = formatParameterNumber(1e300, english);
  EXPECT_EQ(huge.size(), 301);
  EXPECT_TRUE(huge.startsWith(u"1000000000000000052504760255204420248704468581108159154915854"_s));
}

TEST(ParameterValueText, RangesSayWhenAParameterIsReadOnly) {
  const QLocale english(u"en_US"_s);
  const auto range = [&](double value, double minimum, double maximum) {
    return parameterRangeText({u"Pan"_s, value, minimum, maximum}, english);
  };
  EXPECT_EQ(range(127, 0, 255), u"Range 0–255"_s);
  EXPECT_EQ(range(1.5, 0, 1), u"Range 0–1 · read only"_s);
  EXPECT_EQ(range(5, 5, 5), u"Range 5–5 · read only"_s);
  EXPECT_EQ(range(0, 0, std::numeric_limits<double>::infinity()), u"Range 0–∞ · read only"_s);
}

TEST(ParameterValueText, SlotsReadAsUniversesAndAddresses) {
  EXPECT_EQ(dmxSlotText({512, 513}), u"DMX U1 · 512 · DMX U2 · 001"_s);
  EXPECT_EQ(dmxSlotText({3, 1, 2}), u"DMX U1 · 001,002,003"_s);
  EXPECT_EQ(dmxSlotText({517}), u"DMX U2 · 005"_s);
  EXPECT_EQ(dmxSlotText({}), QString());
}

TEST(ParameterValueText, PartLinesCarryThePartNumberOnlyForTwoOrMoreParts) {
  const QList<FixtureParameterPartDMX> two{{1, Value::virtualSlot()}, {2, Value::unknown()}};
  EXPECT_EQ(parameterDMXLines(two, false),
            (QStringList{u"Part 1 · Virtual"_s, u"Part 2 · DMX Unknown"_s}));
  EXPECT_EQ(parameterDMXLines(QList<FixtureParameterPartDMX>{{1, Value::slotList({1})}}, true),
            QStringList{u"DMX U1 · 001"_s});
  EXPECT_EQ(parameterDMXLines(std::nullopt, true), QStringList{u"DMX Checking…"_s});
  EXPECT_TRUE(parameterDMXLines(std::nullopt, false).isEmpty());
}

TEST(ParameterValueText, TheRowIsOneSentence) {
  const QLocale english(u"en_US"_s);
  const FixtureControlParameter pan{u"Pan"_s, 127, 0, 255};
  const QList<FixtureParameterPartDMX> two{{1, Value::slotList({2, 3})}, {2, Value::unknown()}};
  EXPECT_EQ(parameterAccessibleSentence(pan, two, false, english),
            u"Pan, value 127, Range 0–255, Part 1 · DMX U1 · 002,003, Part 2 · DMX Unknown"_s);
  EXPECT_EQ(parameterAccessibleSentence(pan, std::nullopt, true, english),
            u"Pan, value 127, Range 0–255, DMX assignment checking"_s);
  // With nothing to say about DMX the sentence still ends in its separator.
  EXPECT_EQ(parameterAccessibleSentence(pan, std::nullopt, false, english),
            u"Pan, value 127, Range 0–255, "_s);
}

EosPatchPart addressPart(qint64 number, const QString &address, const QString &addressEnd,
                         std::optional<QString> intensityAddress = std::nullopt) {
  EosPatchPart part;
  part.channelNumber = 5;
  part.partNumber = number;
  part.address = address;
  part.addressEnd = addressEnd;
  part.intensityAddress = std::move(intensityAddress);
  return part;
}

TEST(PatchPartAddressRowTexts, PartsShowByNumberOrAsTheChannelItself) {
  Channel channel;
  channel.number = 5;
  channel.label = u"Key"_s;
  channel.address = u"1/101"_s;
  channel.addressEnd = u"1/101"_s;
  const QList<EosPatchPart> own = displayedAddressParts(channel);
  ASSERT_EQ(own.size(), 1);
  EXPECT_EQ(own[0].partNumber, 1);
  EXPECT_EQ(own[0].label, u"Key"_s);
  EXPECT_EQ(partAddressRowLines(own[0], false),
            (QStringList{u"Universe 1 · DMX 101"_s, u"1 occupied address"_s}));

  channel.parts = {addressPart(3, u"a"_s, {}), addressPart(1, u"b"_s, {}),
                   addressPart(2, u"c"_s, {}), addressPart(1, u"d"_s, {})};
  QStringList order;
  for (const EosPatchPart &part : displayedAddressParts(channel)) order.append(part.address);
  EXPECT_EQ(order, (QStringList{u"b"_s, u"d"_s, u"c"_s, u"a"_s}));
}

TEST(PatchPartAddressRowTexts, EachRowSpellsOutItsSpan) {
  EXPECT_EQ(
      partAddressRowLines(addressPart(2, u"1/1"_s, u"1/16"_s, u" 1/45-46 "_s), true),
      (QStringList{u"Part 2"_s, u"Universe 1 · DMX 001–016"_s, u"16 occupied addresses"_s,
                   u"Intensity DMX slot U1 · 045"_s,
                   u"DMX 001 through 016 means 16 occupied output addresses in Universe 1."_s}));
  EXPECT_EQ(partAddressRowLines(addressPart(1, u" 2 / 7x"_s, u"2/9"_s, u" 45 "_s), false),
            (QStringList{u" 2 / 7x"_s, u"Footprint unavailable"_s, u"Intensity DMX slot 45"_s}));
  EXPECT_EQ(partAddressRowLines(addressPart(1, {}, {}, u"  "_s), false),
            (QStringList{u"Unpatched"_s, u"Footprint unavailable"_s}));
}

TEST(PatchPartAddressRowTexts, AnEmptyProtocolIsUnknown) {
  Channel channel;
  EXPECT_EQ(channelProtocolText(channel), u"sACN"_s);
  channel.interfaceInfo.clear();
  EXPECT_EQ(channelProtocolText(channel), u"Unknown"_s);
}

TEST(FixtureParkModuleTexts, EachParkStateHasItsTitleDetailAndControl) {
  using Control = FixtureParkPresentation::Control;
  using Action = FixtureParkAction;
  const QString unavailable = u"Eos has not provided authoritative park state for this channel."_s;
  const QString preparing = u"Tarnik is preparing an isolated Eos park check."_s;
  const QString unconfirmed =
      u"The isolated check started, but Eos has not confirmed the resulting state."_s;
  const QString readback = u"Authoritative Eos park readback"_s;
  const struct {
    std::optional<FixtureParkState> state;
    FixtureParkPresentation shown;
  } rows[] = {
      {std::nullopt, {u"Unavailable"_s, unavailable, Control::check}},
      {FixtureParkState::pending(Action::park),
       {u"Preparing park request…"_s, preparing, Control::none}},
      {FixtureParkState::pending(Action::unpark),
       {u"Preparing unpark request…"_s, preparing, Control::none}},
      {FixtureParkState::sentUnverified(Action::park),
       {u"Park requested — awaiting Eos"_s, unconfirmed, Control::check}},
      {FixtureParkState::sentUnverified(Action::unpark),
       {u"Unpark requested — awaiting Eos"_s, unconfirmed, Control::check}},
      {FixtureParkState::unknown(), {u"Unavailable"_s, unavailable, Control::check}},
      {FixtureParkState::parked(), {u"Parked"_s, readback, Control::action, Action::unpark}},
      {FixtureParkState::unparked(), {u"Not parked"_s, readback, Control::action, Action::park}},
  };
  for (const auto &row : rows) {
    const FixtureParkPresentation shown = fixtureParkPresentation(row.state);
    EXPECT_EQ(shown.title, row.shown.title);
    EXPECT_EQ(shown.detail, row.shown.detail) << shown.title.toStdString();
    EXPECT_EQ(shown.control, row.shown.control) << shown.title.toStdString();
    if (shown.control == Control::action) {
      EXPECT_EQ(shown.action, row.shown.action);
    }
  }
  EXPECT_EQ(parkActionHint(Action::park, 12345), u"Sends a park command for Channel 12345."_s);
  EXPECT_EQ(parkActionHint(Action::unpark, 5),
            u"Sends Eos's confirmed unpark command for Channel 5."_s);
  EXPECT_EQ(parkConfirmationTitle(Action::park, 12), u"Park Channel 12?"_s);
  EXPECT_EQ(parkConfirmationTitle(std::nullopt, 12), u"Confirm park action"_s);
}

}  // namespace
}  // namespace tarnik
