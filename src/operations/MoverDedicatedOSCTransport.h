#pragma once

#include "operations/MoverOSCTransport.h"

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <optional>

namespace tarnik {

class OSCManager;

// The mover's transport: each session its own OSCManager over direct TCP. A probe opens a
// fresh connection, pings it with a token of its own and delivers the board user's command
// line only once the console is verified as Eos, the token has come back and the line has
// been seen, in whatever order these arrive; it ends after 1.5 s at the latest.
class MoverDedicatedOSCTransport : public QObject, public MoverOSCTransport {
  Q_OBJECT

 public:
  static constexpr double mainConnectTimeout = 8.0;
  static constexpr double mainVerificationTimeout = 5.0;
  static constexpr double probeTimeLimit = 1.5;

  explicit MoverDedicatedOSCTransport(QObject *parent = nullptr);
  ~MoverDedicatedOSCTransport() override;

  void connect(const OSCEndpoint &endpoint, OSCTCPFraming framing) override;
  void disconnect() override;
  bool send(const OSCMessage &message) override;
  bool startProbe(const QUuid &requestID, int user) override;
  void cancelProbe() override;

  static QString probeToken(const QUuid &requestID);

 private:
  OSCManager *makeManager(double connectTimeout, double verificationTimeout) const;
  static void release(QPointer<OSCManager> &manager, QList<QMetaObject::Connection> &connections);
  void handleProbeMessage(const OSCMessage &message);
  void evaluateProbe();

  QPointer<OSCManager> manager_;
  QList<QMetaObject::Connection> subscriptions_;
  std::optional<OSCEndpoint> endpoint_;
  OSCTCPFraming framing_ = OSCTCPFraming::packetLength;

  QPointer<OSCManager> probeManager_;
  QList<QMetaObject::Connection> probeSubscriptions_;
  QTimer probeLimit_;
  std::optional<QUuid> probeID_;
  QString probeToken_;
  int probeUser_ = 1;
  bool probeConnected_ = false;
  bool probeVerified_ = false;
  bool probePingMatched_ = false;
  std::optional<OSCMessage> probeCommand_;
  std::optional<double> probeCommandObservedAt_;
};

}  // namespace tarnik
