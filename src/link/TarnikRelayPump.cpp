#include "link/TarnikRelayPump.h"

#include <QSslSocket>

#include <algorithm>
#include <cerrno>
#include <sys/socket.h>

namespace tarnik {

TarnikRelayPump::TarnikRelayPump(QAbstractSocket &source, QAbstractSocket &destination,
                                 std::chrono::milliseconds sendTimeout, QObject *parent)
    : QObject(parent),
      source_(source),
      destination_(destination),
      secureDestination_(qobject_cast<QSslSocket *>(&destination)),
      chunk_(chunkLimit, Qt::Uninitialized) {
  sendTimer_.setSingleShot(true);
  sendTimer_.setInterval(sendTimeout);
  connect(&sendTimer_, &QTimer::timeout, this, &TarnikRelayPump::finish);

  connect(&source_, &QIODevice::readyRead, this, &TarnikRelayPump::pump);
  // Only disconnected() marks the end: by then everything the peer sent is readable. At the
  // earlier RemoteHostClosedError a TLS socket may still hold records it has not decrypted.
  connect(&source_, &QAbstractSocket::disconnected, this, [this] {
    sourceEnded_ = true;
    pump();
  });
  connect(&source_, &QAbstractSocket::errorOccurred, this,
          [this](QAbstractSocket::SocketError error) {
            if (error != QAbstractSocket::RemoteHostClosedError) {
              finish();
            }
          });

  // A TLS socket reports bytesWritten when it has encrypted a chunk and
  // encryptedBytesWritten when the encrypted bytes reach the network; only the latter
  // means the chunk is really out.
  if (secureDestination_ != nullptr) {
    connect(secureDestination_, &QSslSocket::encryptedBytesWritten, this,
            &TarnikRelayPump::written);
  } else {
    connect(&destination_, &QIODevice::bytesWritten, this, &TarnikRelayPump::written);
  }
}

void TarnikRelayPump::start() {
  started_ = true;
  // A source that closed before its console answered has reported its end already.
  sourceEnded_ = source_.state() == QAbstractSocket::UnconnectedState;
  pump();
}

void TarnikRelayPump::pump() {
  if (!started_ || finished_ || chunkInFlight_ || pumping_) {
    return;
  }
  // Handing a chunk over may report it written on the spot, which re-enters through
  // written(); the loop, not recursion, then takes the next chunk.
  pumping_ = true;
  while (!finished_ && !chunkInFlight_ && source_.bytesAvailable() > 0) {
    const qint64 count = source_.read(chunk_.data(), chunkLimit);
    if (count <= 0) {
      break;
    }
    chunkInFlight_ = true;
    if (!send(chunk_.constData(), count)) {
      finish();
    } else if (destinationDrained()) {
      // Out at once. Its bytesWritten() may never come: a socket does not report again from
      // inside its own report, which is where this loop runs when written() started it.
      chunkInFlight_ = false;
    } else {
      // Only a chunk the network did not take at once needs its time limit.
      sendTimer_.start();
    }
  }
  pumping_ = false;
  if (!finished_ && !chunkInFlight_ && sourceEnded_ && source_.bytesAvailable() == 0) {
    finish();
  }
}

bool TarnikRelayPump::send(const char *bytes, qint64 count) {
  if (secureDestination_ == nullptr && destination_.bytesToWrite() == 0) {
    return sendDirectly(bytes, count);
  }
  if (destination_.write(bytes, count) != count) {
    return false;
  }
  // Hand the chunk to the network now rather than on the next event-loop turn: a console
  // command should not wait a turn in each direction.
  destination_.flush();
  return true;
}

// Straight into the console's socket while Qt holds nothing back for it. QTcpSocket::write
// would copy every chunk into its own buffer and switch its write notifier on and off
// again, work a small command pays for on its way to the console.
bool TarnikRelayPump::sendDirectly(const char *bytes, qint64 count) {
  ssize_t sent = 0;
  do {
    sent = ::send(static_cast<int>(destination_.socketDescriptor()), bytes,
                  static_cast<size_t>(count), MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
    return false;
  }
  const qint64 taken = std::max<qint64>(sent, 0);
  if (taken == count) {
    return true;
  }
  // The rest waits in Qt's buffer, whose bytesWritten() then ends the chunk.
  return destination_.write(bytes + taken, count - taken) == count - taken;
}

void TarnikRelayPump::written() {
  if (!chunkInFlight_ || !destinationDrained()) {
    return;
  }
  chunkInFlight_ = false;
  sendTimer_.stop();
  pump();
}

bool TarnikRelayPump::destinationDrained() const {
  return destination_.bytesToWrite() == 0 &&
         (secureDestination_ == nullptr || secureDestination_->encryptedBytesToWrite() == 0);
}

void TarnikRelayPump::finish() {
  if (finished_) {
    return;
  }
  finished_ = true;
  sendTimer_.stop();
  emit finished();
}

}  // namespace tarnik
