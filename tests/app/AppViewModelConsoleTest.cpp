// Console feedback, commands through the control gate, and change notifications, against
// the console double where the console takes part.

#include "AppViewModelTestSupport.h"
#include "foundation/UptimeClock.h"
#include "link/OSCManagerTestSupport.h"
#include "support/QtPrinting.h"

#include <QUdpSocket>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

OSCArgument text(const QString &value) { return OSCArgument::fromString(value); }

class AppViewModelFeedbackTest : public AppViewModelTest {};

TEST_F(AppViewModelFeedbackTest, CommandLinesAreShownAndRecordedOnce) {
  const std::unique_ptr<AppViewModel> model = makeModel();
  const auto line = [&](const char *address, const QString &value) {
    model->handleOSCMessage(QString::fromUtf8(address), {text(value)});
  };
  // raw, mode, displayed after each line
  struct Case {
    QString line, raw, mode, displayed;
  };
  const QList<Case> cases{
      {u"LIVE: Chan 1 Full #"_s, u"LIVE: Chan 1 Full #"_s, u"LIVE"_s, u"Chan 1 Full ◆"_s},
      {u"live: Cue 12.5 : Go"_s, u"live: Cue 12.5 : Go"_s, u"LIVE"_s, u"Q12.5: Go"_s},
      {u"BLIND:"_s, u"BLIND:"_s, u"BLIND"_s, QString()},
      {u" Chan 2\u00a0"_s, u"Chan 2"_s, u"BLIND"_s, u"Chan 2"_s},
      {u"Patch Channel: 5"_s, u"Patch Channel: 5"_s, u"PATCH"_s, u"5"_s},
  };
  for (const Case &row : cases) {
    line("/eos/out/cmd", row.line);
    EXPECT_EQ(model->rawConsoleCommandLine(), row.raw);
    EXPECT_EQ(model->consoleModeLabel(), row.mode);
    EXPECT_EQ(model->displayedCommandLine(), row.displayed);
    EXPECT_EQ(model->commandLineText(), row.displayed);
  }
  // Another user's line counts only while this connection is that user.
  line("/eos/out/user/3/cmd", u"Other"_s);
  model->handleOSCMessage(u"/eos/out/user"_s, {OSCArgument::fromInt(2)});
  line("/eos/out/user/3/cmd", u"Other"_s);
  EXPECT_EQ(model->rawConsoleCommandLine(), u"Patch Channel: 5"_s);
  line("/eos/out/user/2/cmd", u"Mine"_s);
  EXPECT_EQ(model->rawConsoleCommandLine(), u"Mine"_s);

  // A repeat within 0.25 s is one entry; 0.3 s later it is a new one.
  line("/eos/out/cmd", u"Mine"_s);
  timing->advance(0.3);
  line("/eos/out/cmd", u"Mine"_s);
  QStringList recorded;
  for (const CommandHistoryEntry &entry : model->commandHistory()) {
    EXPECT_EQ(entry.source, u"Console"_s);
    recorded.append(entry.text);
  }
  EXPECT_EQ(recorded, (QStringList{u"LIVE: Chan 1 Full #"_s, u"live: Cue 12.5 : Go"_s, u"BLIND:"_s,
                                   u"Chan 2"_s, u"Patch Channel: 5"_s, u"Mine"_s, u"Mine"_s}));
}

