#include "IsolatedSessionTestSupport.h"
#include "link/OSCManager.h"
#include "operations/EosLiveControlSession.h"
#include "operations/EosParkSession.h"
#include "operations/FixtureControlStore.h"

#include <algorithm>
#include <iterator>

namespace tarnik {
namespace {

using testing::ConsoleRig;
using testing::spinUntil;

// The store wired straight to a ready Live control session and to a park session on the
// console double, as the application model wires them; the store's time-outs and the
// sessions' deadlines share one virtual clock.
class FixtureControlEndToEnd : public ::testing::Test {
 protected:
  FixtureControlEndToEnd() {
    rig.console.fixtures[3] = {"Maker", "Spot", {{"Pan", 50, 0, 100}}, {{"Red", 0, 0, 100}},
                               120,     40};
    live.onColorReadback = [this](int channel, double hue, double saturation) {
      store.completeColorRead(channel, hue, saturation);
    };
    EXPECT_FALSE(live.start(
        show(), [] { return true; }, [this] { ready = true; },
        [this](const OSCMessage &message) { store.handleMessage(message); },
        [](const QString &text) { ADD_FAILURE() << text.toStdString(); }, rig.endpoint(),
        rig.framing));
    EXPECT_TRUE(spinUntil([this] { return ready; }));
    store.updateSession(session, show());
  }

  QString show() const { return rig.console.showPath; }

  // Park readbacks go back into the store for the one channel asked about.
  void runPark(int channel, std::optional<EosParkSession::Action> action) {
    done = false;
    const auto started = park.start(
        show(), action, [] { return true; },
        [this, channel, action](EosParkSession::Result result) {
          done = true;
          if (!result) {
            if (action) store.resetPendingPark(channel, action->action, session, show());
            return;
          }
          std::set<int> parked;
          if (result->contains(channel)) parked.insert(channel);
          store.applyParkedChannels(parked, {channel}, session, show());
        },
        rig.endpoint(), rig.framing);
    EXPECT_FALSE(started);
  }

  ConsoleRig rig{{OSCTCPFraming::packetLength, std::nullopt}};
  EosLiveControlSession live{rig.options()};
  EosParkSession park{rig.options()};
  QUuid session = QUuid::createUuid();
  bool ready = false, done = false;
  std::vector<int> timeouts;
  FixtureControlStore store{
      {[this](const OSCMessage &message) { return live.sendQuery(message); },
       [this](int channel) { return live.readColor(channel); },
       [this](const OSCMessage &message) { return live.send(message); }, [] { return true; },
       [this](int channel, FixtureParkAction action) {
         runPark(channel, EosParkSession::Action{channel, action});
         return true;
       },
       [this](int channel) { timeouts.push_back(channel); }},
      3.0,
      0.25,
      64,
      rig.clock};
};

TEST_F(FixtureControlEndToEnd, ReadsWritesAndColourAreProvenByTheConsole) {
  ASSERT_TRUE(store.requestParameters(3));
  ASSERT_TRUE(spinUntil(
      [this] { return store.state(3)->colorReadState == FixtureControlReadState::loaded; }));
  EXPECT_EQ(store.state(3)->emitterReadState, FixtureControlReadState::loaded);
  EXPECT_EQ(store.state(3)->nativeColor, (FixtureColorValue{120, 40}));

  ASSERT_TRUE(store.sendParameterValue(75, "Pan", 3));
  EXPECT_EQ(store.state(3)->pendingParameterValues.at("Pan"), 75);
  rig.clock->advance(0.25);
  ASSERT_TRUE(spinUntil([this] { return store.state(3)->pendingParameterValues.empty(); }));
  EXPECT_EQ(store.state(3)->parameters.front().value, 75);
  EXPECT_EQ(store.state(3)->parameterReadState, FixtureControlReadState::loaded);

  ASSERT_TRUE(store.sendColor(200, 60, 3));
  // The colour read of the confirmation may still run and be followed by one more.
  EXPECT_TRUE(spinUntil([this] {
    return store.state(3)->nativeColor == FixtureColorValue{200, 60} &&
           store.state(3)->colorReadState == FixtureControlReadState::loaded;
  }));
}

TEST_F(FixtureControlEndToEnd, AnUnansweredQueryEndsFixtureControl) {
  ASSERT_TRUE(store.requestParameters(8));  // the double has no fixture on 8
  ASSERT_TRUE(spinUntil([this] { return rig.seenCount.contains("/eos/get/emitters/8"); }));
  rig.clock->advance(3);
  EXPECT_EQ(timeouts, std::vector<int>{8});
  EXPECT_FALSE(store.hasActiveSession());
}

TEST_F(FixtureControlEndToEnd, OnlyTheParkReadbackSettlesTheParkState) {
  runPark(3, std::nullopt);
  ASSERT_TRUE(spinUntil([this] { return done; }));
  EXPECT_EQ(store.state(3)->parkState, FixtureParkState::unparked());
  ASSERT_TRUE(store.park(3));
  EXPECT_EQ(store.state(3)->parkState, FixtureParkState::sentUnverified(FixtureParkAction::park));
  ASSERT_TRUE(spinUntil([this] { return done; }));
  EXPECT_EQ(store.state(3)->parkState, FixtureParkState::parked());
  EXPECT_TRUE(rig.console.parkedChannels.contains(3));
}

}  // namespace
}  // namespace tarnik
