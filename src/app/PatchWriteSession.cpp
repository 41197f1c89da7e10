#include "app/PatchWrite.h"
#include "foundation/TextRules.h"
#include "model/ShowIdentity.h"
#include "operations/EosPatchCommands.h"

#include <set>

using namespace Qt::StringLiterals;

// The write's own steps: checking plans the draft again on the fresh patch and hands the
// lines to a patch session of its own; the session's success waits a moment and reads the
// show again; that read is verified against the plan. The session's callbacks hold the part
// weakly and carry the identities they were made for, so a late callback of an older write
// does nothing.

namespace tarnik {

namespace {

constexpr double patchReadbackDelay = 0.35;

}  // namespace

void PatchWrite::continuePatchWriteChecks(PendingPatchWrite write) {
  if (currentReplacementTargets(write.draft.partsToReplace) != write.reviewedReplacements) {
    return cancel(
        u"A replacement target changed after review. Review the current patch before trying "
        "again."_s);
  }
  PatchPlan plan = planPatch(write.draft);
  if (write.draft.operation == PatchOperation::fixture && write.draft.fixture) {
    if (auto ambiguity = libraryModeAmbiguity(*write.draft.fixture)) {
      return cancel(*ambiguity);
    }
  }
  const QList<EosPatchPart> existing = mirroredPatchParts();
  auto commands = EosPatchCommands::makeCommands(write.draft, plan, existing,
                                                 mirror_.eosFixtureLibraryVersion());
  if (!commands) return cancel(commands.error().reason);
  const std::optional<SideSessionRoute> route = supervisor_.consoleRoute();
  if (!gate_.canControlFixtures() || !route || !gate_.releaseOwnedFlash(u"Patch edit"_s)) {
    return cancel(u"The console is no longer ready for patch editing."_s);
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
  mirror_.placePatchCommandHold();
  publish(patchSubmissionState_, PatchSubmissionState::sending(),
          &PatchWrite::patchSubmissionStateChanged);
  mirror_.cancelRefresh();
  mirror_.noteChangeSent();

  releasePatchCommandSession();
  patchCommandSession_ = makePatchCommandSession_().release();
  patchCommandSession_->setParent(this);
  QList<EosPatchCommandSession::Label> labels;
  for (qint64 channel : plannedChannels) labels.append({channel, write.draft.label});
  const QPointer<PatchWrite> part(this);
  const QUuid session = write.sessionID;
  const QString show = write.showIdentity;
  // The session may refuse from inside start(): its completion then ends this write at once,
  // so nothing of the write is read after this call.
  patchCommandSession_->start(
      show, *commands, labels,
      [part, session, show] { return canContinuePatchWrite(part, session, show); },
      [part, session] { return markPatchWriteStarted(part, session); },
      [part, session, show](EosPatchCommandSession::Result result) {
        handlePatchSessionResult(result, part, session, show);
      },
      route->endpoint, route->framing, route->relayKey);
}

bool PatchWrite::canContinuePatchWrite(const QPointer<PatchWrite> &part, const QUuid &session,
                                       const QString &showIdentity) {
  if (!part) return false;
  const PatchWrite &self = *part;
  return self.session_.id == session && isSameShow(self.session_.liveShowIdentity, showIdentity) &&
         self.gate_.canControlFixtures() && self.isSending() && self.gate_.hasFreshMatchedPing();
}

bool PatchWrite::markPatchWriteStarted(const QPointer<PatchWrite> &part, const QUuid &session) {
  if (!part || !part->pendingPatchWrite_) return false;
  PendingPatchWrite &write = *part->pendingPatchWrite_;
  if (write.sessionID != session || write.changedDuringRead) return false;
  write.hasStartedWriting = true;
  return true;
}

void PatchWrite::handlePatchSessionResult(const EosPatchCommandSession::Result &result,
                                          const QPointer<PatchWrite> &part, const QUuid &session,
                                          const QString &showIdentity) {
  if (!part) return;
  PatchWrite &self = *part;
  const std::optional<PendingPatchWrite> &write = self.pendingPatchWrite_;
  if (!write || write->sessionID != session || !isSameShow(write->showIdentity, showIdentity) ||
      self.session_.id != session) {
    return;
  }
  // The run is over either way; the session may be the caller, so it goes later.
  self.releasePatchCommandSession();
  if (!result) {
    if (write->hasStartedWriting)
      self.mirror_.invalidateCompletedSync(u"Patch result unknown — reloading"_s);
    self.cancel(result.error().text);
    self.mirror_.scheduleRefresh();
    return;
  }
  self.pendingPatchWrite_->phase = PatchWritePhase::verifying;
  self.mirror_.releasePatchCommandHold();
  self.publish(self.patchSubmissionState_, PatchSubmissionState::verifying(),
               &PatchWrite::patchSubmissionStateChanged);
  self.patchReadbackWorkItem_ = self.timing_->schedule(
      patchReadbackDelay, [part, session] { startPatchVerification(part, session); });
}

void PatchWrite::startPatchVerification(const QPointer<PatchWrite> &part, const QUuid &session) {
  if (!part || part->session_.id != session || !part->pendingPatchWrite_ ||
      part->pendingPatchWrite_->phase != PatchWritePhase::verifying) {
    return;
  }
  part->patchReadbackWorkItem_.cancel();
  part->mirror_.requestFullSync(u"Verifying patch changes"_s);
}

void PatchWrite::verifyPatchWrite(const PendingPatchWrite &write) {
  if (auto mismatch = EosPatchCommands::verify(write.plan.parts, mirror_.channels(),
                                               write.untargetedPartsBeforeWrite)) {
    return cancel(u"Patch remains unconfirmed. "_s + *mismatch);
  }
  const QString message = patchConfirmationText(write.plan.parts);
  pendingPatchWrite_.reset();
  releasePatchCommandSession();
  patchReadbackWorkItem_.cancel();
  publish(patchSubmissionState_, PatchSubmissionState::confirmed(message),
          &PatchWrite::patchSubmissionStateChanged);
  commandLine_.recordCommandHistory(message, u"Console"_s);
}

QString PatchWrite::patchConfirmationText(const QList<PatchPlannedPart> &parts) {
  std::set<qint64> channels;
  for (const PatchPlannedPart &part : parts) channels.insert(part.channelNumber);
  return u"Eos confirmed "_s + countedText(qint64(channels.size()), u"channel"_s, u"channels"_s) +
         u" and "_s + countedText(parts.size(), u"part"_s, u"parts"_s) + u'.';
}

}  // namespace tarnik
