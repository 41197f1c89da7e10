// The channel page's pure rules: the scrubber's geometry and steps, the summary's texts, and
// which intensity the page shows and how.

#include "screens/patch/ChannelSummaryTexts.h"
#include "screens/patch/IntensityReadings.h"
#include "screens/patch/LevelScrubberGeometry.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

namespace Geometry = LevelScrubberGeometry;
using ReadState = FixtureControlReadState;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

TEST(LevelScrubberGeometry, TouchesAndValuesMapOntoTheTrack) {
  const struct {
    double x, width, level;
  } touches[] = {{12, 200, 0},   {-40, 200, 0},     {188, 200, 100}, {500, 200, 100},
                 {100, 200, 50}, {13.5, 20, 100},   {12.5, 20, 50},  {12, 20, 0},
                 {30, 0, 100},   {12 + 44, 112, 50}};
  for (const auto &row : touches)
    EXPECT_DOUBLE_EQ(Geometry::levelAt(row.x, row.width), row.level)
        << row.x << " in " << row.width;
  EXPECT_DOUBLE_EQ(Geometry::trackLength(20), 1);
  EXPECT_DOUBLE_EQ(Geometry::trackLength(-5), 1);
  EXPECT_DOUBLE_EQ(Geometry::trackLength(224), 200);

  const struct {
    double value, fraction;
  } fills[] = {{150, 1}, {nan, 1}, {inf, 1}, {-20, 0}, {-inf, 0}, {50, 0.5}, {100, 1}};
  for (const auto &row : fills) EXPECT_DOUBLE_EQ(Geometry::fillFraction(row.value), row.fraction);
  EXPECT_DOUBLE_EQ(Geometry::knobCentre(150, 224), 212);
  EXPECT_DOUBLE_EQ(Geometry::knobCentre(-3, 224), 12);
}

TEST(LevelScrubberGeometry, StepsStopAtTheEndsAndValuesReadAsPercent) {
  const struct {
    double value, step;
    std::optional<double> level;
  } steps[] = {{97, 5, 100}, {100, 5, std::nullopt}, {0, -5, std::nullopt}, {3, -5, 0},
               {50, 5, 55},  {150, 5, 100},          {nan, 5, 100}};
  for (const auto &row : steps)
    EXPECT_EQ(Geometry::steppedLevel(row.value, row.step), row.level) << row.value << row.step;
  const struct {
    double value;
    const char *text;
  } values[] = {{42.5, "43 percent"}, {0.5, "1 percent"}, {99.4, "99 percent"}, {0, "0 percent"}};
  for (const auto &row : values)
    EXPECT_EQ(Geometry::accessibleValue(row.value), QString::fromUtf8(row.text));
}

Channel channelWith(QList<EosPatchPart> parts, QString address = {}) {
  Channel channel;
  channel.number = 5;
  channel.parts = std::move(parts);
  channel.address = std::move(address);
  return channel;
}

EosPatchPart part(qint64 number, QString start, QString end, QString manufacturer = {},
                  QString model = {}) {
  EosPatchPart part;
  part.channelNumber = 5;
  part.partNumber = number;
  part.address = std::move(start);
  part.addressEnd = std::move(end);
  part.manufacturer = std::move(manufacturer);
  part.model = std::move(model);
  return part;
}

TEST(ChannelSummaryTexts, DescriptionFootprintAndAddress) {
  const struct {
    const char *name;
    Channel channel;
    QString description, footprint, address, addressLabel;
  } cases[] = {
      {"two parts",
       channelWith({part(1, u"1/1"_s, u"1/12"_s, u"  Acme "_s), part(2, u"1/13"_s, u"1/24"_s)}),
       u"Acme"_s, u"24"_s, u"2 parts"_s, u"Addresses"_s},
      {"one part without a span",
       channelWith({part(1, u"1/1"_s, u"1/12"_s), part(2, u"?"_s, u"1/24"_s)}),
       {},
       u"-"_s,
       u"2 parts"_s,
       u"Addresses"_s},
      {"single address", channelWith({part(1, u"2/101"_s, u"2/101"_s, u"Acme"_s, u"Spot 1"_s)}),
       u"Acme · Spot 1"_s, u"1"_s, u"Universe 2 · DMX 101"_s, u"Address"_s},
      {"span from the channel's address",
       channelWith({}, u"1/1-12"_s),
       {},
       u"-"_s,
       u"Universe 1 · DMX 001–012"_s,
       u"Address"_s},
      {"address as typed",
       channelWith({}, u"over there"_s),
       {},
       u"-"_s,
       u"over there"_s,
       u"Address"_s},
      {"no address", channelWith({}), {}, u"-"_s, u"-"_s, u"Address"_s},
  };
  for (const auto &row : cases) {
    if (!row.description.isEmpty()) {
      EXPECT_EQ(fixtureDescription(row.channel), row.description) << row.name;
    }
    EXPECT_EQ(footprintSummary(row.channel), row.footprint) << row.name;
    EXPECT_EQ(addressSummary(row.channel), row.address) << row.name;
    EXPECT_EQ(addressMetricLabel(row.channel), row.addressLabel) << row.name;
  }
  Channel blank = channelWith({part(1, u"1/1"_s, u"1/1"_s, u" "_s)});
  blank.type = u"Generic Dimmer"_s;
  EXPECT_EQ(fixtureDescription(blank), blank.displayTypeName());
  EXPECT_EQ(channelTitleText(blank), u"No label"_s);
  blank.label = u"  "_s;
  EXPECT_EQ(channelTitleText(blank), u"  "_s);
}

FixtureControlParameter parameter(QString name, double value, double minimum = 0,
                                  double maximum = 100) {
  return {.name = std::move(name), .value = value, .minimum = minimum, .maximum = maximum};
}