TEST_F(AppViewModelFeedbackTest, CueFeedbackReadsNumberLabelAndProgress) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char *address;
    OSCArgument argument;
    QString number, label;
    std::optional<double> progress;
  };
  // Each row starts from cue "9", label "Old", progress 0.5.
  const QList<Case> cases{
      {"/eos/out/active/cue/text", text(u"1/5 Act 3 45%"_s), u"5"_s, u"Act"_s, 0.45},
      {"/eos/out/active/cue/text", text(u"5 Act 2"_s), u"5"_s, u"Act"_s, {}},
      {"/eos/out/active/cue/text", text(u"5 150%"_s), u"5"_s, QString(), 1.0},
      {"/eos/out/active/cue/text", text(u"5 -20%"_s), u"5"_s, QString(), 0.0},
      {"/eos/out/active/cue/text", text(u"5 Act nan%"_s), u"5"_s, u"Act nan%"_s, {}},
      {"/eos/out/active/cue/text", text(u"x5 Act"_s), u"9"_s, u"Old"_s, 0.5},
      {"/eos/out/active/cue/text", text(u"  "_s), QString(), QString(), {}},
      {"/eos/out/active/cue/1/7", OSCArgument::fromFloat(0.25f), u"7"_s, u"Old"_s, 0.25},
      {"/eos/out/active/cue/1/7", OSCArgument::fromInt(1), u"7"_s, u"Old"_s, 1.0},
      {"/eos/out/active/cue/1/7", text(u"0.9"_s), u"7"_s, u"Old"_s, 0.5},
      {"/eos/out/active/cue/1/7", OSCArgument::fromFloat(nan), u"7"_s, u"Old"_s, 0.5},
      {"/eos/out/active/cue/1/7.", OSCArgument::fromInt(1), u"9"_s, u"Old"_s, 0.5},
  };
  for (const Case &row : cases) {
    SCOPED_TRACE(row.address + (" #" + std::to_string(&row - cases.data())));
    const std::unique_ptr<AppViewModel> model = makeModel();
    model->handleOSCMessage(u"/eos/out/active/cue/text"_s, {text(u"9 Old 50%"_s)});
    model->handleOSCMessage(QString::fromUtf8(row.address), {row.argument});
    EXPECT_EQ(model->activeCueNumber(), row.number);
    EXPECT_EQ(model->activeCue(), row.number);
    EXPECT_EQ(model->activeCueLabel(), row.label);
    EXPECT_EQ(model->activeCueProgress(), row.progress);
  }
}

// A model connected to the double over TCP, its first sync done.
class AppViewModelCommandsTest : public AppViewModelTest {
 protected:
  AppViewModelCommandsTest() {
    timing = std::make_shared<ManualAppTiming>(systemUptime(), 800'000'000.0);
  }
  void connectModel(bool waitForSync = true) {
    console.setShow(generateConsoleShow(3, 2, 1));
    model = makeModel({.oscManager = std::make_unique<OSCManager>(5, 5)});
    QObject::connect(model.get(), &AppViewModel::dataStatusMessageChanged,
                     [this](const QString &text) { statuses.append(text); });
    model->setConsoleIP(u"127.0.0.1"_s);
    model->setConnectionTransport(OSCTransport::tcp);
    model->setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::packetLength)));
    model->connect();
    if (waitForSync) {
      ASSERT_TRUE(synced());
    }
  }
  bool synced() {
    return waitUntil([&] { return model->dataStatusMessage() == "Synced"_L1; });
  }
  QStringList commandLines() {
    QStringList lines;
    for (const OSCMessage &request : console.requests(u"/eos/cmd"_s))
      lines.append(std::get<QString>(request.arguments.value(0).value));
    return lines;
  }
  qsizetype countRequests() { return console.requests(u"/eos/get/cue/1/count"_s).size(); }
  QString lastHistory() { return model->commandHistory().last().text; }

  EosConsoleDouble console;
  std::unique_ptr<AppViewModel> model;
  QStringList statuses;
};

TEST_F(AppViewModelCommandsTest, RecordCueSendsItsLinesAndReadsTheCueBack) {
  connectModel();
  const qsizetype counts = countRequests();
  model->recordCue(u" 12 "_s, u"say \"hi\""_s, u"3"_s);
  model->recordCue(u"13"_s, QString(), u".5"_s);
  ASSERT_TRUE(waitUntil([&] { return commandLines().size() == 3; }));
  EXPECT_EQ(commandLines(),
            (QStringList{u"Record Cue 12 Time 3 Enter"_s, u"Cue 12 Label \"say 'hi'\" Enter"_s,
                         u"Record Cue 13 Time .5 Enter"_s}));
  timing->advance(0.7);
  EXPECT_EQ(countRequests(), counts);
  timing->advance(0.1);
  EXPECT_TRUE(waitUntil([&] { return countRequests() == counts + 1; }));
}

