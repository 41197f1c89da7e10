#include "app/ConnectionSupervisor.h"

#include "operations/EosOSCAddress.h"

#include <algorithm>
#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

constexpr double heartbeatInterval = 2.0;      // seconds
constexpr double longestReconnectDelay = 8.0;  // seconds

}  // namespace

ConnectionSupervisor::ConnectionSupervisor(OSCManager &manager, std::shared_ptr<AppTiming> timing,
                                           const ConnectionForm &form, Session &session,
                                           Limits limits, QObject *parent)
    : ObservableObject(parent),
      manager_(manager),
      timing_(std::move(timing)),
      form_(form),
      session_(session),
      limits_(limits) {}

// Each handler first sees the value current now, as a subscriber that reads on connecting;
// the supervisor is the context of every connection and goes before the connection, so
// no handler outlives it.
void ConnectionSupervisor::bindConnectionState() {
  OSCManager *manager = &manager_;
  QObject::connect(manager, &OSCManager::isConnectedChanged, this,
                   [this, previous = manager->isConnected()](bool ready) mutable {
                     // The connection announces repeats; only a change is a transition.
                     if (ready == previous) return;
                     previous = ready;
                     handleTransportStateChange(ready);
                   });
  handleTransportStateChange(manager->isConnected());

  QObject::connect(manager, &OSCManager::lastPingResponseChanged, this,
                   [this](std::optional<double> date) {
                     handlePingResponse(date);
                     if (date) consoleAnswered();
                   });
  handlePingResponse(manager->lastPingResponse());
  QObject::connect(manager, &OSCManager::isEosVerifiedChanged, this, [this](bool verified) {
    if (verified) consoleAnswered();
  });

  // A browsing failure stays with the list of nearby consoles: no connection failed.
  const auto connectionError = [manager](const std::optional<QString> &error) {
    return error && error != manager->discoveryError() ? error : std::optional<QString>();
  };
  QObject::connect(manager, &OSCManager::lastErrorChanged, this,
                   [this, connectionError](const std::optional<QString> &error) {
                     if (const auto failure = connectionError(error)) handleOSCError(*failure);
                   });
  if (const auto failure = connectionError(manager->lastError())) handleOSCError(*failure);

  QObject::connect(
      manager, &OSCManager::discoveredServicesChanged, this,
      [this](const QList<OSCEndpoint> &results) { updateDiscoveredConsoles(results); });
  updateDiscoveredConsoles(manager->discoveredServices());
}

void ConnectionSupervisor::handleTransportStateChange(bool ready) {
  if (ready == transportWasReady_) return;
  transportTransitionID_ = QUuid::createUuid();
  transportWasReady_ = ready;
  socketReadyAt_ = ready ? std::optional(timing_->uptime()) : std::nullopt;
  initialSyncAwaitsConsole_ = false;

  if (!ready) {
    const QString failure =
        reconnectFailureStatus_.value_or(u"Connection lost — cached data retained"_s);
    session_.resetSessionState(wantsConnection_ ? failure : u"Offline"_s);
    if (wantsConnection_) {
      reconnectFailureStatus_ = failure;
      scheduleReconnect(failure);
    }
    return;
  }

  reconnectWorkItem_.cancel();
  // The session that the sync runs in is the one of this socket.
  session_.beginSession();
  publish(isConsoleReachable_, false, &ConnectionSupervisor::isConsoleReachableChanged);
  session_.reportStatus(reconnectFailureStatus_
                            ? *reconnectFailureStatus_ + u" — verifying reconnect"_s
                            : u"Socket open — verifying Eos"_s);
  if (!manager_.send({EosOSCAddress::subscribe, {OSCArgument::fromInt(1)}})) {
    handleConnectionLoss(u"Could not subscribe on the ready connection"_s);
    return;
  }
  manager_.sendPing();
  // A UDP socket is ready whether or not a console listens, and requests sent into the void
  // are never sent again: over UDP the sync waits for the console's first answer.
  if (manager_.transport == OSCTransport::udp && !manager_.isEosVerified()) {
    initialSyncAwaitsConsole_ = true;
    return;
  }
  scheduleInitialSync();
}

void ConnectionSupervisor::consoleAnswered() {
  if (std::exchange(initialSyncAwaitsConsole_, false)) scheduleInitialSync();
}

void ConnectionSupervisor::scheduleInitialSync() {
  // Runs after this change has settled; a transition overtaken by another starts nothing.
  QMetaObject::invokeMethod(
      this, [this, transition = transportTransitionID_] { startInitialSync(transition); },
      Qt::QueuedConnection);
}

void ConnectionSupervisor::startInitialSync(const QUuid &transitionID) {
  if (transportTransitionID_ != transitionID || !transportWasReady_ || !manager_.isConnected())
    return;
  session_.startInitialSync();
}

void ConnectionSupervisor::handlePingResponse(std::optional<double> date) {
  const std::optional<double> response = date ? date : manager_.lastPingResponse();
  const std::optional<double> arrival = manager_.lastPingResponseUptime();
  // The reply's age is measured on the monotonic clock; its date is only what is shown.
  const bool reachable =
      transportWasReady_ && response && arrival && timing_->uptime() - *arrival <= pingFreshness;
  publish(isConsoleReachable_, reachable, &ConnectionSupervisor::isConsoleReachableChanged);
  if (reachable) publish(lastConnectedAt_, response, &ConnectionSupervisor::lastConnectedAtChanged);
}

