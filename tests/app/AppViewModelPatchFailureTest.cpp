// How a patch write ends when it does not end confirmed: its session failing before or
// after its first change, a patch that changes under the reads, a readback that does not
// match, and a sync that fails while the write waits for it. (A write bound to another
// show: PatchWriteTest.)

#include "AppViewModelPatchTestSupport.h"
#include "support/QtPrinting.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

const QString sessionTimedOut =
    u"Patch command confirmation timed out. Sync to inspect any partial changes."_s;

class PatchFailures : public AppViewModelPatchEditTest {
 protected:
  qsizetype syncsStarted() const { return console.requests(u"/eos/get/patch/count"_s).size(); }

  qsizetype timesTyped(const QString &line) const {
    return console.requests(u"/eos/newcmd"_s)
        .count(OSCMessage{u"/eos/newcmd"_s, {OSCArgument::fromString(line)}});
  }

  // Starts the write and waits until its session has typed the line (again).
  bool writeReaches(const PatchDraft &draft, const QString &line) {
    const qsizetype before = timesTyped(line);
    model->beginPatchEditing(draft);
    return waitUntil([&] { return timesTyped(line) > before; });
  }

  // Starts a dimmer write for the channel whose session stalls at the line; when the console
  // patched something before that, also waits for its notice of it, which changes nothing.
  bool writeStallsAt(qint64 channel, const QString &line, bool patchesConsole) {
    console.echoOverrides = {{line, {}}};
    const qsizetype notices = patchNotices;
    return writeReaches(dimmerRange(channel, channel + 23, channel + 23), line) &&
           (!patchesConsole || patchNoticesHeard(notices + 1));
  }

  // Waits until the main connection has heard the console's patch notifications so far.
  bool patchNoticesHeard(qsizetype count) {
    return waitUntil([&] { return patchNotices >= count; });
  }

  void SetUp() override {
    AppViewModelPatchEditTest::SetUp();
    QObject::connect(model->oscManager(), &OSCManager::lastReceivedMessageChanged, model.get(),
                     [this](const std::optional<OSCMessage> &message) {
                       if (message && message->address.startsWith("/eos/out/notify/patch"_L1))
                         ++patchNotices;
                     });
  }

  bool ended(PatchSubmissionState::Kind kind) {
    return waitUntil([&] { return model->patchSubmissionState().kind == kind; });
  }

  // The debounced refresh after a failure: one more sync 0.75 s later.
  qsizetype patchNotices = 0;

  void expectRefreshSync() {
    ASSERT_TRUE(waitUntil([&] { return !model->showMirror().syncGeneration(); }));
    timing->advance(0.7);
    EXPECT_EQ(model->showMirror().syncGeneration(), nullptr);
    timing->advance(0.1);
    EXPECT_NE(model->showMirror().syncGeneration(), nullptr);
    EXPECT_TRUE(synced()) << model->dataStatusMessage().toStdString();
  }
};

using PatchSessionFailures = PatchFailures;

// The console holds back the echo of one line, so the session stalls there until its step
// deadline passes: before "Patch Enter" is acknowledged nothing was changed; once the
// channel's line is typed, something may have been.
TEST_P(PatchSessionFailures, EndAsFailedBeforeTheFirstChangeAndAsUnknownAfterIt) {
  makeReady();
  const struct {
    const char *name;
    qint64 channel;
    QString stalledLine;
    PatchSubmissionState outcome;
    QString status;
    bool patchedOnConsole;
  } cases[] = {
      {"before", 7, u"Patch Enter"_s, PatchSubmissionState::failed(sessionTimedOut), u"Synced"_s,
       false},
      {"after", 8, u"8 At 1 / 31 Enter"_s, PatchSubmissionState::sentUnconfirmed(sessionTimedOut),
       u"Patch result unknown — reloading"_s, true},
  };
  for (const auto &row : cases) {
    ASSERT_TRUE(writeStallsAt(row.channel, row.stalledLine, row.patchedOnConsole)) << row.name;
    EXPECT_EQ(model->patchSubmissionState(), PatchSubmissionState::sending()) << row.name;
    sessionClock->advance(EosPatchCommandSession::stepTimeLimit);
    EXPECT_EQ(model->patchSubmissionState(), row.outcome) << row.name;
    EXPECT_EQ(model->dataStatusMessage(), row.status) << row.name;
    EXPECT_EQ(!console.show().channelParts(int(row.channel)).isEmpty(), row.patchedOnConsole)
        << row.name;
    console.echoOverrides.clear();
    expectRefreshSync();
    EXPECT_EQ(model->channels().size(), row.patchedOnConsole ? 3 : 2) << row.name;
  }
}

