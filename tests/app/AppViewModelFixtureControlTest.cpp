// Fixture control through the model: the gates the store's closures ask, and the Live and
// park sessions against the console double on TCP with networking on.

#include "AppViewModelFixtureControlTestSupport.h"
#include "support/QtPrinting.h"

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

TEST_F(AppViewModelTest, FixtureControlsAskNothingWithoutASyncedShow) {
  const auto model = makeModel();
  EXPECT_FALSE(model->isShowDataCurrent());
  EXPECT_FALSE(model->fixtureControls().requestParameters(5));
}

TEST_F(AppViewModelFixtureControlTest, LiveControlsReadWriteAndIdentifyOnTheirOwnUser) {
  const struct {
    int channel;
    EosConsoleDouble::FixtureParameter parameter;
    bool sent;
  } intensities[] = {
      {1, {u"Intens_ity"_s, 20, 0, 100}, true},  {2, {u"INTENSITY"_s, 20, 0, 100}, true},
      {3, {u"intensity2"_s, 20, 0, 100}, false}, {4, {u"Intensity"_s, 150, 0, 100}, false},
      {6, {u"Intensity"_s, 0, 0, 0}, false},
  };
  QStringList expected;
  for (const auto &row : intensities) {
    console.fixtures[row.channel].parameters = {row.parameter};
    if (row.sent) expected << u"/eos/chan/%1/param/%2"_s.arg(row.channel).arg(row.parameter.name);
  }
  QList<int> writers;
  QStringList paramWrites;
  QObject::connect(&console, &EosConsoleDouble::requestReceived, &console,
                   [&](const OSCMessage &request) {
                     if (request.address.contains("/param/"_L1))
                       paramWrites.append(request.address);
                   });
  console.setHandler(u"/eos/chan/1/param/Intens_ity"_s,
                     [&](const OSCMessage &, EosConsoleDouble::Asker &asker) {
                       writers.append(asker.user());
                       return QList<OSCMessage>{};
                     });
  ASSERT_TRUE(connectAndPrepare());
  EXPECT_EQ(console.tcpClientCount(), 2);
  EXPECT_TRUE(parkStatusBecomes(u"2 channels parked"_s))
      << model->parkStatusMessage().toStdString();

  for (const auto &row : intensities) {
    ASSERT_TRUE(model->fixtureControls().requestParameters(row.channel));
    ASSERT_TRUE(
        waitUntil([&] { return model->fixtureControls().state(row.channel)->parameters.size(); }));
    for (double level : {std::nan(""), std::numeric_limits<double>::infinity(),
                         -std::numeric_limits<double>::infinity(), 80.0})
      model->setIntensity(row.channel, level);
  }
  // One write that must arrive last: once it is in, everything sent before it is too, and
  // only the adjustable intensities, with finite levels, were written.
  model->setIntensity(1, 50);
  expected << u"/eos/chan/1/param/Intens_ity"_s;
  EXPECT_TRUE(waitUntil([&] { return paramWrites.size() >= expected.size(); }));
  EXPECT_EQ(paramWrites, expected);
  EXPECT_EQ(writers, QList<int>(2, console.firstAutoUser));

  // Identify: recorded as sent.
  const QList<CommandHistoryEntry> written = model->commandHistory();
  model->identifyFixture(model->channels().at(4));
  ASSERT_EQ(model->commandHistory().size(), written.size() + 1);
  EXPECT_EQ(model->commandHistory().last().text, "Identify channel 5"_L1);
  EXPECT_EQ(model->commandHistory().last().source, "Sent"_L1);

  // A channel outside the patch is never asked about; viewer mode closes the gate.
  const QString parkStatus = model->parkStatusMessage();
  EXPECT_FALSE(model->parkChannel(900, FixtureParkAction::park));
  EXPECT_FALSE(model->isRefreshingParkedChannels());
  EXPECT_EQ(model->parkStatusMessage(), parkStatus);
  EXPECT_EQ(console.tcpClientCount(), 2);
  EXPECT_TRUE(model->canControlFixtures());
  model->setInteractionMode(InteractionMode::viewer);
  EXPECT_FALSE(model->canControlFixtures());
}

TEST_F(AppViewModelFixtureControlTest, ParkChecksRunOneAtATimeAndRefuseWhatTheyMayNotDo) {
  ASSERT_TRUE(connectAndPrepare());
  ASSERT_TRUE(parkStatusBecomes(u"2 channels parked"_s));
  console.parkedChannels = {3};
  EXPECT_TRUE(model->refreshParkedChannels(0, std::nullopt));
  EXPECT_FALSE(model->refreshParkedChannels(0, std::nullopt));
  EXPECT_EQ(model->parkStatusMessage(), u"Checking parked channels…"_s);
  ASSERT_TRUE(parkStatusBecomes(u"1 channel parked"_s));

  const struct {
    int channel;
    InteractionMode mode;
  } refused[] = {{0, InteractionMode::editor},
                 {1000000, InteractionMode::editor},
                 {3, InteractionMode::viewer}};
  for (const auto &row : refused) {
    model->setInteractionMode(row.mode);
    EXPECT_TRUE(model->refreshParkedChannels(row.channel, FixtureParkAction::unpark));
    EXPECT_EQ(model->parkStatusMessage(), "The park observer session is unavailable."_L1);
  }
  // A viewer may still read them.
  EXPECT_TRUE(model->refreshParkedChannels(0, std::nullopt));
  EXPECT_TRUE(parkStatusBecomes(u"1 channel parked"_s));
  EXPECT_EQ(console.parkedChannels, std::set<int>{3});
}

