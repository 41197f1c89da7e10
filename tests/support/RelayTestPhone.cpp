#include "support/RelayTestPhone.h"

#include <QHostAddress>

#include <algorithm>

namespace tarnik::testing {

namespace {

constexpr qint64 patternBlock = 64 * 1024;
constexpr qint64 unsentLimit = 256 * 1024;

}  // namespace

QByteArray StreamPattern::next(qint64 count) {
  while (pending_.size() < count) {
    QByteArray block(patternBlock, Qt::Uninitialized);
    generator_.fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / sizeof(quint32));
    pending_ += block;
  }
  QByteArray bytes = pending_.first(count);
  pending_.remove(0, count);
  return bytes;
}

RelayTestPhone::RelayTestPhone(const TarnikRelaySecurity::Parameters &parameters, QObject *parent)
    : QObject(parent) {
  TarnikRelaySecurity::armClientSocket(socket_, parameters);
  connect(&socket_, &QIODevice::readyRead, this, &RelayTestPhone::take);
  connect(&socket_, &QSslSocket::encryptedBytesWritten, this, &RelayTestPhone::feedStream);
  connect(&socket_, &QAbstractSocket::disconnected, this, &RelayTestPhone::end);
  connect(&socket_, &QAbstractSocket::errorOccurred, this, [this] {
    if (socket_.state() == QAbstractSocket::UnconnectedState) end();
  });
}

void RelayTestPhone::connectTo(quint16 port) {
  socket_.connectToHostEncrypted(QHostAddress(QHostAddress::LocalHost).toString(), port);
}

void RelayTestPhone::send(const QByteArray &bytes) { socket_.write(bytes); }

void RelayTestPhone::startStream(qint64 total, quint32 seed) {
  streamTotal_ = total;
  streamSent_ = 0;
  outgoing_.emplace(seed);
  expected_.emplace(seed);
  feedStream();
}

void RelayTestPhone::feedStream() {
  if (!outgoing_) return;
  while (streamSent_ < streamTotal_ &&
         socket_.bytesToWrite() + socket_.encryptedBytesToWrite() < unsentLimit) {
    const qint64 count = std::min(patternBlock, streamTotal_ - streamSent_);
    socket_.write(outgoing_->next(count));
    streamSent_ += count;
  }
}

void RelayTestPhone::take() {
  const QByteArray bytes = socket_.readAll();
  if (bytes.isEmpty()) return;
  receivedCount_ += bytes.size();
  if (recording_) received_ += bytes;
  if (expected_) {
    const QByteArray wanted = expected_->next(bytes.size());
    if (bytes != wanted) {
      for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != wanted[i]) ++mismatched_;
      }
    }
  }
  emit bytesArrived();
}

void RelayTestPhone::end() {
  if (closed_) return;
  take();
  closed_ = true;
  emit closed();
}

}  // namespace tarnik::testing
