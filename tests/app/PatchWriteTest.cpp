// The patch write built alone: a fake of what it asks of the model, a main connection to the
// console double on TCP, and each write's session on a virtual step clock.

#include "AppViewModelPatchTestSupport.h"
#include "app/PatchWrite.h"
#include "support/QtPrinting.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

const QString showPath = u"/shows/patch.esf"_s;
const QString showChanged =
    u"The show changed during patching. Review the current patch before trying again."_s;

// The model as the patch write sees it: a mirror without channels that is always current,
// and every request it makes, noted.
class FakeShow final : public PatchWrite::Show {
 public:
  const QList<Channel> &channels() const override { return mirrored; }
  void publishChannelReadback(qint64 channel, const PatchPart &part) override {
    readbacks.append({channel, part.snapshotLevel});
  }
  bool isSyncing() const override { return false; }
  void requestFullSync(const QString &reason) override { syncs.append(reason); }
  void invalidateCompletedSync(const QString &) override {}
  void scheduleRefresh(const std::optional<QString> &) override {}
  void dropScheduledRefresh() override {}
  const std::optional<QString> &eosFixtureLibraryVersion() const override { return libraryVersion; }
  bool isShowDataCurrent() const override { return current; }
  bool canControlFixtures() const override { return true; }
  std::optional<SideSessionRoute> consoleRoute() const override { return route; }
  bool releaseOwnedFlash(const QString &) override { return true; }
  void recordCommandHistory(const QString &, const QString &) override {}
  void handleConnectionLoss(const QString &) override {}

  QList<Channel> mirrored;
  std::optional<QString> libraryVersion;
  std::optional<SideSessionRoute> route;
  bool current = true;
  QStringList syncs;
  QList<std::pair<qint64, qint64>> readbacks;  // channel, level
};

class PatchWriteTest : public ::testing::Test {
 protected:
  PatchWriteTest() {
    ConsoleShow show = console.show();
    show.path = showPath;
    show.patch = {ConsolePatchPart::dimmer(2, 1, 2)};
    show.patchPart(2, 1)->fields[ConsolePatchPart::level] = OSCArgument::fromInt(55);
    console.setShow(show);
    session.liveShowIdentity = showPath;
    session.publishedShowIdentity = showPath;
    manager->setPingReplyClock([clock = timing] { return clock->uptime(); });
    // The model's dispatcher hands the part the channel patch replies outside a sync.
    QObject::connect(
        manager.get(), &OSCManager::lastReceivedMessageChanged, &write,
        [this](const std::optional<OSCMessage> &message) {
          if (!message) return;
          const QList<QStringView> pieces =
              QStringView(message->address).split(u'/', Qt::SkipEmptyParts);
          const AddressComponents components(pieces.cbegin(), pieces.cend());
          if (components.size() >= 9 && components[3] == "patch"_L1 && components[6] == "list"_L1) {
            write.handleChannelPatchReply(message->arguments, components);
          }
        });
  }

  // Connected and answering pings, as the write's session gate asks.
  bool connect() {
    const quint16 port = console.tcpPort(OSCTCPFraming::packetLength);
    fake.route = SideSessionRoute{OSCEndpoint::hostPort(u"127.0.0.1"_s, port),
                                  OSCTCPFraming::packetLength, std::nullopt};
    manager->connect(u"127.0.0.1"_s, port);
    if (!waitUntil([&] { return manager->isConnected(); })) return false;
    manager->sendPing();
    return waitUntil([&] { return manager->lastPingResponseUptime().has_value(); });
  }

  // Starts a write and lets its checking sync complete: the session types it.
  bool typed(const PatchDraft &draft) {
    write.beginPatchEditing(draft);
    write.afterSync();
    return waitUntil(
        [&] { return write.patchSubmissionState() == PatchSubmissionState::verifying(); });
  }

  std::shared_ptr<ManualAppTiming> timing = std::make_shared<ManualAppTiming>();
  std::shared_ptr<ManualLevelCommandScheduler> sessionClock =
      std::make_shared<ManualLevelCommandScheduler>();
  EosConsoleDouble console;
  std::unique_ptr<OSCManager> manager = makeManager(packetLengthCase);
  ConsoleSession session;
  FakeShow fake;
  int sessionsMade = 0;
  PatchWrite write{*manager,
                   timing,
                   session,
                   fake,
                   [this] {
                     ++sessionsMade;
                     EosPatchCommandSession::Options options;
                     options.timeoutScheduler = sessionClock;
                     return std::make_unique<EosPatchCommandSession>(std::move(options));
                   },
                   2.0};
};