// From its preflight to its verification a patch write owns the console's patch: identify
// and park wait for it, even with the Live controls ready. The sync that confirms the write
// prepares them again.
TEST_F(AppViewModelFixtureControlTest, FixtureChangesWaitForAPendingPatchWrite) {
  ASSERT_TRUE(connectAndPrepare());
  model->beginPatchEditing({.operation = PatchOperation::dimmerAddressRange,
                            .channelStart = 9,
                            .universe = 1,
                            .addressStart = 100,
                            .addressThru = 100});
  // The readback waits on virtual time; meanwhile a page asks for the Live controls again.
  ASSERT_TRUE(waitUntil(
      [&] { return model->patchSubmissionState().kind == PatchSubmissionState::Kind::verifying; }));
  model->prepareLiveControls();
  ASSERT_TRUE(waitUntil([&] { return model->fixtureControlStatus() == "Live controls ready"_L1; }));
  const QList<CommandHistoryEntry> before = model->commandHistory();
  model->identifyFixture(model->channels().at(4));
  EXPECT_FALSE(model->parkChannel(5, FixtureParkAction::unpark));
  EXPECT_EQ(model->commandHistory(), before);

  timing->advance(0.35);
  ASSERT_TRUE(waitUntil(
      [&] { return model->patchSubmissionState().kind == PatchSubmissionState::Kind::confirmed; }));
  ASSERT_TRUE(waitUntil([&] { return model->fixtureControlStatus() == "Live controls ready"_L1; }));
  model->identifyFixture(model->channels().at(4));
  EXPECT_EQ(model->commandHistory().size(), before.size() + 2);  // the confirmation, the flash
}

TEST_F(AppViewModelFixtureControlTest, AFailedLiveSessionLeavesTheMainConnectionAlone) {
  // The session never gets its console user, and its step deadline passes.
  console.setHandler(u"/eos/user/auto"_s, [](const OSCMessage &) { return QList<OSCMessage>{}; });
  ASSERT_TRUE(connectAndPrepare(u"Preparing Live controls…"_s));
  sessionClock->advance(8);
  EXPECT_TRUE(waitUntil(
      [&] { return model->fixtureControlStatus().startsWith("Live controls unavailable: "_L1); }));
  EXPECT_TRUE(manager().isConnected());
  EXPECT_EQ(model->dataStatusMessage(), "Synced"_L1);
  EXPECT_FALSE(model->supervisor().isReconnectScheduled());
}

TEST_F(AppViewModelFixtureControlTest, AnUnansweredDetailReadEndsOnlyTheLiveControls) {
  console.setHandler(u"/eos/get/params/7"_s,
                     [](const OSCMessage &) { return QList<OSCMessage>{}; });
  ASSERT_TRUE(connectAndPrepare());
  ASSERT_TRUE(model->fixtureControls().requestParameters(7));
  storeClock->advance(3.1);
  EXPECT_EQ(model->fixtureControlStatus(),
            "Live controls unavailable: Fixture 7 detail response timed out"_L1);
  EXPECT_TRUE(manager().isConnected());
}

TEST_F(AppViewModelFixtureControlTest, AShowChangeSeenByTheLiveSessionReloads) {
  // Only the Live session's connection hears of the new show.
  console.setHandler(u"/eos/get/params/5"_s, [](const OSCMessage &) {
    return QList<OSCMessage>{{u"/eos/out/event/show/loaded"_s, {}}};
  });
  ASSERT_TRUE(connectAndPrepare());
  QStringList statuses;
  QObject::connect(model.get(), &AppViewModel::dataStatusMessageChanged, model.get(),
                   [&](const QString &text) { statuses.append(text); });
  ASSERT_TRUE(model->fixtureControls().requestParameters(5));
  ASSERT_TRUE(waitUntil([&] { return !statuses.isEmpty(); }));
  EXPECT_EQ(statuses.first(),
            u"Live controls: The console show changed during the Live control "
            u"session. — cached data retained"_s);
  EXPECT_TRUE(model->supervisor().isReconnectScheduled());
  EXPECT_TRUE(waitUntil([&] { return !manager().isConnected(); }));
}

}  // namespace
}  // namespace tarnik::testing
