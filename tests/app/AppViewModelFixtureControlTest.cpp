// Fixture control through the model: the gates the store's closures ask, and the Live and
// park sessions against the console double on TCP with networking on.

#include "AppViewModelTestSupport.h"
#include "link/OSCManagerTestSupport.h"
#include "support/ManualLevelCommandScheduler.h"
#include "support/QtPrinting.h"

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

TEST_F(AppViewModelTest, ShowDataIsCurrentOnlyForACompletedSyncOfThisSessionAndShow) {
  const struct {
    const char *name;
    std::optional<QString> live, published;
    bool completed, syncing, cleared;
    bool current;
  } cases[] = {
      {"synced", u"/s/a.esf"_s, u"/s/a.esf"_s, true, false, false, true},
      {"sync running", u"/s/a.esf"_s, u"/s/a.esf"_s, true, true, false, false},
      {"no sync in this session", u"/s/a.esf"_s, u"/s/a.esf"_s, false, false, false, false},
      {"empty live identity", u""_s, u""_s, true, false, false, false},
      {"no live identity", std::nullopt, std::nullopt, true, false, false, false},
      {"another show on screen", u"/s/a.esf"_s, u"/s/b.esf"_s, true, false, false, false},
      {"show cleared", u"/s/a.esf"_s, u"/s/a.esf"_s, true, false, true, false},
  };
  for (const auto &row : cases) {
    auto model = makeModel();
    AppViewModelTestAccess::setShowFacts(*model, row.live, row.published, row.completed,
                                         row.syncing);
    if (row.cleared) AppViewModelTestAccess::setShowCleared(*model);
    EXPECT_EQ(model->isShowDataCurrent(), row.current) << row.name;
    // Nothing connected: no gate of fixture control opens, whatever the show.
    EXPECT_FALSE(model->canControlFixtures()) << row.name;
    EXPECT_FALSE(model->fixtureControls().requestParameters(5)) << row.name;
  }
}

class AppViewModelFixtureControlTest : public AppViewModelTest {
 protected:
  void SetUp() override {
    AppViewModel::Arguments arguments;
    arguments.defaults = &settings;
    arguments.timing = timing;
    arguments.oscManager = makeManager(packetLengthCase);
    arguments.fixtureControlScheduler = storeClock;
    arguments.makeLiveControlSession = [this] {
      EosIsolatedSession::Options options;
      options.timeoutScheduler = sessionClock;
      return std::make_unique<EosLiveControlSession>(std::move(options));
    };
    // Networking on: a completed sync prepares the Live controls, which check the park.
    model = std::make_unique<AppViewModel>(std::move(arguments));
    QObject::connect(model.get(), &AppViewModel::fixtureControlStatusChanged, model.get(),
                     [this](const QString &text) { liveStatuses.append(text); });
    const std::set<int> parkedOnConsole{5, 7, 900};
    console.parkedChannels = parkedOnConsole;
    console.fixtures[5].parameters = {{u"Intens"_s, 20, 0, 100}};
    console.setHandler(u"/eos/chan/5/param/Intens"_s,
                       [this](const OSCMessage &request, EosConsoleDouble::Asker &asker) {
                         writers.append(asker.user());
                         Q_UNUSED(request);
                         return QList<OSCMessage>{};
                       });
  }

  OSCManager &manager() { return *model->oscManager(); }

  // Connected, pinged and synced, with a patch of channels 1 to 8.
  void connectAndSync() {
    ConsoleShow show = console.show();
    show.path = u"/shows/fixtures.esf"_s;
    show.name = u"Fixtures"_s;
    show.patch.clear();
    for (int channel = 1; channel <= 8; ++channel)
      show.patch.append(ConsolePatchPart::dimmer(channel, 1, channel));
    console.setShow(show);
    const quint16 port = console.tcpPort(OSCTCPFraming::packetLength);
    AppViewModelTestAccess::setActiveEndpoint(*model, OSCEndpoint::hostPort(u"127.0.0.1"_s, port));
    manager().connect(u"127.0.0.1"_s, port);
    ASSERT_TRUE(waitUntil([&] { return manager().isConnected(); }));
    manager().sendPing();
    ASSERT_TRUE(waitUntil([&] { return manager().lastPingResponseUptime().has_value(); }));
    model->handlePingResponse(std::nullopt);
    if (!model->isShowDataCurrent() && !AppViewModelTestAccess::syncGeneration(*model))
      model->requestFullSync(u"Initial sync"_s);
    ASSERT_TRUE(waitUntil([&] { return model->dataStatusMessage() == "Synced"_L1; }))
        << model->dataStatusMessage().toStdString() << " "
        << model->syncProgressDescription().toStdString();
  }