void ConnectionSupervisor::handleOSCError(const QString &text) {
  // Looked at once the change that reported it has settled: an error while the transport
  // is up schedules nothing.
  QMetaObject::invokeMethod(
      this,
      [this, text] {
        if (wantsConnection_ && !manager_.isConnected()) scheduleReconnect(text);
      },
      Qt::QueuedConnection);
}

void ConnectionSupervisor::updateDiscoveredConsoles(const QList<OSCEndpoint> &results) {
  QList<DiscoveredConsole> consoles;
  for (const OSCEndpoint &result : results) {
    const OSCEndpoint::Service *service = result.asService();
    if (!service) continue;
    consoles.append({QUuid::createUuid(), service->name, result,
                     service->type.contains(u"_tcp"_s) ? OSCTransport::tcp : OSCTransport::udp});
  }
  publish(discoveredConsoles_, std::move(consoles),
          &ConnectionSupervisor::discoveredConsolesChanged);
}

void ConnectionSupervisor::scheduleReconnect(const QString &status) {
  if (!wantsConnection_ || reconnectWorkItem_) return;
  const int made = reconnectAttempt_;
  const QString maximum = QString::number(limits_.maximumReconnectAttempts);
  if (made >= limits_.maximumReconnectAttempts) {
    session_.reportStatus(status + u" — automatic reconnect stopped after "_s + maximum +
                          u" attempts"_s);
    return;
  }
  const double delay =
      std::min(std::ldexp(limits_.reconnectBaseDelay, made), longestReconnectDelay);
  const int attempt = made + 1;
  session_.reportStatus(status + u" — retrying "_s + QString::number(attempt) + u"/"_s + maximum);
  reconnectWorkItem_ = timing_->schedule(
      delay, [this, attempt, status] { performReconnectAttempt(attempt, status); });
}

void ConnectionSupervisor::performReconnectAttempt(int attempt, const QString &status) {
  // Cleared before anything else: an attempt that stops early must not leave its fired
  // item behind, or no later loss could ever schedule again.
  reconnectWorkItem_.cancel();
  if (!wantsConnection_ || !activeConnectionSettings_) return;
  reconnectAttempt_ = attempt;
  const QString text = status + u" — reconnect attempt "_s + QString::number(attempt) + u"/"_s +
                       QString::number(limits_.maximumReconnectAttempts);
  const ConsoleConnectionProfile &settings = *activeConnectionSettings_;
  if (!resumeEndpoint_) {
    reconnect(settings, text);
    return;
  }
  session_.resetSessionState(text);
  activeConsoleEndpoint_ = resumeEndpoint_;
  manager_.transport = settings.transport;
  manager_.tcpFraming = settings.tcpFraming;
  manager_.connect(*resumeEndpoint_);
  if (settings.transport == OSCTransport::udp) manager_.startListening(settings.udpListenPort);
}

void ConnectionSupervisor::reconnect(const ConsoleConnectionProfile &settings,
                                     const QString &status) {
  session_.resetSessionState(status);
  manager_.transport = settings.transport;
  manager_.tcpFraming = settings.tcpFraming;
  manager_.relayPairingKey = activeRelayKey_;
  activeConsoleEndpoint_ = OSCEndpoint::hostPort(settings.host, settings.destinationPort);
  if (settings.relayService) {
    const OSCEndpoint service = OSCEndpoint::service(
        settings.relayService->name, settings.relayService->type, settings.relayService->domain);
    activeConsoleEndpoint_ = service;
    resumeEndpoint_ = service;
    manager_.connect(service);
  } else {
    manager_.connect(settings.host, settings.destinationPort);
  }
  if (settings.transport == OSCTransport::udp) manager_.startListening(settings.udpListenPort);
}

void ConnectionSupervisor::startHeartbeat() {
  if (heartbeatTimer_) return;
  heartbeatTimer_ = timing_->repeat(heartbeatInterval, [this] { heartbeatTick(); });
}

void ConnectionSupervisor::heartbeatTick() {
  // A ping that cannot be sent never gets a matched reply; the silence below decides.
  if (manager_.isConnected()) manager_.sendPing();
  handlePingResponse(std::nullopt);
  // Taken on every tick, so that a stall is known whenever the connection comes to be judged.
  const std::optional<double> silence = consoleSilence();
  if (!wantsConnection_ || !transportWasReady_) return;
  if (silence && *silence > pingFreshness)
    handleConnectionLoss(u"Eos heartbeat timed out at "_s + transportDescription());
}

std::optional<double> ConnectionSupervisor::consoleSilence() {
  const double now = timing_->uptime();
  // While this thread stalls (a slow handler, the process stopped), nothing reads the
  // socket and the tick itself comes late: a reply that came meanwhile still waits unread.
  // That time says nothing about the console.
  const std::optional<double> previousTick = std::exchange(lastTickAt_, now);
  const double stall = previousTick ? std::max(0.0, now - *previousTick - heartbeatInterval) : 0;
  std::optional<double> lastSign = socketReadyAt_;
  const std::optional<double> lastPing = manager_.lastPingResponseUptime();
  if (lastPing && (!lastSign || *lastPing > *lastSign)) lastSign = lastPing;
  if (lastSign != silenceReference_) {
    silenceReference_ = lastSign;
    stalledSinceReference_ = 0;
  }
  if (!lastSign) return std::nullopt;
  // A sign stamped within the stall's length of now was read after it.
  if (*lastSign <= now - stall) stalledSinceReference_ += stall;
  return now - *lastSign - stalledSinceReference_;
}

}  // namespace tarnik
