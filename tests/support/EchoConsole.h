#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace tarnik::testing {

// A loopback console for the relay: it sends back every byte it receives on 127.0.0.1.
// It reads only while its own unsent echo stays small, so a peer that stops reading
// slows it down instead of growing its buffers. Single connections can be stalled (they
// stop reading) or made to send a last message and close.
class EchoConsole : public QObject {
  Q_OBJECT

 public:
  explicit EchoConsole(QObject *parent = nullptr);

  quint16 port() const;
  // Connections ever accepted, in order; index them with the calls below.
  int acceptedCount() const;
  int openCount() const;
  qint64 receivedCount(int index) const;
  // Every byte received on the connection, kept only while recording is on.
  QByteArray received(int index) const;
  void setRecording(bool recording);
  // A console that only listens still reads and counts, but sends nothing back.
  void setEchoing(bool echoing);

  void stopReading(int index);
  void sendAndClose(int index, const QByteArray &bytes);

 signals:
  void connectionAccepted();
  void connectionClosed();

 private:
  struct Connection {
    QPointer<QTcpSocket> socket;
    qint64 receivedCount = 0;
    QByteArray received;
    bool reading = true;
    bool open = true;
  };

  void accept();
  void echo(int index);
  void take(Connection &connection, const QByteArray &bytes);
  void closed(int index);

  QTcpServer server_;
  QList<Connection> connections_;
  bool recording_ = false;
  bool echoing_ = true;
};

}  // namespace tarnik::testing