// The write is bound to the session and the show it was reviewed in, in each phase that
// reads the patch.
TEST_F(PatchWriteTest, AWriteBoundToAnotherShowEndsAfterItsNextSync) {
  ASSERT_TRUE(connect());
  const std::function<void(ConsoleSession &)> moves[] = {
      [](ConsoleSession &moved) { moved.id = QUuid::createUuid(); },
      [](ConsoleSession &moved) { moved.liveShowIdentity = u"/shows/other.esf"_s; },
      [](ConsoleSession &moved) { moved.publishedShowIdentity = u"/shows/other.esf"_s; },
  };
  for (const auto &move : moves) {
    const ConsoleSession bound = session;
    write.beginPatchEditing(dimmerRange(7, 30, 30));
    ASSERT_EQ(write.patchSubmissionState(), PatchSubmissionState::checking());
    move(session);
    write.afterSync();
    EXPECT_EQ(write.patchSubmissionState(), PatchSubmissionState::failed(showChanged));
    EXPECT_FALSE(write.isPending());
    session = bound;
  }
  EXPECT_EQ(sessionsMade, 0);
  EXPECT_EQ(fake.syncs, QStringList(3, u"Checking patch before editing"_s));

  ASSERT_TRUE(typed(dimmerRange(8, 31, 31)));
  timing->advance(0.35);
  EXPECT_EQ(fake.syncs.last(), u"Verifying patch changes"_s);
  session.liveShowIdentity = u"/shows/other.esf"_s;
  write.afterSync();
  EXPECT_EQ(write.patchSubmissionState(), PatchSubmissionState::sentUnconfirmed(showChanged));
}

// A write ended from outside (a session reset, a failed sync) says whether the console may
// already hold part of it.
TEST_F(PatchWriteTest, AnEndedWriteIsFailedBeforeItsFirstChangeAndUnconfirmedAfter) {
  ASSERT_TRUE(connect());
  const QString reason = u"Patch confirmation canceled — Offline"_s;
  write.beginPatchEditing(dimmerRange(7, 30, 30));
  write.cancel(reason);
  EXPECT_EQ(write.patchSubmissionState(), PatchSubmissionState::failed(reason));
  write.clearPatchSubmissionResult();
  EXPECT_EQ(write.patchSubmissionState(), PatchSubmissionState::idle());

  ASSERT_TRUE(typed(dimmerRange(8, 31, 31)));
  EXPECT_TRUE(write.hasStartedWriting());
  write.cancel(reason);
  EXPECT_EQ(write.patchSubmissionState(), PatchSubmissionState::sentUnconfirmed(reason));
  // Its readback is gone with it.
  const QStringList syncs = fake.syncs;
  timing->advance(0.35);
  EXPECT_EQ(fake.syncs, syncs);
}

// A channel read publishes its level only while nothing has overtaken it; a sync asked for
// meanwhile waits for the answer.
TEST_F(PatchWriteTest, AChannelReadPublishesOnlyALevelNothingHasOvertaken) {
  using Purpose = PatchWrite::DirectPatchReadPurpose;
  ASSERT_TRUE(connect());
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
  for (const auto &row : cases) {
    fake.readbacks.clear();
    fake.syncs.clear();
    fake.current = row.showCurrent;
    write.readChannelPatch(2, {sequence, row.purpose});
    EXPECT_EQ(write.outstandingChannelReads(), 1) << row.name;
    EXPECT_TRUE(write.holdsSyncForChannelReads(u"Console data changed"_s)) << row.name;
    if (row.changeSentMeanwhile) {
      write.noteMutation();
      ++sequence;
    }
    ASSERT_TRUE(waitUntil([&] { return write.outstandingChannelReads() == 0; })) << row.name;
    EXPECT_EQ(fake.readbacks.size(), row.published ? 1 : 0) << row.name;
    if (row.published) {
      EXPECT_EQ(fake.readbacks.first(), std::pair(qint64(2), qint64(55))) << row.name;
    }
    EXPECT_EQ(fake.syncs, QStringList{u"Console data changed"_s}) << row.name;
    EXPECT_FALSE(write.holdsSyncForChannelReads(u"Console data changed"_s)) << row.name;
  }
}

}  // namespace
}  // namespace tarnik::testing