  bool liveReady() {
    return waitUntil([&] { return model->fixtureControlStatus() == "Live controls ready"_L1; });
  }

  std::shared_ptr<ManualLevelCommandScheduler> storeClock =
      std::make_shared<ManualLevelCommandScheduler>();
  std::shared_ptr<ManualLevelCommandScheduler> sessionClock =
      std::make_shared<ManualLevelCommandScheduler>();
  EosConsoleDouble console;
  std::unique_ptr<AppViewModel> model;
  QStringList liveStatuses;
  QList<int> writers;
};

TEST_F(AppViewModelFixtureControlTest, LiveControlsReadAndWriteOnTheirOwnConnection) {
  connectAndSync();
  ASSERT_TRUE(liveReady());
  EXPECT_EQ(liveStatuses.mid(liveStatuses.indexOf(u"Preparing Live controls…"_s)),
            (QStringList{u"Preparing Live controls…"_s, u"Live controls ready"_s}));
  EXPECT_EQ(console.tcpClientCount(), 2);
  ASSERT_TRUE(waitUntil([&] { return model->parkStatusMessage() == "2 channels parked"_L1; }))
      << model->parkStatusMessage().toStdString();
  EXPECT_TRUE(model->canControlFixtures());

  ASSERT_TRUE(model->fixtureControls().requestParameters(5));
  ASSERT_TRUE(waitUntil([&] {
    const auto state = model->fixtureControls().state(5);
    return state && !state->parameters.empty();
  }));
  // Levels that are not numbers never leave; a finite one goes out on the Live user.
  for (double level : {std::nan(""), std::numeric_limits<double>::infinity(),
                       -std::numeric_limits<double>::infinity()})
    model->setIntensity(5, level);
  model->setIntensity(5, 80);
  ASSERT_TRUE(waitUntil([&] { return !writers.isEmpty(); }));
  EXPECT_EQ(writers, QList<int>{console.firstAutoUser});

  // Viewer mode closes the gate even with a current show; a channel outside the patch is
  // never asked about.
  EXPECT_FALSE(model->parkChannel(900, FixtureParkAction::park));
  model->setInteractionMode(InteractionMode::viewer);
  EXPECT_FALSE(model->canControlFixtures());
}

TEST_F(AppViewModelFixtureControlTest, AFailedLiveSessionLeavesTheMainConnectionAlone) {
  // The Live session never gets its console user, and its step deadline passes.
  console.setHandler(u"/eos/user/auto"_s, [](const OSCMessage &) { return QList<OSCMessage>{}; });
  connectAndSync();
  ASSERT_TRUE(waitUntil([&] { return liveStatuses.contains(u"Preparing Live controls…"_s); }));
  sessionClock->advance(8);
  ASSERT_TRUE(waitUntil([&] {
    return model->fixtureControlStatus().startsWith("Live controls unavailable: "_L1);
  })) << model->fixtureControlStatus().toStdString();
  EXPECT_TRUE(manager().isConnected());
  EXPECT_EQ(model->dataStatusMessage(), "Synced"_L1);
  EXPECT_TRUE(model->isShowDataCurrent());
  EXPECT_FALSE(AppViewModelTestAccess::reconnectScheduled(*model));
}

TEST_F(AppViewModelFixtureControlTest, AnUnansweredDetailReadEndsTheLiveControls) {
  console.setHandler(u"/eos/get/params/7"_s,
                     [](const OSCMessage &) { return QList<OSCMessage>{}; });
  connectAndSync();
  ASSERT_TRUE(liveReady());
  ASSERT_TRUE(model->fixtureControls().requestParameters(7));
  storeClock->advance(3.1);
  EXPECT_EQ(model->fixtureControlStatus(),
            "Live controls unavailable: Fixture 7 detail response timed out"_L1);
  EXPECT_FALSE(model->isFixtureControlReady());
  EXPECT_TRUE(manager().isConnected());
}

