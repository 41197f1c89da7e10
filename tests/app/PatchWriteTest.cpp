// The patch write built alone on the real show mirror and control gate, a main connection to
// the console double on TCP, and each write's session on a virtual step clock.

#include "AppPartsTestSupport.h"
#include "AppViewModelPatchTestSupport.h"
#include "app/PatchWrite.h"
#include "support/QtPrinting.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

const QString showChanged =
    u"The show changed during patching. Review the current patch before trying again."_s;

class PatchWriteTest : public AppPartsTest {
 protected:
  PatchWriteTest() {
    ConsoleShow show = console.show();
    show.path = showPath.toString();
    show.patch = {ConsolePatchPart::dimmer(2, 1, 2)};
    console.setShow(show);
    // Each sync the mirror starts, by the reason it starts with.
    QObject::connect(&mirror, &ShowMirror::syncStarting, &write, [this] { starting = true; });
    QObject::connect(&mirror, &ShowMirror::dataStatusMessageChanged, &write,
                     [this](const QString &status) {
                       if (std::exchange(starting, false)) syncs.append(status);
                     });
  }

  // Starts a write and lets its checking sync complete: the session types it.
  bool typed(const PatchDraft &draft) {
    settle();
    write.beginPatchEditing(draft);
    settle();
    write.afterSync();
    return waitUntil(
        [&] { return write.patchSubmissionState() == PatchSubmissionState::verifying(); });
  }

  std::shared_ptr<ManualLevelCommandScheduler> sessionClock =
      std::make_shared<ManualLevelCommandScheduler>();
  int sessionsMade = 0;
  bool starting = false;
  QStringList syncs;
  PatchWrite write{timing, session, mirror, gate, supervisor, commandLine, [this] {
                     ++sessionsMade;
                     EosPatchCommandSession::Options options;
                     options.timeoutScheduler = sessionClock;
                     return std::make_unique<EosPatchCommandSession>(std::move(options));
                   }};
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
    settle();
    write.beginPatchEditing(dimmerRange(7, 30, 30));
    ASSERT_EQ(write.patchSubmissionState(), PatchSubmissionState::checking());
    move(session);
    write.afterSync();
    EXPECT_EQ(write.patchSubmissionState(), PatchSubmissionState::failed(showChanged));
    EXPECT_FALSE(write.isPending());
  }
  EXPECT_EQ(sessionsMade, 0);
  EXPECT_EQ(syncs, QStringList(3, u"Checking patch before editing"_s));

  ASSERT_TRUE(typed(dimmerRange(8, 31, 31)));
  timing->advance(0.35);
  EXPECT_EQ(syncs.last(), u"Verifying patch changes"_s);
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
  const QStringList before = syncs;
  timing->advance(0.35);
  EXPECT_EQ(syncs, before);
}

}  // namespace
}  // namespace tarnik::testing
