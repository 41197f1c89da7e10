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
  // The running sync, the reads and what the session knew of the show go before the session
  // identity moves on.
  mirror_->resetSession();

  commandLine_->resetSession();

  // Late replies, timers and callbacks of the old session find a different identity now.
  session_.id = QUuid::createUuid();

  supervisor_->markUnreachable();
  mirror_->showSessionEnded(status);
}

void AppViewModel::disconnect() {
  // A connect still waiting for the keychain must not connect after this.
  connectionForm_->abandonRelayKeyWaits();
  resetConnectionTest();
  connectionForm_->forgetLastConnected();
  releaseOwnedFlash(u"Disconnect"_s);
  supervisor_->disconnect();
}

void AppViewModel::beginSession() { session_.id = QUuid::createUuid(); }

void AppViewModel::reportStatus(const QString &text) { mirror_->reportStatus(text); }

void AppViewModel::startInitialSync() { requestFullSync(u"Initial sync"_s); }

bool AppViewModel::releaseOwnedFlash(const QString &action) {
  return gate_->releaseOwnedFlash(action);
}

}  // namespace tarnik
