// The show mirror built alone: a real connection to the console double, a session value the
// test owns, and the failures the mirror announces.
// Nothing routes the console's replies to the mirror here, so a started sync stays open
// until the test answers for the console.

#include "app/ShowMirror.h"
#include "link/OSCManagerTestSupport.h"
#include "support/EosConsoleDouble.h"
#include "support/ManualAppTiming.h"
#include "support/QtTestApplication.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

class ShowMirrorTest : public ::testing::Test {
 protected:
  ShowMirrorTest() {
    ensureCoreApplication();
    QObject::connect(&mirror, &ShowMirror::syncFailed, &mirror,
                     [this](const QString &status) { failures.append(status); });
  }

  void connect() {
    manager->connect(u"127.0.0.1"_s, consolePort(console, packetLengthCase));
    ASSERT_TRUE(waitUntil([&] { return manager->isConnected(); }));
  }

  EosConsoleDouble console;
  std::unique_ptr<OSCManager> manager = makeManager(packetLengthCase);
  std::shared_ptr<ManualAppTiming> timing = std::make_shared<ManualAppTiming>();
  ConsoleSession session;
  const std::optional<QString> reconnectFailure;
  ShowMirror mirror{*manager, timing, session, reconnectFailure, 30, 2};
  QStringList failures;
};

// The replies the model's dispatcher hands the mirror, while `syncs` holds; the channel
// reads' replies always.
void routeReplies(OSCManager &manager, ShowMirror &mirror, const bool &syncs) {
  QObject::connect(
      &manager, &OSCManager::lastReceivedMessageChanged, &mirror,
      [&](const std::optional<OSCMessage> &message) {
        if (!message) return;
        const QList<QStringView> pieces =
            QStringView(message->address).split(u'/', Qt::SkipEmptyParts);
        const AddressComponents components(pieces.cbegin(), pieces.cend());
        const auto argument = [&] { return message->arguments.value(0).value; };
        if (components.size() >= 9 && components[3] == "patch"_L1 && components[6] == "list"_L1) {
          return mirror.handlePatchListReply(message->arguments, components);
        }
        if (!syncs) return;
        if (components.size() >= 10 && components[3] == "cue"_L1) {
          mirror.handleCueListReply(message->arguments, components);
        } else if (message->address == "/eos/out/get/show/path"_L1) {
          mirror.handleShowPath(std::get<QString>(argument()));
        } else if (message->address.endsWith("/count"_L1)) {
          mirror.handleCountReply(std::get<qint32>(argument()), components[3] == "patch"_L1);
        }
      });
}

TEST_F(ShowMirrorTest, ShowDataIsCurrentOnlyForACompletedSyncOfThisSessionAndShow) {
  connect();
  const struct {
    const char *name;
    std::optional<QString> live, published;
    bool completed, syncing, cleared, current;
  } cases[] = {
      {"synced", u"/s/a.esf"_s, u"/s/a.esf"_s, true, false, false, true},
      {"same show, other spelling", u"/s/a.esf"_s, u" /s/a.esf "_s, true, false, false, true},
      {"sync running", u"/s/a.esf"_s, u"/s/a.esf"_s, true, true, false, false},
      {"no sync in this session", u"/s/a.esf"_s, u"/s/a.esf"_s, false, false, false, false},
      {"empty live identity", u""_s, u""_s, true, false, false, false},
      {"another show on screen", u"/s/a.esf"_s, u"/s/b.esf"_s, true, false, false, false},
      {"show cleared", u"/s/a.esf"_s, u"/s/a.esf"_s, true, false, true, false},
  };
  for (const auto &row : cases) {
    session = ConsoleSession{};
    session.liveShowIdentity = row.live;
    session.publishedShowIdentity = row.published;
    session.showIsCleared = row.cleared;
    if (row.completed) session.completedSyncSessionID = session.id;
    if (row.syncing) mirror.requestFullSync(u"Sync"_s);
    EXPECT_EQ(mirror.isSyncing(), row.syncing) << row.name;
    EXPECT_EQ(mirror.isShowDataCurrent(), row.current) << row.name;
    mirror.resetSession();
  }
}