TEST_F(AppViewModelFixtureControlTest, ParkChecksCountPatchedChannelsAndRefuseWhatTheyMayNotDo) {
  connectAndSync();
  ASSERT_TRUE(liveReady());
  ASSERT_TRUE(waitUntil([&] { return model->parkStatusMessage() == "2 channels parked"_L1; }));

  // One observation at a time: the second request changes nothing.
  console.parkedChannels = {3};
  EXPECT_TRUE(model->refreshParkedChannels(0, std::nullopt));
  EXPECT_FALSE(model->refreshParkedChannels(0, std::nullopt));
  EXPECT_EQ(model->parkStatusMessage(), u"Checking parked channels…"_s);
  ASSERT_TRUE(waitUntil([&] { return model->parkStatusMessage() == "1 channel parked"_L1; }));

  // A viewer may read the parked channels, never act on them; no channel outside
  // 1...999999 is acted on.
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
    EXPECT_FALSE(model->isRefreshingParkedChannels());
  }
  EXPECT_EQ(console.parkedChannels, std::set<int>{3});
  EXPECT_TRUE(model->refreshParkedChannels(0, std::nullopt));
  EXPECT_TRUE(waitUntil([&] { return model->parkStatusMessage() == "1 channel parked"_L1; }));
}

TEST_F(AppViewModelFixtureControlTest, IdentifyIsRecordedOnlyWhenTheFlashWentOut) {
  connectAndSync();
  ASSERT_TRUE(liveReady());
  const Channel channel = model->channels().at(4);
  AppViewModelTestAccess::setPendingPatchWrite(*model, AppViewModel::PatchWritePhase::sending);
  model->identifyFixture(channel);
  EXPECT_TRUE(model->commandHistory().isEmpty());

  AppViewModelTestAccess::setConsoleSession(*model, QString(), std::nullopt);
  model->identifyFixture(channel);
  ASSERT_EQ(model->commandHistory().size(), 1);
  EXPECT_EQ(model->commandHistory().last().text, "Identify channel 5"_L1);
  EXPECT_EQ(model->commandHistory().last().source, "Sent"_L1);
}

TEST_F(AppViewModelFixtureControlTest, IntensityGoesOnlyToAnAdjustableIntensityParameter) {
  const struct {
    int channel;
    EosConsoleDouble::FixtureParameter parameter;
    bool sent;
  } cases[] = {
      {1, {u"Intens_ity"_s, 20, 0, 100}, true},  {2, {u"INTENSITY"_s, 20, 0, 100}, true},
      {3, {u"intens"_s, 20, 0, 100}, true},      {4, {u"intensity2"_s, 20, 0, 100}, false},
      {6, {u"Intensity"_s, 150, 0, 100}, false}, {7, {u"Intensity"_s, 0, 0, 0}, false},
  };
  for (const auto &row : cases) console.fixtures[row.channel].parameters = {row.parameter};
  connectAndSync();
  ASSERT_TRUE(liveReady());
  for (const auto &row : cases) {
    ASSERT_TRUE(model->fixtureControls().requestParameters(row.channel));
    ASSERT_TRUE(waitUntil([&] {
      const auto state = model->fixtureControls().state(row.channel);
      return state && !state->parameters.empty();
    }));
    model->setIntensity(row.channel, 80);
  }
  QStringList expected;
  for (const auto &row : cases) {
    if (row.sent)
      expected.append(u"/eos/chan/%1/param/%2"_s.arg(row.channel).arg(row.parameter.name));
  }
  const auto written = [&] {
    QStringList addresses;
    for (const OSCMessage &request : console.requests()) {
      if (request.address.contains("/param/"_L1)) addresses.append(request.address);
    }
    return addresses;
  };
  EXPECT_TRUE(waitUntil([&] { return written().size() >= expected.size(); }));
  EXPECT_EQ(written(), expected);
}

TEST_F(AppViewModelFixtureControlTest, AShowChangeSeenByTheLiveSessionReloadsThroughTheLossPath) {
  // Only the Live session's connection hears of the new show.
  console.setHandler(u"/eos/get/params/5"_s, [](const OSCMessage &) {
    return QList<OSCMessage>{{u"/eos/out/event/show/loaded"_s, {}}};
  });
  connectAndSync();
  ASSERT_TRUE(liveReady());
  AppViewModelTestAccess::setWantsConnection(*model, true);
  QStringList statuses;
  QObject::connect(model.get(), &AppViewModel::dataStatusMessageChanged, model.get(),
                   [&](const QString &text) { statuses.append(text); });
  ASSERT_TRUE(model->fixtureControls().requestParameters(5));
  ASSERT_TRUE(waitUntil([&] { return !statuses.isEmpty(); }));
  EXPECT_EQ(statuses.first(),
            u"Live controls: The console show changed during the Live control session. — cached "
            u"data retained"_s);
  EXPECT_TRUE(AppViewModelTestAccess::reconnectScheduled(*model));
  EXPECT_TRUE(waitUntil([&] { return !manager().isConnected(); }));
  EXPECT_EQ(model->fixtureControlStatus(), "Live controls are offline"_L1);
}

}  // namespace
}  // namespace tarnik::testing