TEST_F(AppViewModelCommandsTest, RefusesBadInputBeforeSendingAnything) {
  connectModel();
  // number, label, time; the rejection's history row
  const QList<std::tuple<QString, QString, QString, QString>> cases{
      {u"1."_s, {}, {}, u"Record cue — invalid cue number"_s},
      {u".5"_s, {}, {}, u"Record cue — invalid cue number"_s},
      {u"1,5"_s, {}, {}, u"Record cue — invalid cue number"_s},
      {u"12"_s, QString(257, u'x'), {}, u"Record Cue 12 — invalid label"_s},
      {u"12"_s, u"a\tb"_s, {}, u"Record Cue 12 — invalid label"_s},
      {u"12"_s, {}, u"nan"_s, u"Record Cue 12 — invalid time"_s},
      {u"12"_s, {}, u"inf"_s, u"Record Cue 12 — invalid time"_s},
      {u"12"_s, {}, u"-3"_s, u"Record Cue 12 — invalid time"_s},
      {u"12"_s, {}, u"1e3"_s, u"Record Cue 12 — invalid time"_s},
      {u"12"_s, {}, u"0x1p3"_s, u"Record Cue 12 — invalid time"_s},
      {u"12"_s, {}, u"."_s, u"Record Cue 12 — invalid time"_s},
  };
  for (const auto &[number, label, time, rejection] : cases) {
    model->recordCue(number, label, time);
    EXPECT_EQ(lastHistory(), rejection);
    EXPECT_EQ(model->commandHistory().last().source, u"Rejected"_s);
  }
  model->fireCue(Cue{.number = u"5\n"_s}, 1);
  EXPECT_EQ(lastHistory(), u"Fire cue — invalid cue or cue list"_s);
  for (const QString &key : {u"Go To"_s, u"a/b"_s, u"Go\nTo"_s}) {
    model->sendKey(key);
    EXPECT_EQ(lastHistory(), u"Send key — invalid key"_s);
  }
  model->recordCue(u"12"_s, QString(256, u'x'), u"3."_s);
  ASSERT_TRUE(waitUntil([&] { return commandLines().size() == 2; }));
  EXPECT_EQ(commandLines().first(), u"Record Cue 12 Time 3. Enter"_s);
  EXPECT_TRUE(console.requests(u"/eos/key/Go To"_s).isEmpty());
}

TEST_F(AppViewModelCommandsTest, TheGateLetsKeysThroughBeforeTheFirstSync) {
  console.setHandler(u"/eos/get/cue/1/count"_s,
                     [](const OSCMessage &) { return QList<OSCMessage>{}; });
  connectModel(false);
  ASSERT_TRUE(waitUntil([&] { return model->oscManager()->lastPingResponseUptime().has_value(); }));
  model->sendKey(u"Go_To+1"_s);
  model->recordCue(u"5"_s, {}, {});
  EXPECT_EQ(model->dataStatusMessage(),
            u"Command rejected — current console session has not completed show sync"_s);
  EXPECT_TRUE(waitUntil([&] { return console.requests(u"/eos/key/Go_To+1"_s).size() == 1; }));
  EXPECT_EQ(model->lastCommandSummary(), u"Key Go_To+1"_s);

  model->setInteractionMode(InteractionMode::viewer);
  model->sendKey(u"Enter"_s);
  EXPECT_EQ(lastHistory(), u"Key Enter — Viewer mode"_s);
  model->setInteractionMode(InteractionMode::editor);
  timing->advance(6);
  model->sendKey(u"Enter"_s);
  EXPECT_EQ(lastHistory(), u"Key Enter — no recent matched console ping"_s);
}