// A save while the session types ends the write, whatever name the show is saved under.
// Before its first change the saved show is the one reviewed; after it, nobody knows what
// was saved, so the show is read again.
TEST_P(PatchSessionFailures, ASaveEndsTheWriteAndAfterItsFirstChangeRereadsTheShow) {
  makeReady();
  const QString saved =
      u"The show was saved under a different identity during patching. Review and try again."_s;
  const struct {
    const char *name;
    qint64 channel;
    QString stalledLine;
    PatchSubmissionState outcome;
    QStringList statuses;  // the first ones told after the save
    bool patchedOnConsole;
  } cases[] = {
      {"before", 7, u"Patch Enter"_s, PatchSubmissionState::failed(saved), {u"Synced"_s}, false},
      {"after",
       8,
       u"8 At 1 / 31 Enter"_s,
       PatchSubmissionState::sentUnconfirmed(saved),
       {u"Patch result unknown after save — reloading"_s,
        u"Verifying saved show after partial patch"_s},
       true},
  };
  for (const auto &row : cases) {
    ASSERT_TRUE(writeStallsAt(row.channel, row.stalledLine, row.patchedOnConsole)) << row.name;
    QStringList statuses;
    const QMetaObject::Connection recording =
        QObject::connect(model.get(), &AppViewModel::dataStatusMessageChanged, model.get(),
                         [&](const QString &status) { statuses.append(status); });
    console.showPath = u"/shows/saved-"_s + QLatin1StringView(row.name) + u".esf"_s;
    console.sendShowEvent(u"saved"_s);
    ASSERT_TRUE(waitUntil([&] { return model->patchSubmissionState() == row.outcome; }))
        << row.name << " " << model->patchSubmissionState().text.toStdString();
    ASSERT_TRUE(synced()) << row.name;
    QObject::disconnect(recording);
    EXPECT_EQ(statuses.mid(0, row.statuses.size()), row.statuses) << row.name;
    EXPECT_EQ(model->channels().size(), row.patchedOnConsole ? 3 : 2) << row.name;
    console.echoOverrides.clear();
  }
}

// While the session types, no sync may read the patch it is changing.
TEST_P(PatchSessionFailures, NoSyncStartsWhileTheSessionTypes) {
  makeReady();
  console.echoOverrides = {{u"Patch Enter"_s, {}}};
  ASSERT_TRUE(writeReaches(dimmerRange(7, 30, 30), u"Patch Enter"_s));
  const qsizetype before = syncsStarted();
  model->requestFullSync(u"Console data changed"_s);
  EXPECT_EQ(model->dataStatusMessage(), u"Patch commands are in progress"_s);
  EXPECT_EQ(model->showMirror().syncGeneration(), nullptr);
  sessionClock->advance(EosPatchCommandSession::stepTimeLimit);
  EXPECT_EQ(model->patchSubmissionState(), PatchSubmissionState::failed(sessionTimedOut));
  EXPECT_EQ(syncsStarted(), before);
}

// The console's patch notification before our first line is someone else's edit; after it,
// it is the console telling us about our own.
TEST_P(PatchSessionFailures, APatchNotificationEndsOnlyAWriteThatHasNotStarted) {
  makeReady();
  const OSCMessage notification{u"/eos/out/notify/patch/list/0/1"_s, {OSCArgument::fromInt(2)}};
  console.echoOverrides = {{u"7 At 1 / 30 Enter"_s, {}}};
  const qsizetype notices = patchNotices;
  ASSERT_TRUE(writeReaches(dimmerRange(7, 30, 30), u"7 At 1 / 30 Enter"_s));
  console.send({notification});
  ASSERT_TRUE(patchNoticesHeard(notices + 2));  // the console's own of our line, and this one
  EXPECT_EQ(model->patchSubmissionState(), PatchSubmissionState::sending());
  sessionClock->advance(EosPatchCommandSession::stepTimeLimit);
  ASSERT_TRUE(ended(PatchSubmissionState::Kind::sentUnconfirmed));
  expectRefreshSync();

  console.echoOverrides = {{u"Patch Enter"_s, {}}};
  ASSERT_TRUE(writeReaches(dimmerRange(8, 31, 31), u"Patch Enter"_s));
  console.send({notification});
  ASSERT_TRUE(ended(PatchSubmissionState::Kind::failed))
      << int(model->patchSubmissionState().kind) << model->dataStatusMessage().toStdString();
  EXPECT_EQ(model->patchSubmissionState().text,
            u"The console patch changed after preflight. Review it before trying again."_s);
  EXPECT_EQ(model->dataStatusMessage(), u"Patch changed — reloading"_s);
  // The session ends with the write: its connection goes.
  EXPECT_TRUE(waitUntil([&] { return console.tcpClientCount() == 1; }));
  console.echoOverrides.clear();
  expectRefreshSync();
  EXPECT_TRUE(console.show().channelParts(8).isEmpty());
}

