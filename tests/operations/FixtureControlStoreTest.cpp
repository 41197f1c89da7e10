#include "operations/FixtureControlStore.h"
#include "support/ManualLevelCommandScheduler.h"
#include "support/QtPrinting.h"

#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <tuple>
#include <vector>

namespace tarnik {
namespace {

using ReadState = FixtureControlReadState;
using Park = FixtureParkState;
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr auto params = FixtureParameterSource::parameters;
constexpr auto emitters = FixtureParameterSource::emitters;

// Name, value, minimum and maximum of each parameter.
using Row = std::tuple<QString, float, float, float>;

QList<OSCArgument> replyArguments(const QString &maker, const QString &model,
                                  const std::vector<Row> &rows) {
  QList<OSCArgument> arguments{OSCArgument::fromString(maker), OSCArgument::fromString(model)};
  for (const auto &[name, value, minimum, maximum] : rows)
    arguments << OSCArgument::fromString(name) << OSCArgument::fromFloat(value)
              << OSCArgument::fromFloat(minimum) << OSCArgument::fromFloat(maximum);
  return arguments;
}

// A store on virtual time whose closures record what it asks for; channel 1 is a colour
// fixture once read(1) answered both queries.
class FixtureStore : public ::testing::Test {
 protected:
  FixtureStore() { store.updateSession(session, QStringLiteral("Show")); }

  void reply(FixtureParameterSource source, int channel, QList<OSCArgument> arguments) {
    const QString kind = source == params ? QStringLiteral("params") : QStringLiteral("emitters");
    store.handleMessage({QStringLiteral("/eos/out/get/%1/%2").arg(kind).arg(channel), arguments});
  }
  void answer(int channel, float pan = 50) {
    reply(params, channel, replyArguments("Maker", "Spot", {{"Pan", pan, 0, 100}}));
    reply(emitters, channel, replyArguments("Maker", "Spot", {{"Red", 0, 0, 100}}));
  }
  void read(int channel) { store.requestParameters(channel), answer(channel); }
  FixtureControlState at(int channel) { return store.state(channel).value(); }

