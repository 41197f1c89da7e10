#pragma once

#include "foundation/CallbackIdentity.h"
#include "link/OSCEndpoint.h"
#include "link/TarnikRelayLeg.h"

#include <QAbstractSocket>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <memory>

class QTcpSocket;

namespace tarnik {

class TarnikRelayBridge;
class TarnikRelayLeg;
class TarnikRelayPumpThread;
class TarnikRelayTlsContext;

// One phone together with its console connection. The phone's leg (downstream) is a TLS
// connection that becomes ready only when the phone proves the pairing code; then the
// console leg (upstream) is opened as plain TCP, and once both are ready both legs go to the
// pump thread, which copies bytes both ways. The session stays on the GUI thread, reports
// what its owner acts on, and does nothing more after close().
class TarnikRelaySession : public QObject {
  Q_OBJECT

 public:
  struct Settings {
    std::shared_ptr<const TarnikRelayTlsContext> tls;  // never null
    OSCEndpoint console;
    std::shared_ptr<OSCServiceResolver> serviceResolver;  // may be null
    std::chrono::milliseconds setupTimeout;
    std::chrono::milliseconds sendTimeout;
    TarnikRelayPumpThread *pumpThread;  // where the bytes are copied once both legs are ready
  };

  TarnikRelaySession(qintptr descriptor, const Settings &settings, QObject *parent = nullptr);
  ~TarnikRelaySession() override;

  // Starts the phone's handshake and the setup timer: phone handshake and console
  // connection together must be done before it fires.
  void start();

  bool isAuthenticated() const { return authenticated_; }

  // Cuts every handler, stops the timers and closes both legs.
  void close();

 signals:
  void authenticated();
  // Something ended the session: a failed leg, the end of a stream, a timer.
  void closeRequested();

 private:
  void downstreamActivity();
  void continueHandshake();
  void watchDownstream();
  void waitForDownstream(TarnikRelayLeg::Status status);
  void openUpstream();
  void connectUpstream(const OSCEndpoint::HostPort &target);
  void upstreamFailed(QAbstractSocket::SocketError error);
  void upstreamReady();
  void requestClose();

  Settings settings_;
  // Both null once handed to the bridge.
  std::unique_ptr<TarnikRelayLeg> downstream_;
  QTcpSocket *upstream_ = nullptr;
  // Watch the phone's socket until the bridge takes it.
  QSocketNotifier downstreamReadable_{QSocketNotifier::Read};
  QSocketNotifier downstreamWritable_{QSocketNotifier::Write};
  TarnikRelayBridge *bridge_ = nullptr;  // on the pump thread; ended only by close()
  OSCEndpoint::HostPort upstreamTarget_;
  QTimer setupTimer_;
  QTimer retryTimer_;
  bool authenticated_ = false;
  bool pumping_ = false;
  bool closed_ = false;
  // Renewed by close(), so that a console lookup still under way acts no more.
  CallbackIdentity lookup_;
};

}  // namespace tarnik