// Every sync the write waits for hears of another patch change: three re-reads are allowed,
// the fourth change ends the write untyped.
TEST_P(PatchFailures, APatchThatKeepsChangingDuringTheChecksEndsTheWriteAfterThreeRereads) {
  makeReady();
  for (const int changes : {3, 4}) {
    int changesLeft = changes;
    const QMetaObject::Connection changing = QObject::connect(
        &console, &EosConsoleDouble::requestReceived, &console, [&](const OSCMessage &request) {
          if (request.address == "/eos/get/patch/count"_L1 && changesLeft > 0) {
            --changesLeft;
            console.send({{u"/eos/out/notify/patch"_s, {OSCArgument::fromInt(1)}}});
          }
        });
    const qsizetype before = syncsStarted();
    model->beginPatchEditing(dimmerRange(10 + changes, 40 + changes, 40 + changes));
    QStringList statuses;
    QStringList rereads;
    for (;;) {
      ASSERT_TRUE(waitUntil([&] { return !model->showMirror().syncGeneration(); }));
      if (model->patchSubmissionState().kind != PatchSubmissionState::Kind::checking ||
          syncsStarted() - before > changes)
        break;
      statuses.append(model->dataStatusMessage());
      timing->advance(0.75);
      rereads.append(model->dataStatusMessage());
    }
    QObject::disconnect(changing);
    EXPECT_EQ(statuses.mid(0, 3), QStringList(3, u"Patch changed during sync — reloading"_s))
        << changes;
    EXPECT_EQ(rereads.mid(0, 3),
              QStringList(3, u"Patch changed during readback — checking again"_s))
        << changes;
    if (changes == 3) {
      EXPECT_EQ(syncsStarted() - before, 4);
      ASSERT_TRUE(reachesVerifying());
      ASSERT_TRUE(confirmed());
    } else {
      EXPECT_EQ(model->patchSubmissionState(),
                PatchSubmissionState::failed(
                    u"The console patch kept changing during verification. Sync and review it "
                    "before trying again."_s));
      EXPECT_TRUE(console.show().channelParts(14).isEmpty());
      expectRefreshSync();
    }
  }
}

// The review lists only the parts the patch still holds.
TEST_P(PatchFailures, ReplacementTargetsMissingFromThePatchAreLeftOutOfTheReview) {
  makeReady();
  const QList<EosPatchPart> targets = model->currentReplacementTargets({{2, 1}, {99, 1}, {2, 2}});
  ASSERT_EQ(targets.size(), 1);
  EXPECT_EQ(std::pair(targets.first().channelNumber, targets.first().partNumber),
            std::pair(qint64(2), qint64(1)));
}

TEST_P(PatchFailures, AReadbackThatDoesNotMatchThePlanLeavesTheWriteUnconfirmed) {
  makeReady();
  model->beginPatchEditing(dimmerRange(7, 30, 30));
  ASSERT_TRUE(reachesVerifying());
  // Someone moves the new part before the readback, and the console does not tell.
  ConsoleShow moved = console.show();
  moved.setPatchPart(ConsolePatchPart::dimmer(7, 1, 99));
  console.setShow(moved);
  timing->advance(0.35);
  EXPECT_TRUE(ended(PatchSubmissionState::Kind::sentUnconfirmed))
      << model->dataStatusMessage().toStdString();
  EXPECT_TRUE(model->patchSubmissionState().text.startsWith(u"Patch remains unconfirmed. "_s))
      << model->patchSubmissionState().text.toStdString();
  EXPECT_NE(model->commandHistory().value(model->commandHistory().size() - 1).source, u"Console"_s);
}

TEST_P(PatchFailures, AReadbackDueAfterTheSessionEndedReadsNothing) {
  makeReady();
  model->beginPatchEditing(dimmerRange(7, 30, 30));
  ASSERT_TRUE(reachesVerifying());
  model->resetSessionState(u"Reset"_s);
  const qsizetype before = syncsStarted();
  timing->advance(0.35);
  EXPECT_EQ(syncsStarted(), before);
  EXPECT_EQ(model->patchSubmissionState(),
            PatchSubmissionState::sentUnconfirmed(u"Patch confirmation canceled — Reset"_s));
}

// A sync the write waits for fails: the write ends with the sync's reason, before the
// connection loss that follows could cancel it under another.
TEST_P(PatchFailures, ASyncThatTimesOutEndsTheWriteWithItsReason) {
  makeReady();
  console.setHandler(u"/eos/get/patch/count"_s,
                     [](const OSCMessage &) { return QList<OSCMessage>(); });
  model->beginPatchEditing(dimmerRange(7, 30, 30));
  timing->advance(30);
  EXPECT_EQ(model->patchSubmissionState(),
            PatchSubmissionState::failed(u"Patch confirmation failed — Sync timed out"_s));
}

INSTANTIATE_TEST_SUITE_P(Transports, PatchSessionFailures, ::testing::Values(packetLengthCase),
                         transportCaseName);
INSTANTIATE_TEST_SUITE_P(Transports, PatchFailures, ::testing::Values(packetLengthCase),
                         transportCaseName);

}  // namespace
}  // namespace tarnik::testing
