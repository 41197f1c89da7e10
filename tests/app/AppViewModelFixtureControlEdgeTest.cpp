// Fixture control at its edges: a write while our identify flash is held, a colour read the
// console never answers, and callbacks of a Live session that a newer one replaced.

#include "AppViewModelFixtureControlTestSupport.h"
#include "support/QtPrinting.h"

namespace tarnik::testing {
namespace {

using FixtureControlEdges = AppViewModelFixtureControlTest;

bool parametersLoaded(AppViewModel &model, int channel) {
  return waitUntil([&] {
    const std::optional<FixtureControlState> state = model.fixtureControls().state(channel);
    return state && state->parameterReadState == FixtureControlReadState::loaded;
  });
}

TEST_F(FixtureControlEdges, AWriteWhileTheFlashIsHeldEndsTheFlashInsteadOfBeingSent) {
  console.fixtures[5].parameters = {{u"Intensity"_s, 0, 0, 100}};
  ASSERT_TRUE(connectAndPrepare());
  ASSERT_TRUE(model->fixtureControls().requestParameters(5));
  ASSERT_TRUE(parametersLoaded(*model, 5));
  QList<QList<OSCArgument>> writes;
  QObject::connect(&console, &EosConsoleDouble::requestReceived, &console,
                   [&](const OSCMessage &request) {
                     if (request.address == "/eos/chan/5/param/Intensity"_L1)
                       writes.append(request.arguments);
                   });
  model->identifyFixture(model->channels().at(4));
  ASSERT_FALSE(liveSessions.isEmpty());
  const QPointer<EosLiveControlSession> session = liveSessions.last();
  using Stage = EosLiveControlSession::FlashState::Stage;
  ASSERT_TRUE(waitUntil([&] { return session && session->flashState().stage == Stage::active; }));
  ASSERT_EQ(console.flashes.value(console.firstAutoUser), 5);

  model->setIntensity(5, 40);
  ASSERT_TRUE(waitUntil([&] { return session && session->flashState().stage == Stage::idle; }));
  EXPECT_FALSE(console.flashes.contains(console.firstAutoUser));
  model->setIntensity(5, 60);
  ASSERT_TRUE(waitUntil([&] { return !writes.isEmpty(); }));
  EXPECT_EQ(writes, QList<QList<OSCArgument>>{{OSCArgument::fromFloat(60)}});
}

TEST_F(FixtureControlEdges, AColourReadLeftUnansweredEndsOnlyTheLiveControls) {
  console.fixtures[7].emitters = {{u"Red"_s, 50, 0, 100}, {u"Green"_s, 20, 0, 100}};
  ASSERT_TRUE(connectAndPrepare());
  ASSERT_TRUE(model->fixtureControls().requestParameters(7));
  ASSERT_TRUE(parametersLoaded(*model, 7));
  // The console takes the selection but never echoes it.
  console.echoOverrides = {{u"Chan 7 Enter"_s, {}}};
  ASSERT_TRUE(model->fixtureControls().requestColorRead(7));
  ASSERT_TRUE(waitUntil([&] {
    return console.requests(u"/eos/newcmd"_s)
        .contains(OSCMessage{u"/eos/newcmd"_s, {OSCArgument::fromString(u"Chan 7 Enter"_s)}});
  }));
  sessionClock->advance(8);
  EXPECT_EQ(model->fixtureControlStatus(),
            u"Live controls unavailable: Native color readback timed out."_s);
  EXPECT_FALSE(model->isFixtureControlReady());
  EXPECT_TRUE(manager().isConnected());
  EXPECT_EQ(model->dataStatusMessage(), u"Synced"_s);
  EXPECT_FALSE(model->supervisor().isReconnectScheduled());
}

TEST_F(FixtureControlEdges, CallbacksOfAReplacedLiveSessionChangeNothing) {
  console.fixtures[5].parameters = {{u"Intensity"_s, 0, 0, 100}};
  ASSERT_TRUE(connectAndPrepare());
  ASSERT_EQ(liveSessions.size(), 1);
  const auto staleShowInvalidated = liveSessions.first()->onShowInvalidated;
  const auto staleColorReadback = liveSessions.first()->onColorReadback;
  const auto staleIdentifyReleased = liveSessions.first()->onIdentifyReleased;
  // Someone else's patch edit ends this session; the refresh after it makes the next one.
  console.send({{u"/eos/out/notify/patch"_s, {OSCArgument::fromInt(1)}}});
  ASSERT_TRUE(waitUntil([&] { return !model->isFixtureControlReady(); }));
  timing->advance(0.75);
  ASSERT_TRUE(waitUntil([&] {
    return liveSessions.size() == 2 && model->fixtureControlStatus() == "Live controls ready"_L1;
  }));
  ASSERT_TRUE(model->fixtureControls().requestParameters(5));
  ASSERT_TRUE(parametersLoaded(*model, 5));
  const std::optional<FixtureControlState> before = model->fixtureControls().state(5);
  const qsizetype requests = console.requests().size();

  staleColorReadback(5, 120, 40);
  staleIdentifyReleased(5);
  staleShowInvalidated(u"The console show changed during the Live control session."_s);
  EXPECT_EQ(model->fixtureControls().state(5), before);
  EXPECT_EQ(model->fixtureControlStatus(), u"Live controls ready"_s);
  EXPECT_EQ(model->dataStatusMessage(), u"Synced"_s);
  EXPECT_TRUE(manager().isConnected());
  EXPECT_FALSE(model->supervisor().isReconnectScheduled());
  EXPECT_EQ(console.requests().size(), requests);
}

// A park query the console leaves unanswered is replaced by a reset: the old session's
// completion, which the reset itself brings about, changes nothing.
TEST_F(FixtureControlEdges, TheCompletionOfAReplacedParkSessionChangesNothing) {
  ASSERT_TRUE(connectAndPrepare());
  ASSERT_TRUE(parkStatusBecomes(u"2 channels parked"_s));
  const OSCMessage query{u"/eos/newcmd"_s, {OSCArgument::fromString(u"Query Park Enter"_s)}};
  const qsizetype queries = console.requests(u"/eos/newcmd"_s).count(query);
  console.echoOverrides = {{u"Query Park Enter"_s, {}}};
  ASSERT_TRUE(model->refreshParkedChannels(0, std::nullopt));
  ASSERT_TRUE(waitUntil([&] { return console.requests(u"/eos/newcmd"_s).count(query) > queries; }));
  QStringList shown;
  const QMetaObject::Connection watching =
      QObject::connect(model.get(), &AppViewModel::parkStatusMessageChanged, model.get(),
                       [&](const QString &text) { shown.append(text); });
  model->resetParkState();
  QObject::disconnect(watching);
  // Screens never see the cancelled session's own failure.
  EXPECT_EQ(shown, QStringList{u"Park status not checked"_s});
  EXPECT_FALSE(model->isRefreshingParkedChannels());

  console.echoOverrides.clear();
  console.parkedChannels = {7};
  ASSERT_TRUE(model->refreshParkedChannels(0, std::nullopt));
  EXPECT_TRUE(parkStatusBecomes(u"1 channel parked"_s));
}

}  // namespace
}  // namespace tarnik::testing
