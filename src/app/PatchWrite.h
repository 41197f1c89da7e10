#pragma once

#include "app/AddressComponents.h"
#include "app/AppTiming.h"
#include "app/ConsoleSession.h"
#include "app/FragmentAccumulator.h"
#include "app/PatchPartReply.h"
#include "app/SideSessionRoute.h"
#include "foundation/ObservableObject.h"
#include "link/OSCArgument.h"
#include "link/OSCManager.h"
#include "model/Channel.h"
#include "model/EosPatchPart.h"
#include "model/PatchDraft.h"
#include "model/PatchPlan.h"
#include "model/PatchSubmissionState.h"
#include "model/catalog/FixtureCatalogStore.h"
#include "operations/EosPatchCommandSession.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QUuid>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace tarnik {

// Patch edits on the console: the preflight that checks a draft and records the write, the
// write that each completed sync moves on one step (a patch session on a connection of its
// own, then a readback verified against the plan), and the single-channel patch reads on
// the main connection that refresh a channel without reading the whole show. Every step
// reads the show mirror, which it reaches through its Show.
class PatchWrite final : public ObservableObject {
  Q_OBJECT

 public:
  using SessionFactory = std::function<std::unique_ptr<EosPatchCommandSession>()>;

  enum class PatchWritePhase { checking, sending, verifying };

  // One patch write in progress.
  struct PendingPatchWrite {
    QUuid sessionID{};  // the connection session the write started in
    QString showIdentity{};
    PatchDraft draft{};
    PatchPlan plan{};
    QList<EosPatchPart> reviewedReplacements{};
    PatchWritePhase phase = PatchWritePhase::checking;
    bool changedDuringRead = false;  // a patch change arrived while the patch was read
    int repeatedReads = 0;
    bool hasStartedWriting = false;
    // The parts the write must leave alone, captured before writing, for verification.
    std::optional<QList<EosPatchPart>> untargetedPartsBeforeWrite{};
  };

  enum class DirectPatchReadPurpose { mutationConfirmation, levelRefresh };

  // Why a single-channel patch read was asked for.
  struct DirectPatchReadIntent {
    qint64 mutationSequence = 0;
    DirectPatchReadPurpose purpose = DirectPatchReadPurpose::mutationConfirmation;
    friend bool operator==(const DirectPatchReadIntent &, const DirectPatchReadIntent &) = default;
  };

  // What the patch edits ask of the rest of the model: the show mirror, the control gate,
  // the console's route and the road of a lost console. It outlives the patch write.
  class Show {
   public:
    // The published channels, in channel order.
    virtual const QList<Channel> &channels() const = 0;
    // A single read's answer for a listed channel, published into the mirror.
    virtual void publishChannelReadback(qint64 channel, const PatchPart &part) = 0;
    virtual bool isSyncing() const = 0;
    // The reason is the data status while the sync starts.
    virtual void requestFullSync(const QString &reason) = 0;
    // The show on screen no longer counts as current; the status says why.
    virtual void invalidateCompletedSync(const QString &status) = 0;
    // A full sync once the console has been quiet a moment; none: the usual reason.
    virtual void scheduleRefresh(const std::optional<QString> &reason) = 0;
    // A refresh waiting for quiet or for the running sync is dropped.
    virtual void dropScheduledRefresh() = 0;
    virtual const std::optional<QString> &eosFixtureLibraryVersion() const = 0;
    virtual bool isShowDataCurrent() const = 0;
    virtual bool canControlFixtures() const = 0;
    // The console the main connection uses; none without one.
    virtual std::optional<SideSessionRoute> consoleRoute() const = 0;
    // False only when the console holds the model's flash and the release could not be sent.
    virtual bool releaseOwnedFlash(const QString &action) = 0;
    virtual void recordCommandHistory(const QString &text, const QString &source) = 0;
    virtual void handleConnectionLoss(const QString &reason) = 0;

   protected:
    ~Show() = default;
  };

  static constexpr qint64 patchChannelMaximum = 99999;
  static constexpr qint64 patchUniverseMaximum = 63999;

  // The connection, the session and the show outlive the patch write. No factory: sessions
  // of their own connection with 8 s steps. The time limit is the answer deadline of one
  // channel read.
  PatchWrite(OSCManager &manager, std::shared_ptr<AppTiming> timing, const ConsoleSession &session,
             Show &show, SessionFactory makeSession, double channelReadTimeLimit,
             QObject *parent = nullptr);

  // The preflight (PatchWritePreflight.cpp). Why this draft cannot be written now, or
  // nothing; the patch screens ask it too.
  std::optional<QString> patchAuthoringAvailability(const PatchDraft &draft) const;
  // The same, given the draft's plan against the current patch, for a screen that keeps it.
  std::optional<QString> patchAuthoringAvailability(const PatchDraft &draft,
                                                    const PatchPlan &plan) const;
  std::optional<QString> libraryFixtureIssue(const PatchFixtureChoice &choice) const;
  // Whether the choice still names this mode of the console's library, as the user should
  // read it; nothing when it does.
  static std::optional<QString> libraryChoiceIssue(
      const PatchFixtureChoice &choice, const std::optional<FixtureCatalogMode> &mode,
      const std::optional<QString> &consoleLibraryVersion);
  // Only the check that the console's type name names this one mode.
  std::optional<QString> libraryModeAmbiguity(const PatchFixtureChoice &choice) const;
  PatchPlan planPatch(const PatchDraft &draft) const;
  QList<EosPatchPart> currentReplacementTargets(const std::set<EosPatchPart::ID> &ids) const;
  // Refuses, or records the write and re-reads the show.
  void beginPatchEditing(const PatchDraft &draft);
  // Back to idle unless a write is under way.
  void clearPatchSubmissionResult();

