#include "link/OSCManager.h"
#include "link/OSCPacket.h"

#include <QNetworkInterface>
#include <QUdpSocket>

#include <algorithm>
#include <cstring>

namespace tarnik {

bool OSCManager::readStreamChunk(Identity identity) {
  if (identity != activeConnectionID_ || !connection_ || connection_->bytesAvailable() <= 0)
    return false;
  // One buffer for every read: a fresh 64 KB block per read, freed right after, would make
  // the allocator sweep up all the small blocks the messages freed meanwhile.
  if (readBuffer_.size() != maximumReadSize) readBuffer_.resize(maximumReadSize);
  const qint64 read = connection_->read(readBuffer_.data(), maximumReadSize);
  if (read <= 0) return false;
  const qint64 arrival = monotonicNanoseconds();
  publishCounters(read, identity);
  auto frames = tcpFramer_.append(QByteArrayView(readBuffer_).first(read));
  if (!frames) {
    failConnection(identity, QStringLiteral("Invalid OSC TCP framing: ") + frames.error().text());
    return false;
  }
  for (const QByteArray &frame : *frames) {
    if (identity != activeConnectionID_) return false;
    handlePacket(frame, identity, arrival);
  }
  return identity == activeConnectionID_ && connection_ && connection_->bytesAvailable() > 0;
}

void OSCManager::readStream(Identity identity) {
  // One read at a time: the next one comes after what this one published, so a flood
  // from the console never piles up more than one read's worth of publications.
  if (readStreamChunk(identity)) {
    QMetaObject::invokeMethod(
        this, [this, identity] { readStream(identity); }, Qt::QueuedConnection);
  }
}

void OSCManager::drainStream(Identity identity) {
  while (readStreamChunk(identity)) {
  }
}

void OSCManager::readDatagrams(Identity identity) {
  while (identity == activeConnectionID_ && connection_) {
    auto *socket = static_cast<QUdpSocket *>(connection_);
    const qint64 size = socket->pendingDatagramSize();
    if (size < 0) {
      // Qt keeps read notifications off until the socket is read; reading once more also
      // collects a refusal report that an earlier datagram left behind.
      socket->readDatagram(nullptr, 0);
      return;
    }
    QByteArray datagram(size, Qt::Uninitialized);
    const qint64 read = socket->readDatagram(datagram.data(), size);
    if (read < 0) return;
    if (read == 0) continue;
    publishCounters(read, identity);
    handlePacket(QByteArrayView(datagram).first(read), identity, monotonicNanoseconds());
  }
}

void OSCManager::handlePacket(QByteArrayView packet, Identity identity, qint64 arrival) {
  if (!packet.isEmpty() && packet.size() <= maximumPacketSize) {
    // Nearly every packet is one message: decode it without the list that a bundle needs.
    if (!OSCPacket::isBundle(packet)) {
      if (std::optional<OSCMessage> message = OSCMessage::decode(packet)) {
        handleIncoming(std::move(*message), identity, arrival);
        return;
      }
    } else if (std::optional<QList<OSCMessage>> messages = OSCPacket::decode(packet)) {
      for (OSCMessage &message : *messages) handleIncoming(std::move(message), identity, arrival);
      return;
    }
  }
  publishStatus(QStringLiteral("Received malformed OSC packet"));
}

void OSCManager::startListening(quint16 port) {
  if (port == 0) {
    publishStatus(QStringLiteral("Invalid OSC listen port ") + QString::number(port));
    return;
  }
  QMetaObject::invokeMethod(
      this,
      [this, port, epoch = scheduleEpoch_, setting = transport] {
        if (epoch != scheduleEpoch_) return;
        if (setting != OSCTransport::udp && activeTransport_ != OSCTransport::udp) return;
        if (listener_ && listenerPort_ == port) return;
        startUDPListener(port);
      },
      Qt::QueuedConnection);
}

// One bound socket with a table of senders: each sender counts as one peer, as if the
// listener handed out a connection per sender.
void OSCManager::startUDPListener(quint16 port) {
  closeSocket(listener_);
  listener_ = nullptr;
  udpPeers_.clear();
  listenerID_ = ++lastIdentity_;
  const Identity listenerIdentity = listenerID_;

  auto *socket = new QUdpSocket(this);
  if (!socket->bind(QHostAddress::Any, port,
                    QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
    const QString detail = socket->errorString();
    delete socket;
    publishStatus(QStringLiteral("Could not start OSC UDP listener: ") + detail);
    return;
  }
  listener_ = socket;
  listenerPort_ = port;
  QObject::connect(socket, &QIODevice::readyRead, this,
                   [this, listenerIdentity] { readListener(listenerIdentity); });
  QObject::connect(
      socket, &QAbstractSocket::errorOccurred, this,
      [this, listenerIdentity](QAbstractSocket::SocketError error) {
        if (listenerIdentity != listenerID_ || error == QAbstractSocket::ConnectionRefusedError ||
            error == QAbstractSocket::TemporaryError) {
          return;
        }
        dropListener(QStringLiteral("OSC UDP listener failed: ") + listener_->errorString());
      });
}

void OSCManager::readListener(Identity listenerIdentity) {
  while (listenerIdentity == listenerID_ && listener_) {
    const qint64 size = listener_->pendingDatagramSize();
    if (size < 0) {
      listener_->readDatagram(nullptr, 0);
      return;
    }
    QByteArray datagram(size, Qt::Uninitialized);
    QHostAddress sender;
    quint16 senderPort = 0;
    const qint64 read = listener_->readDatagram(datagram.data(), size, &sender, &senderPort);
    if (read < 0) return;
    if (!acceptUDPPeer(sender, senderPort) || read == 0) continue;
    const Identity identity = activeConnectionID_;
    publishCounters(read, identity);
    handlePacket(QByteArrayView(datagram).first(read), identity, monotonicNanoseconds());
  }
}

bool OSCManager::acceptUDPPeer(const QHostAddress &address, quint16 port) {
  const QHostAddress sender = foldedAddress(address);
  for (const UDPPeer &peer : udpPeers_) {
    if (peer.port == port && peer.address == sender) return true;
  }
  if (udpPeers_.size() >= maximumUDPPeers) {
    publishStatus(QStringLiteral("OSC UDP listener rejected an excess peer"));
    return false;
  }
  if (expectedUDPSenderHost_ && !isSameHost(sender, *expectedUDPSenderHost_)) return false;
  udpPeers_.append({sender, port});
  return true;
}

void OSCManager::dropListener(const QString &status) {
  // Dropped rather than kept closed, so that listening on the same port starts it anew.
  closeSocket(listener_);
  listener_ = nullptr;
  udpPeers_.clear();
  listenerID_ = ++lastIdentity_;
  publishStatus(status);
}

QHostAddress OSCManager::foldedAddress(const QHostAddress &address) {
  bool isIPv4 = false;
  const quint32 ipv4 = address.toIPv4Address(&isIPv4);
  return isIPv4 ? QHostAddress(ipv4) : address;
}

bool OSCManager::isSameHost(const QHostAddress &address, const QHostAddress &expected) {
  const QHostAddress lhs = foldedAddress(address);
  const QHostAddress rhs = foldedAddress(expected);
  if (lhs.protocol() != rhs.protocol()) return false;
  if (lhs.protocol() == QAbstractSocket::IPv4Protocol)
    return lhs.toIPv4Address() == rhs.toIPv4Address();
  const Q_IPV6ADDR left = lhs.toIPv6Address();
  const Q_IPV6ADDR right = rhs.toIPv6Address();
  if (std::memcmp(left.c, right.c, sizeof left.c) != 0) return false;
  if (rhs.scopeId().isEmpty()) return true;
  const auto scopeIndex = [](const QString &scope) {
    bool isNumber = false;
    const int index = scope.toInt(&isNumber);
    return isNumber ? index : QNetworkInterface::interfaceIndexFromName(scope);
  };
  return scopeIndex(lhs.scopeId()) == scopeIndex(rhs.scopeId());
}

}  // namespace tarnik
