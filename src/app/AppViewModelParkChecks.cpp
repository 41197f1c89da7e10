#include "app/AppViewModel.h"

#include <QPointer>

#include <algorithm>
#include <iterator>

using namespace Qt::StringLiterals;

// Which channels are parked is known only from the console: an isolated park session reads
// them, parking or unparking one channel first when asked, and only its confirmed readback
// changes what the fixture store believes.

namespace tarnik {

bool AppViewModel::parkSessionPreconditions() const {
  return !parkSession_ && isShowDataCurrent() && oscManager_->isConnected() &&
         oscManager_->transport == OSCTransport::tcp && activeConsoleEndpoint_ &&
         knownLiveShowIdentity_ && hasFreshMatchedPing();
}

bool AppViewModel::refreshParkedChannels(int channel, std::optional<FixtureParkAction> action) {
  if (!parkSessionPreconditions()) return false;
  const FixtureRun run{QUuid::createUuid(), sessionID_, *knownLiveShowIdentity_};
  parkOperationID_ = run.operationID;
  parkSession_.reset(makeParkSession_().release());
  parkSession_->transport().relayPairingKey = activeRelayKey_;
  publish(isRefreshingParkedChannels_, true, &AppViewModel::isRefreshingParkedChannelsChanged);
  publish(parkStatusMessage_,
          action ? u"Checking Eos park state…"_s : u"Checking parked channels…"_s,
          &AppViewModel::parkStatusMessageChanged);

  std::optional<EosParkSession::Action> request;
  if (action) request = EosParkSession::Action{channel, *action};
  const QPointer<AppViewModel> model(this);
  const std::optional<QString> refusal = parkSession_->start(
      run.showIdentity, request,
      [model, run, action] { return model && model->canContinueParkOperation(run, action); },
      [model, run, channel, action](const EosParkSession::Result &result) {
        if (model) model->handleParkResult(result, run, channel, action);
      },
      *activeConsoleEndpoint_, sessionFraming());
  if (refusal)
    handleParkResult(std::unexpected(EosParkSession::Failure{*refusal}), run, channel, action);
  return true;
}

bool AppViewModel::canContinueParkOperation(const FixtureRun &run,
                                            std::optional<FixtureParkAction> action) const {
  // Reading the parked channels changes nothing, so a viewer may; acting may not.
  return runIsCurrent(run, parkOperationID_) && isShowDataCurrent() && oscManager_->isConnected() &&
         hasFreshMatchedPing() && (!action || interactionMode() != InteractionMode::viewer);
}

void AppViewModel::handleParkResult(const EosParkSession::Result &result, const FixtureRun &run,
                                    int channel, std::optional<FixtureParkAction> action) {
  if (!runIsCurrent(run, parkOperationID_)) return;
  parkSession_.reset();
  publish(isRefreshingParkedChannels_, false, &AppViewModel::isRefreshingParkedChannelsChanged);
  const auto forgetPendingPark = [&] {
    if (action)
      fixtureControls_->resetPendingPark(channel, *action, run.sessionID, run.showIdentity);
  };
  if (!result) {
    forgetPendingPark();
    publish(parkStatusMessage_, result.error().text, &AppViewModel::parkStatusMessageChanged);
    return;
  }

  std::set<int> patched;
  for (const Channel &patchedChannel : channels_) patched.insert(int(patchedChannel.number));
  std::set<int> parked;
  std::ranges::set_intersection(*result, patched, std::inserter(parked, parked.end()));
  if (!fixtureControls_->applyParkedChannels(parked, patched, run.sessionID, run.showIdentity)) {
    forgetPendingPark();
    publish(parkStatusMessage_, u"Park state changed during the query. Sync and check again."_s,
            &AppViewModel::parkStatusMessageChanged);
    return;
  }
  publish(parkStatusMessage_,
          QString::number(parked.size()) + (parked.size() == 1 ? u" channel"_s : u" channels"_s) +
              u" parked"_s,
          &AppViewModel::parkStatusMessageChanged);
}

}  // namespace tarnik
