#pragma once

#include "foundation/CallbackIdentity.h"
#include "foundation/ObservableObject.h"
#include "link/OSCEndpoint.h"
#include "link/TarnikRelayPumpThread.h"
#include "link/TarnikRelaySession.h"
#include "platform/LogindInhibitor.h"
#include "platform/LogindSleepMonitor.h"

#include <QString>
#include <QUuid>

#include <map>
#include <memory>
#include <optional>

namespace tarnik {

class AvahiServiceAdvertiser;
class TarnikRelayListener;

// Lets phones on Wi-Fi reach the console's OSC TCP port through this machine. It listens
// for TLS 1.2 connections secured by the pairing code, announces itself over Bonjour, and
// for every phone that proves the code opens a plain TCP connection to the console and
// copies bytes unchanged both ways. It knows nothing of OSC. Lives on the GUI thread.
class TarnikRelayServer : public ObservableObject {
  Q_OBJECT
  Q_PROPERTY(QString status READ status NOTIFY statusChanged)
  Q_PROPERTY(int clientCount READ clientCount NOTIFY clientCountChanged)
  Q_PROPERTY(bool isRunning READ isRunning NOTIFY isRunningChanged)
  Q_PROPERTY(std::optional<quint16> boundPort READ boundPort NOTIFY boundPortChanged)

 public:
  // The port a Mac's relay listens on, and so the one a phone's route goes to.
  static constexpr quint16 standardPort = 9443;

  // A maximum below 1 counts as 1; a timeout not above 0.1 seconds counts as 0.1.
  explicit TarnikRelayServer(int maximumSessions = 12, double setupTimeout = 8.0,
                             double sendTimeout = 10.0, QObject *parent = nullptr);
  ~TarnikRelayServer() override;

  const QString &status() const { return status_; }
  // Sessions whose phone has proved the pairing code.
  int clientCount() const { return clientCount_; }
  bool isRunning() const { return isRunning_; }
  std::optional<quint16> boundPort() const { return boundPort_; }

  int maximumSessions() const { return maximumSessions_; }
  double setupTimeout() const { return setupTimeout_; }
  double sendTimeout() const { return sendTimeout_; }

  // Consoles given as Bonjour services are resolved through this for every session; Avahi
  // unless replaced. Takes effect at the next start.
  void setServiceResolver(std::shared_ptr<OSCServiceResolver> resolver);

  // Always from a clean state: stops first. A relay port of 0 takes any free port, which
  // boundPort then reports. The outcome shows in the published values.
  void start(const OSCEndpoint &consoleEndpoint, quint16 port, const QString &pairingCode);
  void stop();

 signals:
  void statusChanged();
  void clientCountChanged();
  void isRunningChanged();
  void boundPortChanged();

 private:
  void listen(CallbackIdentity::Value run, quint16 port);
  void listenerReady(CallbackIdentity::Value run);
  void listenerFailed(CallbackIdentity::Value run);
  void accept(qintptr descriptor, CallbackIdentity::Value run);
  void closeSession(const QUuid &sessionId);
  void updateClientCount();
  void stopForSleep();

  QString status_;
  int clientCount_ = 0;
  bool isRunning_ = false;
  std::optional<quint16> boundPort_;

  TarnikRelayListener *listener_ = nullptr;
  std::unique_ptr<AvahiServiceAdvertiser> advertiser_;
  CallbackIdentity generation_;
  std::map<QUuid, TarnikRelaySession *> sessions_;
  std::optional<TarnikRelaySession::Settings> sessionSettings_;
  std::shared_ptr<OSCServiceResolver> serviceResolver_;
  int maximumSessions_;
  double setupTimeout_;
  double sendTimeout_;
  LogindSleepMonitor sleepMonitor_;
  LogindInhibitor keepAwake_;
  TarnikRelayPumpThread pumpThread_;
};

}  // namespace tarnik
