#include "link/TarnikRelayPump.h"

#include <QSslSocket>

namespace tarnik {

TarnikRelayPump::TarnikRelayPump(QAbstractSocket &source, QAbstractSocket &destination,
                                 std::chrono::milliseconds sendTimeout, QObject *parent)
    : QObject(parent),
      source_(source),
      destination_(destination),
      secureDestination_(qobject_cast<QSslSocket *>(&destination)) {
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
  // Flushing reports the written bytes on the spot, which re-enters through written();
  // the loop, not recursion, then takes the next chunk.
  pumping_ = true;
  while (!finished_ && !chunkInFlight_ && source_.bytesAvailable() > 0) {
    const QByteArray chunk = source_.read(chunkLimit);
    chunkInFlight_ = true;
    sendTimer_.start();
    if (destination_.write(chunk) != chunk.size()) {
      finish();
    } else {
      // Hand the chunk to the network now rather than on the next event-loop turn: a
      // console command should not wait a turn in each direction.
      destination_.flush();
    }
  }
  pumping_ = false;
  if (!finished_ && !chunkInFlight_ && sourceEnded_ && source_.bytesAvailable() == 0) {
    finish();
  }
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
