#include "app/FixtureControl.h"

#include <QPointer>

#include <algorithm>
#include <iterator>

using namespace Qt::StringLiterals;

// Which channels are parked is known only from the console: an isolated park session reads
// them, parking or unparking one channel first when asked, and only its confirmed readback
// changes what the fixture store believes.

namespace tarnik {

bool FixtureControl::parkSessionPreconditions() const {
  return !parkSession_ && gate_.isShowDataCurrent() && gate_.isMainConnectionReady() &&
         supervisor_.sideSessionRoute() && session_.liveShowIdentity && gate_.hasFreshMatchedPing();
}

bool FixtureControl::refreshParkedChannels(int channel, std::optional<FixtureParkAction> action) {
  if (!parkSessionPreconditions()) return false;
  const Route route = *supervisor_.sideSessionRoute();
  const FixtureRun run{QUuid::createUuid(), session_.id, *session_.liveShowIdentity};
  parkOperationID_ = run.operationID;
  parkSession_.reset(makeParkSession_().release());
  parkSession_->transport().relayPairingKey = route.relayKey;
  publish(isRefreshingParkedChannels_, true, &FixtureControl::isRefreshingParkedChannelsChanged);
  publish(parkStatusMessage_,
          action ? u"Checking Eos park state…"_s : u"Checking parked channels…"_s,
          &FixtureControl::parkStatusMessageChanged);

  std::optional<EosParkSession::Action> request;
  if (action) request = EosParkSession::Action{channel, *action};
  const QPointer<FixtureControl> control(this);
  const std::optional<QString> refusal = parkSession_->start(
      run.showIdentity, request,
      [control, run, action] { return control && control->canContinueParkOperation(run, action); },
      [control, run, channel, action](const EosParkSession::Result &result) {
        if (control) control->handleParkResult(result, run, channel, action);
      },
      route.endpoint, route.framing);
  if (refusal)
    handleParkResult(std::unexpected(EosParkSession::Failure{*refusal}), run, channel, action);
  return true;
}

bool FixtureControl::canContinueParkOperation(const FixtureRun &run,
                                              std::optional<FixtureParkAction> action) const {
  // Reading the parked channels changes nothing, so a viewer may; acting may not.
  return runIsCurrent(run, parkOperationID_) && gate_.isShowDataCurrent() &&
         gate_.isMainConnectionReady() && gate_.hasFreshMatchedPing() &&
         (!action || !gate_.isViewer());
}

void FixtureControl::handleParkResult(const EosParkSession::Result &result, const FixtureRun &run,
                                      int channel, std::optional<FixtureParkAction> action) {
  if (!runIsCurrent(run, parkOperationID_)) return;
  parkSession_.reset();
  publish(isRefreshingParkedChannels_, false, &FixtureControl::isRefreshingParkedChannelsChanged);
  const auto forgetPendingPark = [&] {
    if (action) store_->resetPendingPark(channel, *action, run.sessionID, run.showIdentity);
  };
  if (!result) {
    forgetPendingPark();
    publish(parkStatusMessage_, result.error().text, &FixtureControl::parkStatusMessageChanged);
    return;
  }

  const std::set<int> patched = patchedChannels();
  std::set<int> parked;
  std::ranges::set_intersection(*result, patched, std::inserter(parked, parked.end()));
  // A reset of the Live controls empties the store while nothing changed on the console.
  // This readback belongs to the session and show still current, so it starts the store
  // afresh rather than being refused as a change it never saw.
  if (!store_->hasActiveSession()) store_->updateSession(run.sessionID, run.showIdentity);
  if (!store_->applyParkedChannels(parked, patched, run.sessionID, run.showIdentity)) {
    forgetPendingPark();
    publish(parkStatusMessage_, u"Park state changed during the query. Sync and check again."_s,
            &FixtureControl::parkStatusMessageChanged);
    return;
  }
  publish(parkStatusMessage_,
          QString::number(parked.size()) + (parked.size() == 1 ? u" channel"_s : u" channels"_s) +
              u" parked"_s,
          &FixtureControl::parkStatusMessageChanged);
}

}  // namespace tarnik
