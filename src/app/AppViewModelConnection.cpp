#include "app/AppViewModel.h"

using namespace Qt::StringLiterals;

namespace tarnik {

void AppViewModel::resetSessionState(const QString &status) {
  clearPendingPatchWrite(u"Patch confirmation canceled — "_s + status);
  resetParkState();
  resetLiveControls();

  // The flash is forgotten without a release: whoever ends a session on purpose has
  // released it first.
  flash_->forget();
  patchWrite_->resetChannelReads();
  // The running sync goes before the session identity moves on.
  mirror_->resetSession();
  session_.liveShowName.reset();
  session_.liveShowIdentity.reset();
  session_.completedSyncSessionID.reset();
  session_.showIsCleared = false;

  commandLine_->resetSession();

  // Late replies, timers and callbacks of the old session find a different identity now.
  session_.id = QUuid::createUuid();

  supervisor_->markUnreachable();
  mirror_->showSessionEnded(status);
}

void AppViewModel::disconnect() {
  // A connect still waiting for the keychain must not connect after this.
  connectionForm_->abandonRelayKeyStore();
  resetConnectionTest();
  connectionForm_->forgetLastConnected();
  releaseOwnedFlash(u"Disconnect"_s);
  supervisor_->disconnect();
}

void AppViewModel::beginSession() { session_.id = QUuid::createUuid(); }

void AppViewModel::reportStatus(const QString &text) { mirror_->reportStatus(text); }

void AppViewModel::startInitialSync() { requestFullSync(u"Initial sync"_s); }

bool AppViewModel::releaseOwnedFlash(const QString &action) {
  const std::optional<IdentifyFlash::OwnedFlash> owned = flash_->owned();
  const IdentifyFlash::Release release = flash_->release();
  if (release == IdentifyFlash::Release::notNeeded) return true;
  const QString summary = u"End identify channel "_s + QString::number(owned->channelNumber);
  if (release == IdentifyFlash::Release::refused) {
    reportCommandRejected(summary, u"could not release Flash before "_s + action.toLower());
    return false;
  }
  commandSent(summary);
  return true;
}

void AppViewModel::reportCommandRejected(const QString &summary, const QString &reason) {
  mirror_->reportStatus(u"Command rejected — "_s + reason);
  recordCommandHistory(summary + u" — "_s + reason, u"Rejected"_s);
}

}  // namespace tarnik
