#pragma once

#include "app/AppTiming.h"
#include "app/ConnectionSupervisor.h"
#include "app/ConsoleCommandLine.h"
#include "app/ConsoleSession.h"
#include "app/ControlGate.h"
#include "app/ShowMirror.h"
#include "foundation/ObservableObject.h"
#include "model/Channel.h"
#include "model/EosPatchPart.h"
#include "model/PatchDraft.h"
#include "model/PatchIndex.h"
#include "model/PatchPlan.h"
#include "model/PatchSubmissionState.h"
#include "model/catalog/FixtureCatalogStore.h"
#include "operations/EosPatchCommandSession.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>
#include <set>

namespace tarnik {

// Patch edits on the console: the preflight that checks a draft and records the write, the
// write that each completed sync moves on one step (a patch session on a connection of its
// own, then a readback verified against the plan). Every step reads the show mirror, asks
// it for syncs and holds its syncs while the session types; the control gate decides
// whether the console may be written.
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

  static constexpr qint64 patchChannelMaximum = 99999;
  static constexpr qint64 patchUniverseMaximum = 63999;

  // The timing aside, every part outlives the patch write; the supervisor gives the console's
  // route. No factory: sessions of their own connection with 8 s steps.
  PatchWrite(std::shared_ptr<AppTiming> timing, const ConsoleSession &session, ShowMirror &mirror,
             ControlGate &gate, const ConnectionSupervisor &supervisor,
             ConsoleCommandLine &commandLine, SessionFactory makeSession,
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
  // A completed sync's step: the write moves on by its phase.
  void afterSync();
  // A patch change arrived while a sync read the patch for a write that is not typing.
  void noteChangeDuringRead();
  // The refresh after a sync thrown away for a patch change; a pending write whose patch
  // changed under it is read again, up to a limit.
  void refreshAfterPatchChange();
  // Ends the write, if any, with the reason: failed before its first change, sent but
  // unconfirmed after it. A session still typing ends with the same reason.
  void cancel(const QString &reason);
  // The installed fixture library the preflight checks choices against.
  FixtureCatalogStore &fixtureCatalog() { return fixtureCatalog_; }

  // Published value
  const PatchSubmissionState &patchSubmissionState() const { return patchSubmissionState_; }

 signals:
  void patchSubmissionStateChanged(const tarnik::PatchSubmissionState &value);

 private:
  QList<EosPatchPart> mirroredPatchParts() const;
  // The published patch indexed for planning, made at the first plan after each publication.
  const PatchIndex &mirroredPatchIndex() const;
  // Only the parts on the plan's channels.
  QList<EosPatchPart> mirroredPatchParts(const PatchPlan &plan) const;
  std::optional<FixtureCatalogMode> catalogMode(const QString &id) const;

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

  const std::shared_ptr<AppTiming> timing_;
  const ConsoleSession &session_;
  ShowMirror &mirror_;
  ControlGate &gate_;
  const ConnectionSupervisor &supervisor_;
  ConsoleCommandLine &commandLine_;
  const SessionFactory makePatchCommandSession_;
  FixtureCatalogStore fixtureCatalog_;

  PatchSubmissionState patchSubmissionState_;
  mutable std::optional<PatchIndex> mirroredPatchIndex_;

  // The write and its session (a child of this part)
  std::optional<PendingPatchWrite> pendingPatchWrite_;
  AppTiming::WorkItem patchReadbackWorkItem_;
  QPointer<EosPatchCommandSession> patchCommandSession_;
};

}  // namespace tarnik
