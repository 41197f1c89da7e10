#include "app/AppViewModel.h"

using namespace Qt::StringLiterals;

// Stand-ins for the connection lifecycle until its own file arrives: only what the show
// sync relies on. Removed when the lifecycle flow is merged.

namespace tarnik {

void AppViewModel::handleConnectionLoss(const QString &reason) {
  const QString status = reason + u" — cached data retained"_s;
  reconnectFailureStatus_ = status;
  publish(dataStatusMessage_, status, &AppViewModel::dataStatusMessageChanged);
  oscManager_->disconnect();
}

void AppViewModel::resetParkState() {
  parkOperationID_ = QUuid::createUuid();
  announce();
  assign(isRefreshingParkedChannels_, false, &AppViewModel::isRefreshingParkedChannelsChanged);
  assign(parkStatusMessage_, u"Park status not checked"_s, &AppViewModel::parkStatusMessageChanged);
}

void AppViewModel::resetLiveControls(bool) {
  liveControlOperationID_ = QUuid::createUuid();
  announce();
  assign(isFixtureControlReady_, false, &AppViewModel::isFixtureControlReadyChanged);
  assign(fixtureControlStatus_, u"Live controls are offline"_s,
         &AppViewModel::fixtureControlStatusChanged);
}

void AppViewModel::clearPendingPatchWrite(const QString &reason) {
  const std::optional<PendingPatchWrite> write = std::exchange(pendingPatchWrite_, std::nullopt);
  patchReadbackWorkItem_.cancel();
  if (!write) return;
  publish(patchSubmissionState_,
          write->hasStartedWriting ? PatchSubmissionState::sentUnconfirmed(reason)
                                   : PatchSubmissionState::failed(reason),
          &AppViewModel::patchSubmissionStateChanged);
}

}  // namespace tarnik