FixtureControlState stateWith(std::vector<FixtureControlParameter> parameters,
                              std::map<QString, double> pending = {},
                              ReadState read = ReadState::loaded) {
  FixtureControlState state = FixtureControlState::empty(5);
  state.parameters = std::move(parameters);
  state.pendingParameterValues = std::move(pending);
  state.parameterReadState = read;
  state.emitterReadState = ReadState::loaded;
  return state;
}

TEST(IntensityReadings, IntensityNamesAndTheShownLevel) {
  Channel channel = channelWith({});
  channel.level = 7;
  const struct {
    const char *name;
    std::optional<FixtureControlState> state;
    qint64 shown;
  } cases[] = {
      {"no state: the snapshot", std::nullopt, 7},
      {"Intens", stateWith({parameter(u"Intens"_s, 20)}), 20},
      {"INTENSITY", stateWith({parameter(u"INTENSITY"_s, 21)}), 21},
      {"underscore and blank inside", stateWith({parameter(u"Inten_s ity"_s, 22)}), 22},
      {"intensity2 is another parameter", stateWith({parameter(u"intensity2"_s, 23)}), 7},
      {"pending 42.5", stateWith({parameter(u"Intensity"_s, 20)}, {{u"Intensity"_s, 42.5}}), 43},
      {"pending 42.4", stateWith({parameter(u"Intensity"_s, 20)}, {{u"Intensity"_s, 42.4}}), 42},
      {"non-finite first, then 30",
       stateWith({parameter(u"Intensity"_s, nan), parameter(u"Intens"_s, 30)}), 30},
      {"a pending NaN is skipped",
       stateWith({parameter(u"Intensity"_s, 30)}, {{u"Intensity"_s, nan}}), 30},
      {"1e300 saturates", stateWith({parameter(u"Intensity"_s, 1e300, 0, inf)}),
       std::numeric_limits<qint64>::max()},
  };
  for (const auto &row : cases)
    EXPECT_EQ(displayedIntensity(row.state, channel), row.shown) << row.name;
}

TEST(IntensityReadings, ThePendingKeyDoesNotHangOnTheMapOrder) {
  // Several intensity-named keys pending at once (a rename between reads, another writer).
  const struct {
    const char *name;
    std::vector<FixtureControlParameter> parameters;
    std::map<QString, double> pending;
    std::optional<double> chosen;
  } cases[] = {
      {"the written parameter wins",
       {parameter(u"Intens"_s, 0, 0, 0), parameter(u"intensity"_s, 0)},
       {{u"Intens"_s, 10}, {u"intensity"_s, 20}},
       20},
      {"then the parameters' order",
       {parameter(u"intensity"_s, 0, 0, 0), parameter(u"Intens"_s, 0, 0, 0)},
       {{u"Intens"_s, 10}, {u"intensity"_s, 20}},
       20},
      {"then the smallest key", {}, {{u"intensity"_s, 20}, {u"Intens"_s, 10}, {u"Zoom"_s, 3}}, 10},
      {"no intensity key", {parameter(u"Intens"_s, 0)}, {{u"Zoom"_s, 3}}, std::nullopt},
  };
  for (const auto &row : cases)
    EXPECT_EQ(pendingIntensity(stateWith(row.parameters, row.pending)), row.chosen) << row.name;
}

TEST(IntensityReadings, ModuleChoiceAndCaption) {
  using Choice = IntensityModuleChoice;
  Channel dimmer = channelWith({});
  dimmer.type = u"dimmer"_s;
  Channel spot = channelWith({});
  spot.type = u"Spot"_s;
  FixtureControlState unread = FixtureControlState::empty(5);
  FixtureControlState failed = stateWith({}, {}, ReadState::failed);
  FixtureControlState emittersLoading = failed;
  emittersLoading.emitterReadState = ReadState::loading;
  const struct {
    const char *name;
    std::optional<FixtureControlState> state;
    const Channel &channel;
    bool canControl;
    Choice choice;
  } cases[] = {
      {"adjustable intensity", stateWith({parameter(u"Intensity"_s, 5)}), spot, true,
       Choice::control},
      {"adjustable while reloading",
       stateWith({parameter(u"Intensity"_s, 5)}, {}, ReadState::loading), spot, false,
       Choice::control},
      {"no state, control possible", std::nullopt, spot, true, Choice::checking},
      {"no state, no control", std::nullopt, spot, false, Choice::none},
      {"unread even without control", unread, spot, false, Choice::checking},
      {"maximum equal to minimum", stateWith({parameter(u"Intensity"_s, 0, 0, 0)}), spot, true,
       Choice::none},
      {"failed read, emitters still loading", emittersLoading, spot, true, Choice::checking},
      {"a dimmer without control", failed, dimmer, false, Choice::cachedDimmer},
      {"a dimmer with control but no intensity", failed, dimmer, true, Choice::none},
  };
  for (const auto &row : cases)
    EXPECT_EQ(intensityModuleChoice(row.state, row.channel, row.canControl), row.choice)
        << row.name;

  const struct {
    bool connected, adjusting, awaiting;
    QString caption;
  } captions[] = {
      {false, true, true, u"Cached intensity"_s},
      {true, true, true, u"Intensity"_s},
      {true, false, true, u"Waiting for Eos readback"_s},
      {true, false, false, u"Intensity readback"_s},
  };
  for (const auto &row : captions)
    EXPECT_EQ(intensityCaption(row.connected, row.adjusting, row.awaiting), row.caption);
  EXPECT_EQ(intensityValueText(49.5), u"50%"_s);
  EXPECT_EQ(intensityValueText(100), u"100%"_s);
  EXPECT_EQ(intensityValueText(nan), u"-%"_s);
}

}  // namespace
}  // namespace tarnik::testing
