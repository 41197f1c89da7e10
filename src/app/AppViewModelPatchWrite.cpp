#include "app/AppViewModel.h"
#include "foundation/TextRules.h"
#include "model/ShowIdentity.h"
#include "operations/EosPatchCommands.h"

#include <set>

using namespace Qt::StringLiterals;

// The patch write after preflight: every completed sync runs one step of it. Checking
// plans the draft again on the fresh patch and hands the lines to a patch session of its
// own; the session's success waits a moment and reads the show again; that read is verified
// against the plan. The session's callbacks hold the model weakly and carry the identities
// they were made for, so a late callback of an older write does nothing.

namespace tarnik {

namespace {

constexpr double patchReadbackDelay = 0.35;
constexpr int repeatedReadLimit = 3;

}  // namespace

void AppViewModel::applyPatchWrite() {
  if (!pendingPatchWrite_) return;
  PendingPatchWrite write = *pendingPatchWrite_;
  if (write.sessionID != session_.id ||
      !isSameShow(session_.liveShowIdentity, write.showIdentity) ||
      !isSameShow(session_.publishedShowIdentity, write.showIdentity)) {
    return clearPendingPatchWrite(
        u"The show changed during patching. Review the current patch before trying again."_s);
  }
  // A patch change under this sync never gets here: the sync was thrown away and the write
  // waits for its re-read (refreshAfterPatchChange).
  switch (write.phase) {
    case PatchWritePhase::checking:
      return continuePatchWriteChecks(std::move(write));
    case PatchWritePhase::sending:
      return;
    case PatchWritePhase::verifying:
      return verifyPatchWrite(write);
  }
}

void AppViewModel::refreshAfterPatchChange() {
  if (!pendingPatchWrite_ || pendingPatchWrite_->phase == PatchWritePhase::sending ||
      !pendingPatchWrite_->changedDuringRead) {
    return mirror_->scheduleRefresh();
  }
  if (pendingPatchWrite_->repeatedReads >= repeatedReadLimit) {
    clearPendingPatchWrite(
        u"The console patch kept changing during verification. Sync and review it before "
        "trying again."_s);
    return mirror_->scheduleRefresh();
  }
  // The same phase runs again on the re-read, once the console has been quiet a moment.
  pendingPatchWrite_->changedDuringRead = false;
  ++pendingPatchWrite_->repeatedReads;
  mirror_->scheduleRefresh(u"Patch changed during readback — checking again"_s);
}

void AppViewModel::continuePatchWriteChecks(PendingPatchWrite write) {
  if (currentReplacementTargets(write.draft.partsToReplace) != write.reviewedReplacements) {
    return clearPendingPatchWrite(
        u"A replacement target changed after review. Review the current patch before trying "
        "again."_s);
  }
  PatchPlan plan = planPatch(write.draft);
  if (write.draft.operation == PatchOperation::fixture && write.draft.fixture) {
    if (auto ambiguity = libraryModeAmbiguity(*write.draft.fixture)) {
      return clearPendingPatchWrite(*ambiguity);
    }
  }
  const QList<EosPatchPart> existing = mirroredPatchParts();
  auto commands =
      EosPatchCommands::makeCommands(write.draft, plan, existing, eosFixtureLibraryVersion());
  if (!commands) return clearPendingPatchWrite(commands.error().reason);
  if (!canControlFixtures() || !activeConsoleEndpoint() || !releaseOwnedFlash(u"Patch edit"_s)) {
    return clearPendingPatchWrite(u"The console is no longer ready for patch editing."_s);
  }

  std::set<EosPatchPart::ID> planned;
  std::set<qint64> plannedChannels;
  for (const PatchPlannedPart &part : plan.parts) {
    planned.insert(part.id());
    plannedChannels.insert(part.channelNumber);
  }
  QList<EosPatchPart> untargeted;
  for (const EosPatchPart &part : existing) {
    if (!planned.contains({part.channelNumber, part.partNumber})) untargeted.append(part);
  }
  write.plan = std::move(plan);
  write.untargetedPartsBeforeWrite = std::move(untargeted);
  write.phase = PatchWritePhase::sending;
  pendingPatchWrite_ = write;
  publish(patchSubmissionState_, PatchSubmissionState::sending(),
          &AppViewModel::patchSubmissionStateChanged);
  mirror_->cancelRefresh();
  ++mutationSequence_;

  releasePatchCommandSession();
  patchCommandSession_ = makePatchCommandSession_().release();
  patchCommandSession_->setParent(this);
  QList<EosPatchCommandSession::Label> labels;
  for (qint64 channel : plannedChannels) labels.append({channel, write.draft.label});
  const OSCTCPFraming framing = supervisor_->sessionFraming();
  const QPointer<AppViewModel> model(this);
  const QUuid session = write.sessionID;
  const QString show = write.showIdentity;
  // The session may refuse from inside start(): its completion then ends this write at once,
  // so nothing of the write is read after this call.
  patchCommandSession_->start(
      show, *commands, labels,
      [model, session, show] { return canContinuePatchWrite(model, session, show); },
      [model, session] { return markPatchWriteStarted(model, session); },
      [model, session, show](EosPatchCommandSession::Result result) {
        handlePatchSessionResult(result, model, session, show);
      },
      *activeConsoleEndpoint(), framing, supervisor_->activeRelayKey());
}

bool AppViewModel::canContinuePatchWrite(const QPointer<AppViewModel> &model, const QUuid &session,
                                         const QString &showIdentity) {
  if (!model) return false;
  const AppViewModel &self = *model;
  const std::optional<double> pingAt = self.oscManager_->lastPingResponseUptime();
  return self.session_.id == session && isSameShow(self.session_.liveShowIdentity, showIdentity) &&
         self.canControlFixtures() && self.pendingPatchWrite_ &&
         self.pendingPatchWrite_->phase == PatchWritePhase::sending && pingAt &&
         self.timing_->uptime() - *pingAt <= pingFreshness;
}

bool AppViewModel::markPatchWriteStarted(const QPointer<AppViewModel> &model,
                                         const QUuid &session) {
  if (!model || !model->pendingPatchWrite_) return false;
  PendingPatchWrite &write = *model->pendingPatchWrite_;
  if (write.sessionID != session || write.changedDuringRead) return false;
  write.hasStartedWriting = true;
  return true;
}

void AppViewModel::handlePatchSessionResult(const EosPatchCommandSession::Result &result,
                                            const QPointer<AppViewModel> &model,
                                            const QUuid &session, const QString &showIdentity) {
  if (!model) return;
  AppViewModel &self = *model;
  const std::optional<PendingPatchWrite> &write = self.pendingPatchWrite_;
  if (!write || write->sessionID != session || !isSameShow(write->showIdentity, showIdentity) ||
      self.session_.id != session) {
    return;
  }
  // The run is over either way; the session may be the caller, so it goes later.
  self.releasePatchCommandSession();
  if (!result) {
    if (write->hasStartedWriting)
      self.invalidateCompletedSync(u"Patch result unknown — reloading"_s);
    self.clearPendingPatchWrite(result.error().text);
    self.mirror_->scheduleRefresh();
    return;
  }
  self.pendingPatchWrite_->phase = PatchWritePhase::verifying;
  self.publish(self.patchSubmissionState_, PatchSubmissionState::verifying(),
               &AppViewModel::patchSubmissionStateChanged);
  self.patchReadbackWorkItem_ = self.timing_->schedule(
      patchReadbackDelay, [model, session] { startPatchVerification(model, session); });
}

void AppViewModel::startPatchVerification(const QPointer<AppViewModel> &model,
                                          const QUuid &session) {
  if (!model || model->session_.id != session || !model->pendingPatchWrite_ ||
      model->pendingPatchWrite_->phase != PatchWritePhase::verifying) {
    return;
  }
  model->patchReadbackWorkItem_.cancel();
  model->requestFullSync(u"Verifying patch changes"_s);
}

void AppViewModel::verifyPatchWrite(const PendingPatchWrite &write) {
  if (auto mismatch = EosPatchCommands::verify(write.plan.parts, channels(),
                                               write.untargetedPartsBeforeWrite)) {
    return clearPendingPatchWrite(u"Patch remains unconfirmed. "_s + *mismatch);
  }
  const QString message = patchConfirmationText(write.plan.parts);
  pendingPatchWrite_.reset();
  releasePatchCommandSession();
  patchReadbackWorkItem_.cancel();
  publish(patchSubmissionState_, PatchSubmissionState::confirmed(message),
          &AppViewModel::patchSubmissionStateChanged);
  recordCommandHistory(message, u"Console"_s);
}

QString AppViewModel::patchConfirmationText(const QList<PatchPlannedPart> &parts) {
  std::set<qint64> channels;
  for (const PatchPlannedPart &part : parts) channels.insert(part.channelNumber);
  return u"Eos confirmed "_s + countedText(qint64(channels.size()), u"channel"_s, u"channels"_s) +
         u" and "_s + countedText(parts.size(), u"part"_s, u"parts"_s) + u'.';
}

void AppViewModel::releasePatchCommandSession() {
  if (EosPatchCommandSession *session = patchCommandSession_.data()) {
    patchCommandSession_.clear();
    session->deleteLater();
  }
}

}  // namespace tarnik
