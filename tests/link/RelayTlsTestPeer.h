#pragma once

// A loopback relay listener for the TLS tests: every accepted connection becomes a
// server-mode QSslSocket armed from one pairing code with the relay's rules, answering with
// the key only for the relay's identity.

#include "link/TarnikRelaySecurity.h"
#include "support/QtTestApplication.h"

#include <QHostAddress>
#include <QList>
#include <QSslPreSharedKeyAuthenticator>
#include <QSslSocket>
#include <QTcpServer>

namespace tarnik::testing {

class RelayTlsTestPeer : public QTcpServer {
 public:
  explicit RelayTlsTestPeer(TarnikRelaySecurity::Parameters parameters)
      : parameters_(std::move(parameters)) {
    ensureCoreApplication();
    listen(QHostAddress::LocalHost, 0);
  }

  QList<QSslSocket *> sockets;
  int encryptedCount = 0;

 protected:
  void incomingConnection(qintptr descriptor) override {
    auto *socket = new QSslSocket(this);
    socket->setSocketDescriptor(descriptor);
    socket->setSslConfiguration(parameters_.configuration);
    connect(socket, &QSslSocket::preSharedKeyAuthenticationRequired, socket,
            [this](QSslPreSharedKeyAuthenticator *authenticator) {
              if (authenticator->identity() == parameters_.identity) {
                authenticator->setPreSharedKey(parameters_.key);
              }
            });
    connect(socket, &QSslSocket::encrypted, this, [this] { ++encryptedCount; });
    socket->startServerEncryption();
    sockets.append(socket);
  }

 private:
  TarnikRelaySecurity::Parameters parameters_;
};

// The first socket that completed its handshake, or null.
inline QSslSocket *firstEncrypted(const RelayTlsTestPeer &peer) {
  for (QSslSocket *socket : peer.sockets) {
    if (socket->isEncrypted()) return socket;
  }
  return nullptr;
}

}  // namespace tarnik::testing
