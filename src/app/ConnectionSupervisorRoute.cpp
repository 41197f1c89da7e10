#include "app/ConnectionSupervisor.h"

using namespace Qt::StringLiterals;

// The route the main connection takes and the user's wish for a connection at all; the
// lifecycle operations of the model set them here in their fixed order.

namespace tarnik {

void ConnectionSupervisor::stopReconnecting() {
  reconnectWorkItem_.cancel();
  reconnectAttempt_ = 0;
  reconnectFailureStatus_.reset();
}

void ConnectionSupervisor::connectTo(const ConsoleConnectionProfile &settings,
                                     std::optional<QString> relayKey) {
  stopReconnecting();
  wantsConnection_ = true;
  resumeEndpoint_.reset();
  activeConnectionSettings_ = settings;
  activeRelayKey_ = std::move(relayKey);
  reconnect(settings, u"Connecting…"_s);
}

void ConnectionSupervisor::prepareServiceRoute(const OSCEndpoint &endpoint) {
  activeRelayKey_.reset();
  manager_.relayPairingKey.reset();
  stopReconnecting();
  wantsConnection_ = true;
  resumeEndpoint_ = endpoint;
}

void ConnectionSupervisor::followService(const OSCEndpoint &endpoint,
                                         const ConsoleConnectionProfile &settings,
                                         std::optional<QString> relayKey) {
  wantsConnection_ = true;
  activeRelayKey_ = relayKey;
  resumeEndpoint_ = endpoint;
  activeConsoleEndpoint_ = endpoint;
  activeConnectionSettings_ = settings;
  manager_.transport = settings.transport;
  manager_.tcpFraming = settings.tcpFraming;
  manager_.relayPairingKey = std::move(relayKey);
  manager_.connect(endpoint);
  if (settings.transport == OSCTransport::udp) manager_.startListening(settings.udpListenPort);
}

void ConnectionSupervisor::disconnect() {
  wantsConnection_ = false;
  resumeEndpoint_.reset();
  stopReconnecting();
  session_.resetSessionState(u"Offline"_s);
  manager_.disconnect();
  activeConnectionSettings_.reset();
  activeConsoleEndpoint_.reset();
}

void ConnectionSupervisor::handleConnectionLoss(const QString &reason) {
  const QString text = reason + u" — cached data retained"_s;
  session_.releaseOwnedFlash(reason);
  dropForReconnect(text);
}

void ConnectionSupervisor::dropForReconnect(const QString &status) {
  reconnectFailureStatus_ = status;
  session_.resetSessionState(status);
  manager_.disconnect();
  scheduleReconnect(status);
}

void ConnectionSupervisor::markUnreachable() {
  publish(isConsoleReachable_, false, &ConnectionSupervisor::isConsoleReachableChanged);
}

void ConnectionSupervisor::connectionSucceeded() {
  reconnectFailureStatus_.reset();
  reconnectAttempt_ = 0;
}

QString ConnectionSupervisor::transportDescription() const {
  const QString separator = u" · "_s;
  if (resumeEndpoint_ && activeConnectionSettings_) {
    return manager_.effectiveEndpointDescription() + separator +
           (activeConnectionSettings_->transport == OSCTransport::udp ? u"UDP"_s : u"TCP"_s) +
           separator + displayText(activeConnectionSettings_->tcpFraming);
  }
  if (activeConnectionSettings_)
    return ConnectionForm::connectionSummary(*activeConnectionSettings_);
  if (const std::optional<ConsoleConnectionProfile> settings = form_.makeConnectionSettings()) {
    return ConnectionForm::connectionSummary(*settings);
  }
  return u"Not configured"_s;
}

OSCTCPFraming ConnectionSupervisor::sessionFraming() const {
  return activeConnectionSettings_ ? activeConnectionSettings_->tcpFraming : manager_.tcpFraming;
}

std::optional<SideSessionRoute> ConnectionSupervisor::consoleRoute() const {
  if (!activeConsoleEndpoint_) return std::nullopt;
  return SideSessionRoute{*activeConsoleEndpoint_, sessionFraming(), activeRelayKey_};
}

std::optional<SideSessionRoute> ConnectionSupervisor::sideSessionRoute() const {
  if (manager_.transport != OSCTransport::tcp) return std::nullopt;
  return consoleRoute();
}

}  // namespace tarnik
