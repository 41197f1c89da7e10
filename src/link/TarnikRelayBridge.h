#pragma once

#include <QObject>

#include <chrono>

class QSslSocket;
class QTcpSocket;

namespace tarnik {

// Both legs of one relay session once bytes flow, and the two pumps between them. It is
// made on the GUI thread and then runs on the relay's pump thread; the session that made it
// hears from it only through finished() and ends it only through shutDown().
class TarnikRelayBridge : public QObject {
  Q_OBJECT

 public:
  // Takes both sockets, which must have no parent, as its children.
  TarnikRelayBridge(QSslSocket *phone, QTcpSocket *console, std::chrono::milliseconds sendTimeout);

  // On the pump thread: starts copying both ways.
  void start();
  // On the pump thread: cuts every handler, closes both legs and deletes the bridge.
  void shutDown();

 signals:
  // One direction ended (see TarnikRelayPump::finished). Emitted once.
  void finished();

 private:
  void finish();

  QSslSocket *phone_;
  QTcpSocket *console_;
  std::chrono::milliseconds sendTimeout_;
  bool finished_ = false;
};

}  // namespace tarnik
