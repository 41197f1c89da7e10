#include "app/FixtureControl.h"

#include <QPointer>

#include <cmath>

using namespace Qt::StringLiterals;

// Single fixtures are driven through an isolated Live-control session: its own connection
// and console user, apart from the user's own command line. Every callback carries the run
// it was made for, so those of a replaced or reset session change nothing.

namespace tarnik {

void FixtureControl::prepareLiveControls() {
  // Each refusal is silent: the next completed sync or a screen tries again.
  if (liveControlSession_ || !gate_.isShowDataCurrent()) return;
  const std::optional<Route> route = supervisor_.sideSessionRoute();
  if (!route || !session_.liveShowIdentity) return;

  const FixtureRun run{QUuid::createUuid(), session_.id, *session_.liveShowIdentity};
  liveControlOperationID_ = run.operationID;
  liveControlSession_.reset(makeLiveControlSession_().release());
  EosLiveControlSession &session = *liveControlSession_;
  session.transport().relayPairingKey = route->relayKey;

  const QPointer<FixtureControl> control(this);
  const auto current = [control, run] {
    return control && control->runIsCurrent(run, control->liveControlOperationID_);
  };
  session.onIdentifyReleased = [control, current](int channel) {
    if (current()) control->store_->requestLatestReadback(channel);
  };
  session.onColorReadback = [control, current](int channel, double hue, double saturation) {
    if (current()) control->store_->completeColorRead(channel, hue, saturation);
  };
  session.onShowInvalidated = [control, run](const QString &text) {
    // Another show on the console reloads like every other show change does.
    if (control && control->liveControlOperationID_ == run.operationID)
      emit control->anotherShowFound(u"Live controls: "_s + text);
  };
  publish(fixtureControlStatus_, u"Preparing Live controls…"_s,
          &FixtureControl::fixtureControlStatusChanged);
  startLiveControlSession(run, *route);
}

void FixtureControl::startLiveControlSession(const FixtureRun &run, const Route &route) {
  const QPointer<FixtureControl> control(this);
  const auto sameOperation = [control, run] {
    return control && control->liveControlOperationID_ == run.operationID;
  };
  const std::optional<QString> refusal = liveControlSession_->start(
      run.showIdentity, [control, run] { return control && control->liveControlCanSend(run); },
      [control, run, sameOperation] {
        if (sameOperation()) control->liveControlSessionReady(run);
      },
      [control, run](const OSCMessage &message) {
        if (control && control->runIsCurrent(run, control->liveControlOperationID_))
          control->store_->handleMessage(message);
      },
      [control, sameOperation](const QString &text) {
        // A failed side session ends only itself: the user's own connection stays.
        if (sameOperation()) control->reportLiveControlsUnavailable(text);
      },
      route.endpoint, route.framing);
  if (refusal && liveControlOperationID_ == run.operationID)
    reportLiveControlsUnavailable(*refusal);
}

void FixtureControl::reportLiveControlsUnavailable(const QString &text) {
  resetLiveControls();
  publish(fixtureControlStatus_, u"Live controls unavailable: "_s + text,
          &FixtureControl::fixtureControlStatusChanged);
}

bool FixtureControl::liveControlCanSend(const FixtureRun &run) const {
  return runIsCurrent(run, liveControlOperationID_) && gate_.isShowDataCurrent() &&
         gate_.isMainConnectionReady() && gate_.hasFreshMatchedPing();
}

void FixtureControl::liveControlSessionReady(const FixtureRun &run) {
  store_->resetSession();
  store_->updateSession(run.sessionID, run.showIdentity);
  publish(isFixtureControlReady_, true, &FixtureControl::isFixtureControlReadyChanged);
  publish(fixtureControlStatus_, u"Live controls ready"_s,
          &FixtureControl::fixtureControlStatusChanged);
  if (startNetworking_) refreshParkedChannels(0, std::nullopt);
}

bool FixtureControl::identify(int channel, double duration) {
  return liveControlSession_ && liveControlSession_->identify(channel, duration);
}

void FixtureControl::setIntensity(int channel, double level) {
  // A level that is not a number would reach the console as whatever it turns into there.
  if (!std::isfinite(level)) return;
  const std::optional<FixtureControlState> state = store_->state(channel);
  if (!state) return;
  for (const FixtureControlParameter &parameter : state->parameters) {
    if (isIntensityParameterName(parameter.name) && parameter.isAdjustable()) {
      store_->sendParameterValue(level, parameter.name, channel);
      return;
    }
  }
}

}  // namespace tarnik
