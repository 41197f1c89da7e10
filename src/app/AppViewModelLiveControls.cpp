#include "app/AppViewModel.h"

#include <QPointer>

#include <cmath>

using namespace Qt::StringLiterals;

// Single fixtures are driven through an isolated Live-control session: its own connection
// and console user, apart from the user's own command line. Every callback carries the run
// it was made for, so those of a replaced or reset session change nothing.

namespace tarnik {

namespace {

constexpr double identifyDuration = 3.0;  // seconds

}  // namespace

void AppViewModel::prepareLiveControls() {
  // Each refusal is silent: the next completed sync or a screen tries again.
  if (liveControlSession_ || !isShowDataCurrent()) return;
  if (oscManager_->transport != OSCTransport::tcp) return;
  if (!activeConsoleEndpoint_ || !knownLiveShowIdentity_) return;

  const FixtureRun run{QUuid::createUuid(), sessionID_, *knownLiveShowIdentity_};
  liveControlOperationID_ = run.operationID;
  liveControlSession_.reset(makeLiveControlSession_().release());
  EosLiveControlSession &session = *liveControlSession_;
  session.transport().relayPairingKey = activeRelayKey_;

  const QPointer<AppViewModel> model(this);
  const auto current = [model, run] {
    return model && model->runIsCurrent(run, model->liveControlOperationID_);
  };
  session.onIdentifyReleased = [model, current](int channel) {
    if (current()) model->fixtureControls_->requestLatestReadback(channel);
  };
  session.onColorReadback = [model, current](int channel, double hue, double saturation) {
    if (current()) model->fixtureControls_->completeColorRead(channel, hue, saturation);
  };
  session.onShowInvalidated = [model, run](const QString &text) {
    // Another show on the console reloads like every other show change does.
    if (model && model->liveControlOperationID_ == run.operationID)
      model->handleConnectionLoss(u"Live controls: "_s + text);
  };
  publish(fixtureControlStatus_, u"Preparing Live controls…"_s,
          &AppViewModel::fixtureControlStatusChanged);
  startLiveControlSession(run, sessionFraming());
}

void AppViewModel::startLiveControlSession(const FixtureRun &run, OSCTCPFraming framing) {
  const QPointer<AppViewModel> model(this);
  const auto sameOperation = [model, run] {
    return model && model->liveControlOperationID_ == run.operationID;
  };
  const std::optional<QString> refusal = liveControlSession_->start(
      run.showIdentity, [model, run] { return model && model->liveControlCanSend(run); },
      [model, run, sameOperation] {
        if (sameOperation()) model->liveControlSessionReady(run);
      },
      [model, run](const OSCMessage &message) {
        if (model && model->runIsCurrent(run, model->liveControlOperationID_))
          model->fixtureControls_->handleMessage(message);
      },
      [model, sameOperation](const QString &text) {
        // A failed side session ends only itself: the user's own connection stays.
        if (sameOperation()) model->reportLiveControlsUnavailable(text);
      },
      *activeConsoleEndpoint_, framing);
  if (refusal && liveControlOperationID_ == run.operationID)
    reportLiveControlsUnavailable(*refusal);
}

void AppViewModel::reportLiveControlsUnavailable(const QString &text) {
  resetLiveControls();
  publish(fixtureControlStatus_, u"Live controls unavailable: "_s + text,
          &AppViewModel::fixtureControlStatusChanged);
}

bool AppViewModel::liveControlCanSend(const FixtureRun &run) const {
  return runIsCurrent(run, liveControlOperationID_) && isShowDataCurrent() &&
         oscManager_->isConnected() && hasFreshMatchedPing();
}

void AppViewModel::liveControlSessionReady(const FixtureRun &run) {
  fixtureControls_->resetSession();
  fixtureControls_->updateSession(run.sessionID, run.showIdentity);
  publish(isFixtureControlReady_, true, &AppViewModel::isFixtureControlReadyChanged);
  publish(fixtureControlStatus_, u"Live controls ready"_s,
          &AppViewModel::fixtureControlStatusChanged);
  if (startNetworkingOnInit_) refreshParkedChannels(0, std::nullopt);
}

void AppViewModel::setIntensity(int channel, double level) {
  // A level that is not a number would reach the console as whatever it turns into there.
  if (!std::isfinite(level)) return;
  const std::optional<FixtureControlState> state = fixtureControls_->state(channel);
  if (!state) return;
  for (const FixtureControlParameter &parameter : state->parameters) {
    if (isIntensityParameterName(parameter.name) && parameter.isAdjustable()) {
      fixtureControls_->sendParameterValue(level, parameter.name, channel);
      return;
    }
  }
}

void AppViewModel::identifyFixture(const Channel &channel) {
  if (!isFixtureControlReady_ || pendingPatchWrite_) return;
  if (!ensureControlAllowed(u"Identify fixture"_s, true)) return;
  if (!liveControlSession_ || !liveControlSession_->identify(int(channel.number), identifyDuration))
    return;
  ++mutationSequence_;
  recordCommandHistory(u"Identify channel "_s + QString::number(channel.number), u"Sent"_s);
}

}  // namespace tarnik
