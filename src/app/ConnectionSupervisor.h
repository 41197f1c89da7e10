#pragma once

#include "app/AppTiming.h"
#include "app/ConnectionForm.h"
#include "app/SideSessionRoute.h"
#include "foundation/ObservableObject.h"
#include "link/OSCEndpoint.h"
#include "link/OSCManager.h"
#include "model/ConsoleConnectionProfile.h"

#include <QList>
#include <QString>
#include <QUuid>

#include <memory>
#include <optional>

namespace tarnik {

// The main connection's life: the route in use and whether a connection is wanted, what
// the connection's published values drive (a ready or lost transport, the initial sync's
// start, reachability, errors, the consoles found nearby), the reconnect with its back-off
// and the heartbeat that notices a silent console.
class ConnectionSupervisor final : public ObservableObject {
  Q_OBJECT

 public:
  // One OSC service found on the network, as the connection screen lists it.
  struct DiscoveredConsole {
    QUuid id{};
    QString name{};
    OSCEndpoint endpoint{};
    OSCTransport transport = OSCTransport::udp;
    friend bool operator==(const DiscoveredConsole &, const DiscoveredConsole &) = default;
  };

  // What a change of the connection asks of the rest of the model. It outlives the
  // supervisor.
  class Session {
   public:
    // Ends the connection session: everything learnt or started in it goes; the data
    // status becomes the given text.
    virtual void resetSessionState(const QString &status) = 0;
    // A ready socket begins a session of its own.
    virtual void beginSession() = 0;
    virtual void reportStatus(const QString &text) = 0;
    virtual void startInitialSync() = 0;
    // False only when the console holds the model's flash and the release could not be sent.
    virtual bool releaseOwnedFlash(const QString &action) = 0;

   protected:
    ~Session() = default;
  };

  struct Limits {
    int maximumReconnectAttempts = 5;  // at least 1
    double reconnectBaseDelay = 0.5;   // seconds
  };

  static constexpr double pingFreshness = 5.0;  // seconds

  // The connection, the timing and the form outlive the supervisor.
  ConnectionSupervisor(OSCManager &manager, std::shared_ptr<AppTiming> timing,
                       const ConnectionForm &form, Session &session, Limits limits,
                       QObject *parent = nullptr);

  // Subscribes to the connection's published values, each first seen as it is now.
  void bindConnectionState();
  // The 2 s heartbeat, made once; each tick pings and watches for a silent console.
  void startHeartbeat();
  void heartbeatTick();

  // Connects to the settings, in a new session showing "Connecting…".
  void connectTo(const ConsoleConnectionProfile &settings, std::optional<QString> relayKey);
  // Wants a connection to a service found nearby, before the session ends; followService
  // then connects.
  void prepareServiceRoute(const OSCEndpoint &endpoint);
  void followService(const OSCEndpoint &endpoint, const ConsoleConnectionProfile &settings,
                     std::optional<QString> relayKey);
  // No connection wanted: the session ends and the route goes.
  void disconnect();
  // A fresh start of the attempts, and no failure to retry.
  void stopReconnecting();
  // The one road of a detected loss: reset, drop the link, retry when wanted.
  void handleConnectionLoss(const QString &reason);
  // Drops the link in a session ended with the status, and retries.
  void dropForReconnect(const QString &status);
  // Retries with back-off while a connection is wanted; never stacks attempts.
  void scheduleReconnect(const QString &status);

  void handleTransportStateChange(bool ready);
  void handlePingResponse(std::optional<double> date);
  void handleOSCError(const QString &text);
  void updateDiscoveredConsoles(const QList<OSCEndpoint> &results);
  // A session ends: the console is no longer known to answer.
  void markUnreachable();

  // The failure the running retries report, which a completed sync clears.
  const std::optional<QString> &reconnectFailureStatus() const { return reconnectFailureStatus_; }
  void noteFailure(const QString &status) { reconnectFailureStatus_ = status; }
  void connectionSucceeded();

  // The route in use, else the form's.
  QString transportDescription() const;
  // The framing of the route in use, the connection's own without one.
  OSCTCPFraming sessionFraming() const;
  // The main connection's transport.
  OSCTransport transport() const { return manager_.transport; }
  // The console the main connection uses, as a side session reaches it; none without one.
  std::optional<SideSessionRoute> consoleRoute() const;
  // The same, only on TCP: the Live-control and park sessions need a TCP route.
  std::optional<SideSessionRoute> sideSessionRoute() const;

  // Unpublished values
  bool wantsConnection() const { return wantsConnection_; }
  const std::optional<ConsoleConnectionProfile> &activeConnectionSettings() const {
    return activeConnectionSettings_;
  }
  const std::optional<OSCEndpoint> &activeConsoleEndpoint() const { return activeConsoleEndpoint_; }
  const std::optional<QString> &activeRelayKey() const { return activeRelayKey_; }
  int reconnectAttempt() const { return reconnectAttempt_; }
  bool isReconnectScheduled() const { return static_cast<bool>(reconnectWorkItem_); }
  const Limits &limits() const { return limits_; }

  // Published values
  bool isConsoleReachable() const { return isConsoleReachable_; }
  std::optional<double> lastConnectedAt() const { return lastConnectedAt_; }
  const QList<DiscoveredConsole> &discoveredConsoles() const { return discoveredConsoles_; }

 signals:
  void isConsoleReachableChanged(bool value);
  void lastConnectedAtChanged(std::optional<double> value);
  void discoveredConsolesChanged(
      const QList<tarnik::ConnectionSupervisor::DiscoveredConsole> &value);

 private:
  void scheduleInitialSync();
  void startInitialSync(const QUuid &transitionID);
  void consoleAnswered();
  void performReconnectAttempt(int attempt, const QString &status);
  // Points the connection at the settings, in a new session showing the status.
  void reconnect(const ConsoleConnectionProfile &settings, const QString &status);
  // Seconds since the last proof of life of the ready transport on the monotonic clock (the
  // matched ping, else the moment the socket became ready), less the time this thread
  // stalled after it. Called once per heartbeat tick, whose lateness shows the stall.
  std::optional<double> consoleSilence();

  OSCManager &manager_;
  const std::shared_ptr<AppTiming> timing_;
  const ConnectionForm &form_;
  Session &session_;
  const Limits limits_;

  // The route
  bool wantsConnection_ = false;
  std::optional<OSCEndpoint> resumeEndpoint_;
  std::optional<OSCEndpoint> activeConsoleEndpoint_;
  std::optional<ConsoleConnectionProfile> activeConnectionSettings_;
  std::optional<QString> activeRelayKey_;  // pairing code of the relay route in use

  // The transport
  QUuid transportTransitionID_ = QUuid::createUuid();
  bool transportWasReady_ = false;
  std::optional<double> socketReadyAt_;  // monotonic seconds (AppTiming::uptime)
  // A ready UDP socket whose initial sync waits for the console's first answer.
  bool initialSyncAwaitsConsole_ = false;

  // Reconnect and heartbeat
  AppTiming::WorkItem heartbeatTimer_;
  std::optional<double> lastTickAt_;        // monotonic seconds
  std::optional<double> silenceReference_;  // the proof of life the silence counts from
  double stalledSinceReference_ = 0;        // seconds this thread stalled after it
  AppTiming::WorkItem reconnectWorkItem_;
  int reconnectAttempt_ = 0;
  std::optional<QString> reconnectFailureStatus_;

  bool isConsoleReachable_ = false;
  std::optional<double> lastConnectedAt_;
  QList<DiscoveredConsole> discoveredConsoles_;
};

}  // namespace tarnik
