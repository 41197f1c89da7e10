#pragma once

#include <QTcpServer>

namespace tarnik {

// A listening socket that hands over every accepted connection as a bare descriptor, so the
// relay decides at once whether to take it and wraps it in a TLS socket of its own: a
// connection counts from the moment it is accepted, handshake or not.
class TarnikRelayListener : public QTcpServer {
  Q_OBJECT

 public:
  using QTcpServer::QTcpServer;

  // Closes a connection that will not be served.
  static void refuse(qintptr descriptor);

 signals:
  void connectionOffered(qintptr descriptor);

 protected:
  void incomingConnection(qintptr descriptor) override;
};

}  // namespace tarnik