TEST_F(ShowMirrorTest, APathThatNoLongerMatchesTheRunningSyncFailsIt) {
  connect();
  session.liveShowIdentity = u"/a.esf"_s;
  mirror.requestFullSync(u"Sync"_s);
  mirror.handleShowPath(u"/a.esf"_s);
  ASSERT_EQ(mirror.syncGeneration()->showName, u"/a.esf"_s);
  // The session forgot which show the console holds, then hears of another one.
  session.liveShowIdentity.reset();
  mirror.handleShowPath(u"/b.esf"_s);
  EXPECT_EQ(failures, QStringList{u"Show identity changed during sync — cached data retained"_s});
  EXPECT_FALSE(mirror.isSyncing());
}

TEST_F(ShowMirrorTest, OnlyTheRunningSyncsOwnTimeLimitEndsIt) {
  connect();
  session.liveShowIdentity = u"/a.esf"_s;
  mirror.requestFullSync(u"First"_s);
  timing->advance(10);
  mirror.handleShowPath(u"/b.esf"_s);  // another show: the first sync fails at once
  ASSERT_EQ(failures, QStringList{u"Show changed during sync — cached data retained"_s});
  mirror.requestFullSync(u"Second"_s);
  timing->advance(29.9);  // past the first sync's limit
  EXPECT_TRUE(mirror.isSyncing());
  timing->advance(0.1);
  EXPECT_FALSE(mirror.isSyncing());
  EXPECT_EQ(failures.last(), u"Sync timed out — cached data retained"_s);
}

// A channel read publishes its level only while nothing has overtaken it; a sync asked for
// meanwhile waits for the answer.
TEST_F(ShowMirrorTest, AChannelReadPublishesOnlyALevelNothingHasOvertaken) {
  using Purpose = ShowMirror::DirectPatchReadPurpose;
  ConsoleShow show = console.show();
  show.path = u"/shows/patch.esf"_s;
  show.patch = {ConsolePatchPart::dimmer(2, 1, 2)};
  console.setShow(show);
  bool syncs = true;
  routeReplies(*manager, mirror, syncs);
  connect();
  mirror.requestFullSync(u"Sync"_s);
  ASSERT_TRUE(waitUntil([&] { return !mirror.isSyncing(); }));
  ASSERT_EQ(mirror.channels().size(), 1);
  syncs = false;
  const ConsoleSession synced = session;

  const struct {
    const char *name;
    Purpose purpose;
    bool changeSentMeanwhile;
    bool showCurrent;
    bool published;
  } cases[] = {
      {"current level", Purpose::levelRefresh, false, true, true},
      {"a change sent meanwhile", Purpose::levelRefresh, true, true, false},
      {"show data not current", Purpose::levelRefresh, false, false, false},
      // No change records its own sequence per channel, so nothing is confirmed.
      {"confirmation", Purpose::mutationConfirmation, false, true, false},
  };
  qint64 sequence = 0;
  qint32 level = 60;
  for (const auto &row : cases) {
    show.patchPart(2, 1)->fields[ConsolePatchPart::level] = OSCArgument::fromInt(++level);
    console.setShow(show);
    if (!row.showCurrent) session.completedSyncSessionID.reset();
    mirror.readChannelPatch(2, {sequence, row.purpose});
    EXPECT_EQ(mirror.outstandingChannelReads(), 1) << row.name;
    mirror.requestFullSync(u"Console data changed"_s);
    EXPECT_EQ(mirror.dataStatusMessage(), u"Waiting for channel readback"_s) << row.name;
    if (row.changeSentMeanwhile) {
      mirror.noteChangeSent();
      ++sequence;
    }
    ASSERT_TRUE(waitUntil([&] { return mirror.outstandingChannelReads() == 0; })) << row.name;
    EXPECT_EQ(mirror.channels().first().level == level, row.published) << row.name;
    // The held sync started once the read had ended.
    EXPECT_EQ(mirror.dataStatusMessage(), u"Console data changed"_s) << row.name;
    EXPECT_TRUE(mirror.isSyncing()) << row.name;
    mirror.resetSession();
    session = synced;
  }
}

}  // namespace
}  // namespace tarnik::testing
