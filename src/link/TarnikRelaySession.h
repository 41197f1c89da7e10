#pragma once

#include "foundation/CallbackIdentity.h"
#include "link/OSCEndpoint.h"
#include "link/TarnikRelaySecurity.h"

#include <QAbstractSocket>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>

class QSslSocket;
class QTcpSocket;

namespace tarnik {

// One phone together with its console connection. The phone's leg (downstream) is a TLS
// socket that becomes ready only when the phone proves the pairing code; then the console
// leg (upstream) is opened as plain TCP, and once both are ready bytes are copied both ways.
// The session reports what its owner acts on, and does nothing more after close().
class TarnikRelaySession : public QObject {
  Q_OBJECT

 public:
  struct Settings {
    TarnikRelaySecurity::Parameters security;
    OSCEndpoint console;
    std::shared_ptr<OSCServiceResolver> serviceResolver;  // may be null
    std::chrono::milliseconds setupTimeout;
    std::chrono::milliseconds sendTimeout;
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
  void downstreamReady();
  void downstreamFailed(QAbstractSocket::SocketError error);
  void downstreamEnded();
  void openUpstream();
  void connectUpstream(const OSCEndpoint::HostPort &target);
  void upstreamFailed(QAbstractSocket::SocketError error);
  void upstreamReady();
  void requestClose();

  Settings settings_;
  QSslSocket *downstream_;
  QTcpSocket *upstream_ = nullptr;
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
