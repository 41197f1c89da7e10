#include "app/AppViewModel.h"

using namespace Qt::StringLiterals;

// What the show mirror asks of the rest of the model: the refusals that belong to the patch
// flows, and what the other parts do when a sync starts, fails or is published.

namespace tarnik {

bool AppViewModel::patchCommandsInProgress() const { return patchWrite_->isSending(); }

bool AppViewModel::holdsSyncForChannelReads(const QString &reason) {
  return patchWrite_->holdsSyncForChannelReads(reason);
}

std::optional<QString> AppViewModel::reconnectFailureStatus() const {
  return supervisor_->reconnectFailureStatus();
}

void AppViewModel::syncStarting() {
  resetParkState();
  resetLiveControls();
}

void AppViewModel::syncFailed(const QString &status, const QString &reason) {
  supervisor_->noteFailure(status);
  resetLiveControls();
  clearPendingPatchWrite(u"Patch confirmation failed — "_s + reason);
  handleConnectionLoss(reason);
}

void AppViewModel::syncDiscardedForPatchChange() { patchWrite_->refreshAfterPatchChange(); }

void AppViewModel::syncPublished(const QString &showIdentity) {
  fixtureControl_->bindStore(session_.id, showIdentity);
  supervisor_->connectionSucceeded();
  // The follow-on steps, in this order: each may start work the next one looks at.
  saveShowSnapshot();
  patchWrite_->afterSync();
  if (startNetworkingOnInit_ && !patchWrite_->isPending()) prepareLiveControls();
}

}  // namespace tarnik
