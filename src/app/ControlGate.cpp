#include "app/ControlGate.h"

using namespace Qt::StringLiterals;

namespace tarnik {

ControlGate::ControlGate(const OSCManager &connection, std::shared_ptr<AppTiming> timing,
                         const ConnectionForm &form, const ConnectionSupervisor &supervisor,
                         ShowMirror &mirror, ConsoleCommandLine &commandLine, IdentifyFlash &flash)
    : connection_(connection),
      timing_(std::move(timing)),
      form_(form),
      supervisor_(supervisor),
      mirror_(mirror),
      commandLine_(commandLine),
      flash_(flash) {}

bool ControlGate::isViewer() const { return form_.interactionMode() == InteractionMode::viewer; }

bool ControlGate::isMainConnectionReady() const { return connection_.isConnected(); }

bool ControlGate::hasFreshMatchedPing() const {
  // The arrival is stamped on the timing's clock, so both sides of the age are one clock.
  const std::optional<double> arrival = connection_.lastPingResponseUptime();
  return connection_.lastPingResponse() && arrival && timing_->uptime() - *arrival <= freshPingAge;
}

bool ControlGate::canControlFixtures() const {
  return !isViewer() && isMainConnectionReady() && supervisor_.isConsoleReachable() &&
         isShowDataCurrent();
}

bool ControlGate::ensureControlAllowed(const QString &action, bool requiresCurrentShowData) {
  QString reason;
  if (isViewer()) {
    reason = u"Viewer mode"_s;
  } else if (!isMainConnectionReady()) {
    reason = u"console transport is not ready"_s;
  } else if (!hasFreshMatchedPing()) {
    reason = u"no recent matched console ping"_s;
  } else if (requiresCurrentShowData && !isShowDataCurrent()) {
    reason = u"current console session has not completed show sync"_s;
  } else {
    return true;
  }
  reportCommandRejected(action, reason);
  return false;
}

void ControlGate::reportCommandRejected(const QString &summary, const QString &reason) {
  mirror_.reportStatus(u"Command rejected — "_s + reason);
  commandLine_.recordCommandHistory(summary + u" — "_s + reason, u"Rejected"_s);
}

bool ControlGate::releaseOwnedFlash(const QString &action) {
  const std::optional<IdentifyFlash::OwnedFlash> owned = flash_.owned();
  const IdentifyFlash::Release release = flash_.release();
  if (release == IdentifyFlash::Release::notNeeded) return true;
  const QString summary = u"End identify channel "_s + QString::number(owned->channelNumber);
  if (release == IdentifyFlash::Release::refused) {
    reportCommandRejected(summary, u"could not release Flash before "_s + action.toLower());
    return false;
  }
  commandSent(summary);
  return true;
}

void ControlGate::commandSent(const QString &summary) {
  mirror_.noteChangeSent();
  commandLine_.noteSent(summary);
}

}  // namespace tarnik
