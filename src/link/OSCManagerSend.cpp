#include "link/OSCManager.h"

#include <algorithm>

namespace tarnik {

bool OSCManager::send(const OSCMessage &message) {
  return onOwnThread([this, &message] { return sendOnQueue(message, std::nullopt); });
}

bool OSCManager::sendOnQueue(const OSCMessage &message, const std::optional<QString> &pingToken) {
  const Identity identity = activeConnectionID_;
  publishFor(identity, [this] {
    publish(attemptedMessageCount_, attemptedMessageCount_ + 1,
            &OSCManager::attemptedMessageCountChanged);
  });
  if (!connectionReady_ || !connection_) {
    refuseSend(identity, QStringLiteral("OSC send rejected because the connection is not ready"));
    return false;
  }
  const QByteArray packet = message.encoded();
  if (packet.isEmpty() || packet.size() > maximumPacketSize) {
    refuseSend(identity, QStringLiteral("OSC send rejected because the packet is too large"));
    return false;
  }
  QByteArray data = packet;
  if (activeTransport_ == OSCTransport::tcp) {
    auto framed = OSCTCPFramer::frame(packet, activeTCPFraming_);
    if (!framed) {
      if (pingToken) pingTracker_.remove(*pingToken);
      refuseSend(identity, QStringLiteral("OSC send rejected because TCP framing failed: ") +
                               framed.error().text());
      return false;
    }
    data = std::move(*framed);
  }
  publishFor(identity, [this] {
    publish(queuedMessageCount_, queuedMessageCount_ + 1, &OSCManager::queuedMessageCountChanged);
  });
  handOver(data, identity, pingToken);
  return true;
}

void OSCManager::refuseSend(Identity identity, const QString &text) {
  publishFor(identity, [this] {
    publish(failedSendCount_, failedSendCount_ + 1, &OSCManager::failedSendCountChanged);
  });
  publishStatus(text);
}

void OSCManager::handOver(const QByteArray &data, Identity identity,
                          const std::optional<QString> &pingToken) {
  const Delivery delivery{data.size(), data.size(), pingToken};
  if (activeTransport_ == OSCTransport::udp) {
    writingDatagram_ = true;
    qint64 written = connection_->write(data);
    // The kernel reports an ICMP refusal of an earlier datagram on the next write, which
    // then sends nothing: this datagram gets one more try.
    if (written < 0) written = connection_->write(data);
    writingDatagram_ = false;
    completeDelivery(
        identity, delivery,
        written == data.size() ? std::nullopt : std::optional(connection_->errorString()));
    return;
  }
  // A stream socket buffers the bytes; they count as sent once the socket has written them.
  deliveries_.push_back(delivery);
  if (connection_->write(data) < 0) {
    deliveries_.pop_back();
    completeDelivery(identity, delivery, connection_->errorString());
  }
}

void OSCManager::completeWrites(qint64 bytes, Identity identity) {
  if (identity != activeConnectionID_) return;
  while (bytes > 0 && !deliveries_.empty()) {
    Delivery &oldest = deliveries_.front();
    const qint64 taken = std::min(bytes, oldest.unwritten);
    oldest.unwritten -= taken;
    bytes -= taken;
    if (oldest.unwritten == 0) {
      const Delivery done = oldest;
      deliveries_.pop_front();
      completeDelivery(identity, done, std::nullopt);
    }
  }
}

void OSCManager::completeDelivery(Identity identity, const Delivery &delivery,
                                  const std::optional<QString> &error) {
  if (identity != activeConnectionID_) return;
  if (!error) {
    publishFor(identity, [this, byteCount = delivery.byteCount] {
      publish(sentMessageCount_, sentMessageCount_ + 1, &OSCManager::sentMessageCountChanged);
      publish(sentByteCount_, sentByteCount_ + byteCount, &OSCManager::sentByteCountChanged);
    });
    return;
  }
  if (delivery.pingToken) pingTracker_.remove(*delivery.pingToken);
  publishFor(identity, [this] {
    publish(failedSendCount_, failedSendCount_ + 1, &OSCManager::failedSendCountChanged);
  });
  publishStatus(QStringLiteral("OSC send failed: ") + *error);
}

void OSCManager::publishCounters(qint64 receivedBytes, Identity identity) {
  publishFor(identity, [this, receivedBytes] {
    publish(receivedByteCount_, receivedByteCount_ + receivedBytes,
            &OSCManager::receivedByteCountChanged);
  });
}

void OSCManager::startRateTimer(Identity identity) {
  rateTimer_.stop();
  QObject::disconnect(&rateTimer_, &QTimer::timeout, this, nullptr);
  QObject::connect(&rateTimer_, &QTimer::timeout, this, [this, identity] {
    if (identity != activeConnectionID_) return;
    const qint64 now = monotonicNanoseconds();
    pruneReceivedTimestamps(now);
    const double rate = double(receivedTimestamps_.size());
    std::optional<double> sampleAge;
    if (roundTripSampleTimestamp_)
      sampleAge = std::max(0.0, double(now - *roundTripSampleTimestamp_) / 1e9);
    publishFor(identity, [this, rate, sampleAge] {
      publish(receivedMessageRate_, rate, &OSCManager::receivedMessageRateChanged);
      publish(roundTripSampleAgeSeconds_, sampleAge, &OSCManager::roundTripSampleAgeSecondsChanged);
    });
  });
  rateTimer_.start(500);
}

void OSCManager::pruneReceivedTimestamps(qint64 nowNanoseconds) {
  const qint64 cutoff = nowNanoseconds - 1'000'000'000;
  while (!receivedTimestamps_.empty() && receivedTimestamps_.front() < cutoff)
    receivedTimestamps_.pop_front();
}

}  // namespace tarnik