  // The write (PatchWrite.cpp, PatchWriteSession.cpp)
  bool isPending() const { return pendingPatchWrite_.has_value(); }
  bool isSending() const {
    return pendingPatchWrite_ && pendingPatchWrite_->phase == PatchWritePhase::sending;
  }
  bool hasStartedWriting() const {
    return pendingPatchWrite_ && pendingPatchWrite_->hasStartedWriting;
  }
  // A completed sync's steps: the deferred channel reads go out, then the write moves on.
  void afterSync();
  // A patch change arrived while a sync read the patch for a write that is not typing.
  void noteChangeDuringRead();
  // The refresh after a sync thrown away for a patch change; a pending write whose patch
  // changed under it is read again, up to a limit.
  void refreshAfterPatchChange();
  // Ends the write, if any, with the reason: failed before its first change, sent but
  // unconfirmed after it. A session still typing ends with the same reason.
  void cancel(const QString &reason);
  // A change went to the console: channel reads asked for before it no longer apply.
  void noteMutation() { ++mutationSequence_; }

  // Single-channel reads (PatchChannelReads.cpp)
  // Reads one channel's patch rows on the main connection, for the given reason.
  void readChannelPatch(qint64 channel, DirectPatchReadIntent intent);
  // A slice of one channel's patch list reply outside a sync.
  void handleChannelPatchReply(const QList<OSCArgument> &arguments,
                               const AddressComponents &components);
  // True while channel reads are out: the sync then starts, with this reason, once the
  // last of them has ended.
  bool holdsSyncForChannelReads(const QString &reason);
  // The reads out belong to the show now saved under this identity.
  void followSavedShow(const QString &identity);
  // The session or the show ended: every read, answer and held sync is forgotten.
  void resetChannelReads();
  qsizetype outstandingChannelReads() const { return pendingDirectPatchReads_.size(); }
  double channelReadTimeLimit() const { return channelReadTimeLimit_; }

  // The installed fixture library the preflight checks choices against.
  FixtureCatalogStore &fixtureCatalog() { return fixtureCatalog_; }

  // Published value
  const PatchSubmissionState &patchSubmissionState() const { return patchSubmissionState_; }

 signals:
  void patchSubmissionStateChanged(const tarnik::PatchSubmissionState &value);

 private:
  // One single-channel patch read in flight.
  struct DirectPatchRead {
    QUuid sessionID{};
    QString showName{};
    DirectPatchReadIntent intent{};
  };

  QList<EosPatchPart> mirroredPatchParts() const;
  // Only the parts on the plan's channels.
  QList<EosPatchPart> mirroredPatchParts(const PatchPlan &plan) const;
  std::optional<FixtureCatalogMode> catalogMode(const QString &id) const;

  void applyPatchWrite();
  void continuePatchWriteChecks(PendingPatchWrite write);
  void verifyPatchWrite(const PendingPatchWrite &write);
  static bool canContinuePatchWrite(const QPointer<PatchWrite> &part, const QUuid &session,
                                    const QString &showIdentity);
  static bool markPatchWriteStarted(const QPointer<PatchWrite> &part, const QUuid &session);
  static void handlePatchSessionResult(const EosPatchCommandSession::Result &result,
                                       const QPointer<PatchWrite> &part, const QUuid &session,
                                       const QString &showIdentity);
  static void startPatchVerification(const QPointer<PatchWrite> &part, const QUuid &session);
  void releasePatchCommandSession();
  static QString patchConfirmationText(const QList<PatchPlannedPart> &parts);

  void replayDeferredPatchReads();
  void completeDirectPatchRead(qint64 channel, const PatchPart &part);
  static void directPatchReadTimedOut(const QPointer<PatchWrite> &part, const QUuid &session,
                                      qint64 channel, DirectPatchReadIntent intent);
  void runQueuedFullRefresh();

  OSCManager &manager_;
  const std::shared_ptr<AppTiming> timing_;
  const ConsoleSession &session_;
  Show &show_;
  const SessionFactory makePatchCommandSession_;
  const double channelReadTimeLimit_;
  FixtureCatalogStore fixtureCatalog_;

  PatchSubmissionState patchSubmissionState_;

  // The write and its session (a child of this part)
  std::optional<PendingPatchWrite> pendingPatchWrite_;
  AppTiming::WorkItem patchReadbackWorkItem_;
  QPointer<EosPatchCommandSession> patchCommandSession_;
  // Goes up with every change sent to the console; a level read made before it is stale.
  qint64 mutationSequence_ = 0;

  // Single-channel reads, by channel
  std::map<qint64, AppTiming::WorkItem> directPatchReadTimeouts_;
  QHash<qint64, DirectPatchRead> pendingDirectPatchReads_;
  QHash<qint64, DirectPatchReadIntent> latestPatchReadIntents_;
  QHash<QString, FragmentAccumulator> directPatchFragments_;
  // The full sync asked for while reads were out.
  std::optional<QString> queuedFullRefreshReason_;
};

}  // namespace tarnik