// A viewer watches: on a synced, answering console every command is refused and recorded,
// and nothing reaches the console.
TEST_F(AppViewModelCommandsTest, ViewerModeRefusesEveryCueCommand) {
  connectModel();
  ASSERT_TRUE(waitUntil([&] { return model->oscManager()->lastPingResponseUptime().has_value(); }));
  model->setInteractionMode(InteractionMode::viewer);
  const qsizetype sent = console.requests().size();
  const qsizetype pings = console.requests(u"/eos/ping"_s).size();
  const qsizetype recorded = model->commandHistory().size();
  const std::function<void()> commands[] = {
      [&] { model->recordCue(u"12"_s, u"Label"_s, u"3"_s); },
      [&] { model->setCueScene(u"12"_s, u"Scene"_s, 1); },
      [&] { model->removeCueScene(u"12"_s, 1); },
      [&] { model->fireCue(Cue{.number = u"12"_s}, 1); },
      [&] { model->sendKey(u"Go"_s); },
  };
  for (const auto &command : commands) {
    command();
    EXPECT_TRUE(lastHistory().endsWith(u" — Viewer mode"_s)) << lastHistory().toStdString();
    EXPECT_EQ(model->commandHistory().last().source, u"Rejected"_s);
  }
  EXPECT_EQ(model->commandHistory().size(), recorded + 5);
  // A ping sent after them arrives after anything they could have sent.
  model->oscManager()->sendPing();
  ASSERT_TRUE(waitUntil([&] { return console.requests(u"/eos/ping"_s).size() > pings; }));
  EXPECT_TRUE(std::ranges::all_of(console.requests().mid(sent), [](const OSCMessage &request) {
    return request.address == "/eos/ping"_L1;
  }));
}

TEST_F(AppViewModelCommandsTest, HistoryKeepsTheNewest200) {
  model = makeModel();
  for (int entry = 1; entry <= 201; ++entry) model->sendKey(QString::number(entry));
  EXPECT_EQ(model->commandHistory().size(), 200);
  EXPECT_EQ(model->commandHistory().first().text, u"Key 2 — console transport is not ready"_s);
  EXPECT_EQ(lastHistory(), u"Key 201 — console transport is not ready"_s);
}

TEST_F(AppViewModelCommandsTest, NotificationsLeadToOneDebouncedSync) {
  connectModel();
  const qsizetype counts = countRequests();
  int received = 0;
  QObject::connect(model->oscManager(), &OSCManager::lastReceivedMessageChanged, model.get(),
                   [&](const std::optional<OSCMessage> &message) {
                     if (message && message->address.startsWith("/eos/out/notify/"_L1)) ++received;
                   });
  for (int notice = 1; notice <= 10; ++notice) {
    console.send({{u"/eos/out/notify/cue/1"_s, {OSCArgument::fromInt(notice)}}});
    ASSERT_TRUE(waitUntil([&] { return received == notice; }));
    timing->advance(0.1);
  }
  timing->advance(0.6);
  EXPECT_EQ(countRequests(), counts);
  timing->advance(0.1);
  ASSERT_TRUE(synced());
  EXPECT_EQ(countRequests(), counts + 1);
  EXPECT_TRUE(statuses.contains(u"Console data changed"_s));

  // A patch change makes the data stale until the next sync completes.
  statuses.clear();
  console.send({{u"/eos/out/notify/patch"_s, {OSCArgument::fromInt(1)}}});
  ASSERT_TRUE(waitUntil([&] { return received == 11; }));
  EXPECT_TRUE(statuses.contains(u"Patch changed — reloading"_s));
  model->recordCue(u"5"_s, {}, {});
  EXPECT_EQ(model->dataStatusMessage(),
            u"Command rejected — current console session has not completed show sync"_s);
  timing->advance(0.75);
  EXPECT_TRUE(synced());
}

TEST_F(AppViewModelCommandsTest, ARefreshAskedForDuringASyncRunsAfterIt) {
  connectModel();
  const qsizetype counts = countRequests();
  model->requestFullSync(u"Manual"_s);
  model->handleOSCMessage(u"/eos/out/notify/cuelist/1"_s, {});
  ASSERT_TRUE(synced());
  timing->advance(0.75);
  ASSERT_TRUE(synced());
  EXPECT_EQ(countRequests(), counts + 2);
  model->disconnect();
  ASSERT_TRUE(waitUntil([&] { return !model->oscManager()->isConnected(); }));
  model->handleOSCMessage(u"/eos/out/notify/cue/1"_s, {});
  EXPECT_FALSE(timing->pendingDelays().contains(0.75));
}

