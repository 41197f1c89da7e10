#include "IsolatedSessionTestSupport.h"
#include "link/OSCManager.h"
#include "operations/EosLiveControlSession.h"
#include "operations/EosParkSession.h"
#include "operations/FixtureControlStore.h"

namespace tarnik {
namespace {

using testing::spinUntil;
using Read = FixtureControlReadState;

// The store wired straight to a ready Live control session and to a park session on the
// console double; the store's time-outs and the sessions' deadlines share one virtual clock.
class FixtureControlEndToEnd : public ::testing::Test {
 protected:
  FixtureControlEndToEnd() {
    rig.console.fixtures[3] = {"Maker", "Spot", {{"Pan", 50, 0, 100}}, {{"Red", 0, 0, 100}}};
    rig.console.fixtures[3].hue = 120;
    live.onColorReadback = [this](int c, double h, double s) { store.completeColorRead(c, h, s); };
    EXPECT_FALSE(live.start(
        show(), [] { return true; }, [this] { ready = true; },
        [this](const OSCMessage &message) { store.handleMessage(message); },
        [](const QString &text) { ADD_FAILURE() << text.toStdString(); }, rig.endpoint(),
        rig.framing));
    EXPECT_TRUE(spinUntil([this] { return ready; }));
    store.updateSession(session, show());
  }

  QString show() const { return rig.console.showPath; }
  FixtureControlState at(int channel) const { return store.state(channel).value(); }

  // The park session's readback goes back into the store for the one channel asked about.
  bool runPark(int channel, std::optional<EosParkSession::Action> action) {
    done = false;
    return !park.start(
        show(), action, [] { return true; },
        [this, channel](const EosParkSession::Result &result) {
          done = true;
          ASSERT_TRUE(result);
          const auto parked = result->contains(channel) ? std::set{channel} : std::set<int>{};
          EXPECT_TRUE(store.applyParkedChannels(parked, {channel}, session, show()));
        },
        rig.endpoint(), rig.framing);
  }

  testing::ConsoleRig rig{{OSCTCPFraming::packetLength, std::nullopt}};
  EosLiveControlSession live{rig.options()};
  EosParkSession park{rig.options()};
  QUuid session = QUuid::createUuid();
  bool ready = false, done = false;
  std::vector<int> timeouts;
  FixtureControlStore::Closures wired{[this](const OSCMessage &m) { return live.sendQuery(m); },
                                      [this](int channel) { return live.readColor(channel); },
                                      [this](const OSCMessage &m) { return live.send(m); },
                                      [] { return true; },
                                      [this](int c, FixtureParkAction action) {
                                        return runPark(c, {{c, action}});
                                      },
                                      [this](int channel) { timeouts.push_back(channel); }};
  FixtureControlStore store{wired, 3.0, 0.25, 64, rig.clock};
};

TEST_F(FixtureControlEndToEnd, TheConsoleProvesReadsWritesAndColourAndSilenceEndsControl) {
  ASSERT_TRUE(store.requestParameters(3));
  ASSERT_TRUE(spinUntil([this] { return at(3).colorReadState == Read::loaded; }));
  EXPECT_EQ(at(3).nativeColor, (FixtureColorValue{120, 0}));
  ASSERT_TRUE(store.sendParameterValue(75, "Pan", 3));
  EXPECT_EQ(at(3).pendingParameterValues.at("Pan"), 75);
  rig.clock->advance(0.25);
  ASSERT_TRUE(spinUntil([this] { return at(3).pendingParameterValues.empty(); }));
  EXPECT_EQ(at(3).parameters.front().value, 75);
  ASSERT_TRUE(store.sendColor(200, 60, 3));
  // The confirmation's colour read may still run; one more read follows it then.
  EXPECT_TRUE(spinUntil([this] {
    return at(3).nativeColor == FixtureColorValue{200, 60} && at(3).colorReadState == Read::loaded;
  }));
  ASSERT_TRUE(store.requestParameters(8));  // no fixture on 8: the double never answers
  ASSERT_TRUE(spinUntil([this] { return rig.seenCount.contains("/eos/get/emitters/8"); }));
  rig.clock->advance(3);
  EXPECT_EQ(timeouts, std::vector<int>{8});
  EXPECT_FALSE(store.hasActiveSession());
}

TEST_F(FixtureControlEndToEnd, OnlyTheParkReadbackSettlesTheParkState) {
  ASSERT_TRUE(runPark(3, std::nullopt));
  ASSERT_TRUE(spinUntil([this] { return done; }));
  EXPECT_EQ(at(3).parkState, FixtureParkState::unparked());
  ASSERT_TRUE(store.park(3));
  EXPECT_EQ(at(3).parkState, FixtureParkState::sentUnverified(FixtureParkAction::park));
  ASSERT_TRUE(spinUntil([this] { return done; }));
  EXPECT_EQ(at(3).parkState, FixtureParkState::parked());
  EXPECT_TRUE(rig.console.parkedChannels.contains(3));
}

}  // namespace
}  // namespace tarnik