  std::shared_ptr<testing::ManualLevelCommandScheduler> clock =
      std::make_shared<testing::ManualLevelCommandScheduler>();
  QStringList queries, mutations;
  std::vector<int> colorReads, timeouts;
  int parkRequests = 0;
  bool colorStarts = true, parkAccepted = true;
  std::function<void()> duringPark = [] {};
  std::function<bool()> duringQuery = [] { return true; };
  QUuid session = QUuid::createUuid();
  FixtureControlStore::Closures recording{
      [this](const OSCMessage &m) { return queries << m.address, duringQuery(); },
      [this](int c) { return colorReads.push_back(c), colorStarts; },
      [this](const OSCMessage &m) { return mutations << m.address, true; },
      [] { return true; },
      [this](int, FixtureParkAction) { return ++parkRequests, duringPark(), parkAccepted; },
      [this](int c) { timeouts.push_back(c); }};
  FixtureControlStore store{recording, 3.0, 0.25, 64, clock};
};

TEST_F(FixtureStore, SessionChangesAndTimeOutsKeepOrDropEverything) {
  read(1);
  store.sendParameterValue(60, "Pan", 1);
  store.requestParameters(3);
  const qsizetype timers = clock->pendingCount();
  store.updateSession(session, QStringLiteral("  Show \n"));
  EXPECT_EQ(clock->pendingCount(), timers);
  EXPECT_EQ(at(1).pendingParameterValues.size(), 1u);
  store.updateSession(QUuid::createUuid(), QStringLiteral("Show"));
  EXPECT_TRUE(store.statesByChannel().empty());
  EXPECT_EQ(clock->pendingCount(), 0);
  answer(3);  // late, for the old session
  store.requestParameters(2);
  clock->advance(2.999);
  EXPECT_TRUE(timeouts.empty() && !store.state(3));
  clock->advance(0.001);
  EXPECT_EQ(timeouts, std::vector<int>{2});
  EXPECT_TRUE(!store.hasActiveSession() && store.statesByChannel().empty());
  store.updateSession(std::nullopt, QStringLiteral("Show"));
  EXPECT_EQ(store.showIdentity(), QStringLiteral("Show"));
  EXPECT_FALSE(store.requestParameters(2));
  store.updateSession(session, QStringLiteral(" "));
  EXPECT_TRUE(!store.showIdentity() && queries.size() == 6);
}

// The owner resets the store from inside a send when the Live session fails; the store must
// then stop asking, and leave nothing behind for the channel.
TEST_F(FixtureStore, ASessionEndedInsideASendStopsTheQueries) {
  const std::pair<const char *, std::function<bool()>> cases[] = {
      {"reset, not sent", [this] { return store.resetSession(), false; }},
      {"new session, sent",
       [this] { return store.updateSession(QUuid::createUuid(), QStringLiteral("Show")), true; }},
  };
  for (const auto &[name, during] : cases) {
    store.updateSession(QUuid::createUuid(), QStringLiteral("Show"));
    queries.clear();
    duringQuery = during;
    EXPECT_FALSE(store.requestParameters(1)) << name;
    EXPECT_EQ(queries, QStringList{"/eos/get/params/1"}) << name;
    EXPECT_TRUE(store.statesByChannel().empty()) << name;
    EXPECT_EQ(clock->pendingCount(), 0) << name;
  }
}

// The store's channels end where the Live session's do, which carries its queries and
// passes on only the replies it can address.
TEST_F(FixtureStore, ChannelsEndAt999999) {
  EXPECT_FALSE(store.requestParameters(1'000'000));
  EXPECT_TRUE(queries.isEmpty() && store.statesByChannel().empty());
  EXPECT_TRUE(store.requestParameters(999'999));
  answer(999'999);
  EXPECT_EQ(at(999'999).emitterReadState, ReadState::loaded);
}

TEST(FixtureControlState, OnlyAnAdjustableNonIntensityEmitterIsColour) {
  FixtureControlState state = FixtureControlState::empty(1);
  state.emitterReadState = ReadState::loaded;
  for (const QString name : {"Intensity", "INTENS", "inten_s", "In tens", "Red"}) {
    state.emitters = {{name, 0, 0, 100, emitters}};
    EXPECT_EQ(state.hasAdjustableColorEmitters(), name == "Red") << name.toStdString();
  }
  state.emitters = {{"Red", 0, 0, 0, emitters}};
  EXPECT_FALSE(state.hasAdjustableColorEmitters());
}

TEST_F(FixtureStore, RepliesAreCheckedBeforeTheyAreStored) {
  const auto text = OSCArgument::fromString;
  const auto number = OSCArgument::fromFloat(1);
  const std::pair<QList<OSCArgument>, ReadState> cases[] = {
      {{text("M"), text("S")}, ReadState::loaded},
      {{text("M"), text("S"), text("Pan")}, ReadState::failed},
      {{text("M"), text("S"), text("Pan"), number}, ReadState::failed},
      {{text("M"), text("S"), text("Pan"), number, number}, ReadState::failed},
      {replyArguments("M", "S", {{"Pan", 1, 0, 100}}), ReadState::loaded},
      {{text("M"), text("S"), OSCArgument::fromInt(1), number, number, number}, ReadState::failed},
      {replyArguments("M", "S", {{"Color/Mix", 1, 0, 9}, {"color\\mix", 1, 0, 9}}),
       ReadState::failed},
      {replyArguments("M", "S", {{"Pan Tilt", 1, 0, 9}, {"pan_tilt", 1, 0, 9}}), ReadState::failed},
      {replyArguments("M", "S\u0007", {}), ReadState::failed},
      {replyArguments("M", "S", {{"Zoom", 200, 0, 100}}), ReadState::loaded},
  };
  int channel = 0;
  for (const auto &[arguments, expected] : cases) {
    store.requestParameters(++channel);
    reply(params, channel, arguments);
    EXPECT_EQ(at(channel).parameterReadState, expected) << "case " << channel;
  }
  EXPECT_FALSE(at(10).parameters.front().isAdjustable());
}

TEST_F(FixtureStore, OnlyAnAwaitedReplyOfTheSameFixtureCounts) {
  EXPECT_TRUE(store.requestParameters(1));
  EXPECT_TRUE(store.requestParameters(1));
  EXPECT_EQ(queries, QStringList({"/eos/get/params/1", "/eos/get/emitters/1"}));
  answer(1);
  const FixtureControlState first = at(1);
  answer(1, 70);  // nobody asked again
  reply(params, 2, replyArguments("Maker", "Spot", {}));
  EXPECT_EQ(at(1), first);
  EXPECT_FALSE(store.state(2));
  store.requestParameters(1);
  reply(params, 1, replyArguments("Other", "Spot", {}));
  EXPECT_EQ(at(1).parameterReadState, ReadState::failed);
  EXPECT_TRUE(at(1).manufacturer == "Maker" && at(1).parameters == first.parameters);
}

TEST_F(FixtureStore, WritesStayInsideTheReportedRange) {
  store.requestParameters(1);
  reply(params, 1, replyArguments("M", "S", {{"Pan", 50, 0, 100}, {"  Color Mix/2 ", 1, -1, 2}}));
  const std::tuple<double, QString, bool> cases[] = {
      {0, "Pan", true},    {100, "Pan", true}, {-0.001, "Pan", false},  {100.001, "Pan", false},
      {nan, "Pan", false}, {1, "Tilt", false}, {2, "Color Mix/2", true}};
  for (const auto &[value, name, sent] : cases)
    EXPECT_EQ(store.sendParameterValue(value, name, 1), sent) << value;
  EXPECT_EQ(mutations.back(), "/eos/chan/1/param/Color_Mix\\2");
  EXPECT_EQ(mutations.size(), 3);
  EXPECT_EQ(at(1).pendingParameterValues,
            (std::map<QString, double>{{"Pan", 100}, {"Color Mix/2", 2}}));
}

TEST_F(FixtureStore, OnlyTheLastWriteOfABurstIsConfirmed) {
  read(1);
  queries.clear();
  for (int step = 0; step < 5; ++step) {
    store.sendParameterValue(10 + step, "Pan", 1);
    clock->advance(0.1);
  }
  EXPECT_EQ(mutations.size(), 5);
  clock->advance(0.149);
  EXPECT_TRUE(queries.empty());
  clock->advance(0.001);
  EXPECT_EQ(queries.size(), 2);
  store.sendParameterValue(20, "Pan", 1);  // during the confirmation read
  answer(1, 14);
  EXPECT_EQ(at(1).pendingParameterValues.size(), 1u);
  EXPECT_EQ(at(1).parameterReadState, ReadState::loading);
  clock->advance(0.25);
  EXPECT_EQ(queries.size(), 4);
  answer(1, 20);
  EXPECT_TRUE(at(1).pendingParameterValues.empty());
  EXPECT_EQ(at(1).parameters.front().value, 20);
  EXPECT_EQ(at(1).parameterReadState, ReadState::loaded);
}

TEST_F(FixtureStore, AMalformedConfirmingReplyDropsThePendingValues) {
  read(1);
  store.sendParameterValue(10, "Pan", 1);
  clock->advance(0.25);
  reply(emitters, 1, replyArguments("Maker", "Spot", {{"Red", 0, 0, 100}}));
  EXPECT_FALSE(at(1).pendingParameterValues.empty());
  reply(params, 1, {});
  EXPECT_TRUE(at(1).pendingParameterValues.empty());
}

TEST_F(FixtureStore, ColourReadsRunOneAtATime) {
  for (int channel : {1, 2, 3}) read(channel);
  EXPECT_EQ(colorReads, std::vector<int>{1});
  EXPECT_TRUE(store.requestColorRead(1));  // in flight: read again behind 2 and 3
  EXPECT_TRUE(store.completeColorRead(1, 360, 100));
  EXPECT_EQ(colorReads, (std::vector<int>{1, 2}));
  colorStarts = false;
  EXPECT_FALSE(store.completeColorRead(2, 360.01, 50));
  EXPECT_EQ(colorReads, (std::vector<int>{1, 2, 3, 1}));  // 3 refused, so 1 is tried
  EXPECT_EQ(at(3).colorReadState, ReadState::failed);
  EXPECT_EQ(at(1).nativeColor, (FixtureColorValue{360, 100}));
  colorStarts = true;
  store.requestColorRead(1);
  EXPECT_FALSE(store.completeColorRead(1, 10, -0.1));
  store.requestColorRead(1);
  EXPECT_FALSE(store.completeColorRead(1, nan, 10));
  EXPECT_EQ(at(1).colorReadState, ReadState::failed);
  EXPECT_EQ(at(1).nativeColor, (FixtureColorValue{360, 100}));
  store.requestColorRead(1);
  clock->advance(3);
  EXPECT_EQ(timeouts, std::vector<int>{1});
}

TEST_F(FixtureStore, TheColourQueueIsBounded) {
  for (int channel = 1; channel <= 66; ++channel) read(channel);
  EXPECT_EQ(at(65).colorReadState, ReadState::loading);
  EXPECT_EQ(at(66).colorReadState, ReadState::failed);
  EXPECT_TRUE(store.sendColor(360, 100, 2));
  EXPECT_FALSE(store.sendColor(360.5, 100, 2));
  EXPECT_FALSE(store.sendColor(nan, 100, 2));
  EXPECT_EQ(mutations, QStringList{"/eos/chan/2/color/hs"});
}

TEST_F(FixtureStore, OnlyAReadbackProvesAParkState) {
  EXPECT_FALSE(store.park(1));  // unknown: must be read back first
  EXPECT_FALSE(store.applyParkedChannels({1}, {1, 2}, QUuid::createUuid(), "Show") ||
               store.applyParkedChannels({3}, {1, 2}, session, "Show") ||
               store.applyParkedChannels({}, {0, 1}, session, "Show"));
  EXPECT_TRUE(store.statesByChannel().empty());
  EXPECT_TRUE(store.applyParkedChannels({1}, {1, 2}, session, "  Show "));
  EXPECT_TRUE(at(1).parkState == Park::parked() && at(2).parkState == Park::unparked());
  EXPECT_FALSE(store.park(1) || store.unpark(2));
  EXPECT_TRUE(store.park(2));
  EXPECT_EQ(at(2).parkState, Park::sentUnverified(FixtureParkAction::park));
  EXPECT_FALSE(store.park(2));
  EXPECT_FALSE(store.resetPendingPark(2, FixtureParkAction::unpark, session, "Show"));
  EXPECT_TRUE(store.resetPendingPark(2, FixtureParkAction::park, session, "Show"));
  EXPECT_EQ(at(2).parkState, Park::unknown());
  parkAccepted = false;
  EXPECT_FALSE(store.unpark(1));  // back where it was
  EXPECT_EQ(at(1).parkState, Park::parked());
  duringPark = [this] {
    EXPECT_EQ(at(1).parkState, Park::pending(FixtureParkAction::unpark));
    store.resetPendingPark(1, FixtureParkAction::unpark, session, "Show");
  };
  EXPECT_FALSE(store.unpark(1));
  EXPECT_EQ(at(1).parkState, Park::unknown());
  EXPECT_EQ(parkRequests, 3);
}

}  // namespace
}  // namespace tarnik