TEST_F(AppViewModelCommandsTest, AClearedShowEmptiesEverythingUntilTheNextPath) {
  connectModel();
  ASSERT_FALSE(model->cues().isEmpty());
  console.sendShowEvent(u"cleared"_s);
  ASSERT_TRUE(waitUntil([&] { return model->dataStatusMessage() == "No show loaded"_L1; }));
  EXPECT_EQ(model->syncProgressDescription(), u"No show loaded"_s);
  EXPECT_TRUE(model->cues().isEmpty() && model->channels().isEmpty());
  EXPECT_EQ(model->showFileName(), QString());
  statuses.clear();
  model->requestFullSync(u"Manual"_s);
  EXPECT_EQ(model->dataStatusMessage(), u"No show loaded"_s);
  console.showPath = u"/shows/next.esf"_s;
  model->handleOSCMessage(u"/eos/out/get/show/path"_s, {text(u"/shows/next.esf"_s)});
  model->requestFullSync(u"Manual"_s);
  EXPECT_TRUE(synced());
}

TEST_F(AppViewModelCommandsTest, ASaveUnderANewPathRebindsTheSyncedShow) {
  connectModel();
  const qsizetype counts = countRequests();
  // A channel read still out follows the saved show only once the fixture store has: an
  // answer taken while the store is being bound is still the old name's.
  model->readChannelPatch(model->channels().first().number,
                          {0, AppViewModel::DirectPatchReadPurpose::levelRefresh});
  std::optional<qsizetype> readsWhileBinding;
  FixtureControlStore &store = model->fixtureControls();
  QObject::connect(&store, &FixtureControlStore::showIdentityChanged, model.get(), [&] {
    if (store.showIdentity() != u"/shows/renamed.esf"_s) return;
    OSCManager &manager = *model->oscManager();
    const qint64 answered = manager.roundTripSampleCount();
    manager.sendPing();  // answered behind the read
    EXPECT_TRUE(waitUntil([&] { return manager.roundTripSampleCount() > answered; }));
    readsWhileBinding = model->showMirror().outstandingChannelReads();
  });
  model->handleOSCMessage(u"/eos/out/event/show/saved"_s, {text(u" /shows/renamed.esf "_s)});
  EXPECT_EQ(readsWhileBinding, 1);
  EXPECT_EQ(model->dataStatusMessage(), u"Synced"_s);
  EXPECT_TRUE(model->isShowDataCurrent());
  ASSERT_TRUE(waitUntil([&] {
    return std::ranges::any_of(model->savedShowFiles(), [](const SavedShowFile &file) {
      return file.storageKey.contains("renamed"_L1);
    });
  }));
  EXPECT_EQ(countRequests(), counts);
}

TEST_F(AppViewModelCommandsTest, ALoadedShowReconnectsAndSyncsIt) {
  connectModel();
  console.showPath = u"/shows/other.esf"_s;
  statuses.clear();
  model->handleOSCMessage(u"/eos/out/event/show/loaded"_s, {text(u"/shows/other.esf"_s)});
  EXPECT_TRUE(statuses.contains(u"Show loaded — reloading"_s));
  EXPECT_TRUE(model->cues().isEmpty());
  ASSERT_TRUE(waitUntil([&] { return !model->oscManager()->isConnected(); }));
  timing->advance(1);
  ASSERT_TRUE(synced());
  EXPECT_TRUE(model->isShowDataCurrent());

  model->handleOSCMessage(u"/eos/out/event/show/loaded"_s, {text(u"  "_s)});
  EXPECT_EQ(model->dataStatusMessage(), u"No show loaded"_s);
  EXPECT_TRUE(model->oscManager()->isConnected());
}

}  // namespace
}  // namespace tarnik::testing
