#include "app/PatchWrite.h"

#include "model/ShowIdentity.h"

using namespace Qt::StringLiterals;

// The patch write after preflight: every completed sync runs one step of it, by phase. A
// sync thrown away for a patch change is read again for the same phase, up to a limit; the
// write's end, whatever ends it, is its published state.

namespace tarnik {

namespace {

constexpr int repeatedReadLimit = 3;

}  // namespace

PatchWrite::PatchWrite(std::shared_ptr<AppTiming> timing, const ConsoleSession &session,
                       ShowMirror &mirror, ControlGate &gate,
                       const ConnectionSupervisor &supervisor, ConsoleCommandLine &commandLine,
                       SessionFactory makeSession, QObject *parent)
    : ObservableObject(parent),
      timing_(std::move(timing)),
      session_(session),
      mirror_(mirror),
      gate_(gate),
      supervisor_(supervisor),
      commandLine_(commandLine),
      makePatchCommandSession_(makeSession ? std::move(makeSession) : [] {
        return std::make_unique<EosPatchCommandSession>(EosPatchCommandSession::Options{});
      }) {
  connect(&mirror_, &ShowMirror::channelsChanged, this, [this] { mirroredPatchIndex_.reset(); });
}

void PatchWrite::afterSync() {
  if (!pendingPatchWrite_) return;
  PendingPatchWrite write = *pendingPatchWrite_;
  if (write.sessionID != session_.id ||
      !isSameShow(session_.liveShowIdentity, write.showIdentity) ||
      !isSameShow(session_.publishedShowIdentity, write.showIdentity)) {
    return cancel(
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

void PatchWrite::noteChangeDuringRead() {
  if (pendingPatchWrite_) pendingPatchWrite_->changedDuringRead = true;
}

void PatchWrite::refreshAfterPatchChange() {
  if (!pendingPatchWrite_ || pendingPatchWrite_->phase == PatchWritePhase::sending ||
      !pendingPatchWrite_->changedDuringRead) {
    return mirror_.scheduleRefresh();
  }
  if (pendingPatchWrite_->repeatedReads >= repeatedReadLimit) {
    cancel(
        u"The console patch kept changing during verification. Sync and review it before "
        "trying again."_s);
    return mirror_.scheduleRefresh();
  }
  // The same phase runs again on the re-read, once the console has been quiet a moment.
  pendingPatchWrite_->changedDuringRead = false;
  ++pendingPatchWrite_->repeatedReads;
  mirror_.scheduleRefresh(u"Patch changed during readback — checking again"_s);
}

void PatchWrite::cancel(const QString &reason) {
  const std::optional<PendingPatchWrite> write = std::exchange(pendingPatchWrite_, std::nullopt);
  patchReadbackWorkItem_.cancel();
  mirror_.releasePatchCommandHold();
  // A session still typing ends with the same reason; its completion finds no write.
  if (patchCommandSession_ && patchCommandSession_->isActive()) {
    patchCommandSession_->finish(reason);
  }
  releasePatchCommandSession();
  if (!write) return;
  publish(patchSubmissionState_,
          write->hasStartedWriting ? PatchSubmissionState::sentUnconfirmed(reason)
                                   : PatchSubmissionState::failed(reason),
          &PatchWrite::patchSubmissionStateChanged);
}

void PatchWrite::releasePatchCommandSession() {
  if (EosPatchCommandSession *session = patchCommandSession_.data()) {
    patchCommandSession_.clear();
    session->deleteLater();
  }
}

}  // namespace tarnik
