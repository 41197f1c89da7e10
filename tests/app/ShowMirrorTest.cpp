// The show mirror built alone: a real connection to the console double, a session value the
// test owns, and an owner that records what the mirror asks of the rest of the model.
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

struct RecordingOwner final : ShowMirror::Owner {
  bool patchCommandsInProgress() const override { return false; }
  bool holdsSyncForChannelReads(const QString &) override { return false; }
  std::optional<QString> reconnectFailureStatus() const override { return std::nullopt; }
  void syncStarting() override {}
  void syncFailed(const QString &status, const QString &) override { failures.append(status); }
  void syncDiscardedForPatchChange() override {}
  void syncPublished(const QString &) override {}

  QStringList failures;
};

class ShowMirrorTest : public ::testing::Test {
 protected:
  ShowMirrorTest() { ensureCoreApplication(); }

  void connect() {
    manager->connect(u"127.0.0.1"_s, consolePort(console, packetLengthCase));
    ASSERT_TRUE(waitUntil([&] { return manager->isConnected(); }));
  }

  EosConsoleDouble console;
  std::unique_ptr<OSCManager> manager = makeManager(packetLengthCase);
  std::shared_ptr<ManualAppTiming> timing = std::make_shared<ManualAppTiming>();
  ConsoleSession session;
  RecordingOwner owner;
  ShowMirror mirror{*manager, timing, session, owner, 30};
};

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
  EXPECT_EQ(owner.failures,
            QStringList{u"Show identity changed during sync — cached data retained"_s});
  EXPECT_FALSE(mirror.isSyncing());
}

TEST_F(ShowMirrorTest, OnlyTheRunningSyncsOwnTimeLimitEndsIt) {
  connect();
  session.liveShowIdentity = u"/a.esf"_s;
  mirror.requestFullSync(u"First"_s);
  timing->advance(10);
  mirror.handleShowPath(u"/b.esf"_s);  // another show: the first sync fails at once
  ASSERT_EQ(owner.failures, QStringList{u"Show changed during sync — cached data retained"_s});
  mirror.requestFullSync(u"Second"_s);
  timing->advance(29.9);  // past the first sync's limit
  EXPECT_TRUE(mirror.isSyncing());
  timing->advance(0.1);
  EXPECT_FALSE(mirror.isSyncing());
  EXPECT_EQ(owner.failures.last(), u"Sync timed out — cached data retained"_s);
}

}  // namespace
}  // namespace tarnik::testing
