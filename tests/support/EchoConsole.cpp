#include "support/EchoConsole.h"

#include <QHostAddress>

#include <algorithm>

namespace tarnik::testing {

namespace {

constexpr qint64 readLimit = 64 * 1024;
constexpr qint64 unsentLimit = 256 * 1024;

}  // namespace

EchoConsole::EchoConsole(QObject *parent) : QObject(parent) {
  connect(&server_, &QTcpServer::newConnection, this, &EchoConsole::accept);
  server_.listen(QHostAddress::LocalHost, 0);
}

quint16 EchoConsole::port() const { return server_.serverPort(); }

int EchoConsole::acceptedCount() const { return static_cast<int>(connections_.size()); }

int EchoConsole::openCount() const {
  return static_cast<int>(std::count_if(connections_.begin(), connections_.end(),
                                        [](const Connection &c) { return c.open; }));
}

qint64 EchoConsole::receivedCount(int index) const { return connections_.at(index).receivedCount; }

QByteArray EchoConsole::received(int index) const { return connections_.at(index).received; }

void EchoConsole::setRecording(bool recording) { recording_ = recording; }

void EchoConsole::setEchoing(bool echoing) { echoing_ = echoing; }

void EchoConsole::stopReading(int index) { connections_[index].reading = false; }

void EchoConsole::sendAndClose(int index, const QByteArray &bytes) {
  Connection &connection = connections_[index];
  connection.reading = false;
  if (connection.socket) {
    connection.socket->write(bytes);
    connection.socket->disconnectFromHost();
  }
}

void EchoConsole::accept() {
  while (QTcpSocket *socket = server_.nextPendingConnection()) {
    socket->setParent(this);
    socket->setReadBufferSize(readLimit);
    const int index = static_cast<int>(connections_.size());
    Connection connection;
    connection.socket = socket;
    connections_.append(connection);
    connect(socket, &QIODevice::readyRead, this, [this, index] { echo(index); });
    connect(socket, &QIODevice::bytesWritten, this, [this, index] { echo(index); });
    connect(socket, &QAbstractSocket::disconnected, this, [this, index] { closed(index); });
    emit connectionAccepted();
    echo(index);
  }
}

void EchoConsole::echo(int index) {
  Connection &connection = connections_[index];
  QTcpSocket *socket = connection.socket;
  if (!socket || !connection.reading || socket->state() != QAbstractSocket::ConnectedState) {
    return;
  }
  while (socket->bytesAvailable() > 0 && socket->bytesToWrite() < unsentLimit) {
    const QByteArray bytes = socket->read(readLimit);
    take(connection, bytes);
    if (echoing_) socket->write(bytes);
  }
}

void EchoConsole::take(Connection &connection, const QByteArray &bytes) {
  connection.receivedCount += bytes.size();
  if (recording_) {
    connection.received += bytes;
  }
}

void EchoConsole::closed(int index) {
  Connection &connection = connections_[index];
  if (!connection.open) {
    return;
  }
  // What arrived just before the close is still buffered; it counts as received.
  if (connection.socket && connection.reading) {
    take(connection, connection.socket->readAll());
  }
  connection.open = false;
  if (connection.socket) {
    connection.socket->deleteLater();
  }
  emit connectionClosed();
}

}  // namespace tarnik::testing
