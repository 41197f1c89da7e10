#include "support/EosConsoleDouble.h"

#include "link/OSCPacket.h"
#include "support/QtTestApplication.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <deque>

namespace tarnik::testing {

namespace {
// Long enough for the receiver to read the first half before the second arrives.
constexpr std::chrono::milliseconds splitPause{30};
}  // namespace

// Runs write and close steps in order, each after its own delay, so that late answers,
// split frames and closes keep the order in which they were asked for.
class EosConsoleDouble::Outbox {
 public:
  Outbox() {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      steps_.front().delay = std::chrono::milliseconds(0);
      run();
    });
  }

  void add(std::chrono::milliseconds delay, std::function<void()> action) {
    steps_.push_back({delay, std::move(action)});
    if (!timer_.isActive() && steps_.size() == 1) run();
  }

 private:
  struct Step {
    std::chrono::milliseconds delay;
    std::function<void()> action;
  };

  void run() {
    while (!steps_.empty()) {
      if (steps_.front().delay.count() > 0) {
        timer_.start(steps_.front().delay);
        return;
      }
      const std::function<void()> action = std::move(steps_.front().action);
      steps_.pop_front();
      action();
    }
  }

  std::deque<Step> steps_;
  QTimer timer_;
};

struct EosConsoleDouble::Client {
  Client(QTcpSocket *socket, OSCTCPFraming framing) : socket(socket), framer(framing) {}

  QPointer<QTcpSocket> socket;
  OSCTCPFramer framer;
  Outbox outbox;
};

EosConsoleDouble::EosConsoleDouble() : EosConsoleDouble(Options{}) {}

EosConsoleDouble::EosConsoleDouble(Options options)
    : options_(std::move(options)), udpOutbox_(std::make_unique<Outbox>()) {
  ensureCoreApplication();
  udp_.bind(options_.address, options_.udpPort);
  packetLengthServer_.listen(options_.address, options_.packetLengthPort);
  slipServer_.listen(options_.address, options_.slipPort);
  QObject::connect(&udp_, &QIODevice::readyRead, this, &EosConsoleDouble::readDatagrams);
  acceptClients(packetLengthServer_, OSCTCPFraming::packetLength);
  acceptClients(slipServer_, OSCTCPFraming::slip);

  setHandler(QStringLiteral("/eos/get/version"), [this](const OSCMessage &) {
    return QList<OSCMessage>{{QStringLiteral("/eos/out/get/version"),
                              {OSCArgument::fromString(softwareVersion),
                               OSCArgument::fromString(fixtureLibraryVersion)}}};
  });
  setHandler(QStringLiteral("/eos/ping"), [](const OSCMessage &request) {
    return QList<OSCMessage>{{QStringLiteral("/eos/out/ping"), request.arguments}};
  });
  setHandler(QStringLiteral("/eos/get/processors"), [this](const OSCMessage &) {
    return QList<OSCMessage>{{QStringLiteral("/eos/out/get/processors"), processorsArguments}};
  });
}

EosConsoleDouble::~EosConsoleDouble() {
  for (const auto &client : clients_) {
    if (client->socket) {
      QObject::disconnect(client->socket, nullptr, this, nullptr);
      client->socket->abort();
      delete client->socket;
    }
  }
}

bool EosConsoleDouble::isListening() const {
  return udp_.state() == QAbstractSocket::BoundState && packetLengthServer_.isListening() &&
         slipServer_.isListening();
}

quint16 EosConsoleDouble::tcpPort(OSCTCPFraming framing) const {
  return framing == OSCTCPFraming::packetLength ? packetLengthServer_.serverPort()
                                                : slipServer_.serverPort();
}

void EosConsoleDouble::setHandler(const QString &address, Handler handler) {
  handlers_.insert(address, std::move(handler));
}

void EosConsoleDouble::removeHandler(const QString &address) { handlers_.remove(address); }

QList<OSCMessage> EosConsoleDouble::requests(const QString &address) const {
  QList<OSCMessage> matching;
  for (const OSCMessage &request : requests_) {
    if (request.address == address) matching.append(request);
  }
  return matching;
}

int EosConsoleDouble::tcpClientCount() const {
  return int(std::count_if(clients_.begin(), clients_.end(), [](const auto &client) {
    return client->socket && client->socket->state() == QAbstractSocket::ConnectedState;
  }));
}

void EosConsoleDouble::acceptClients(QTcpServer &server, OSCTCPFraming framing) {
  QObject::connect(&server, &QTcpServer::newConnection, this, [this, &server, framing] {
    while (QTcpSocket *socket = server.nextPendingConnection()) {
      socket->setParent(this);
      socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
      auto client = std::make_unique<Client>(socket, framing);
      Client *raw = client.get();
      clients_.push_back(std::move(client));
      QObject::connect(socket, &QIODevice::readyRead, this, [this, raw] { readClient(*raw); });
      QObject::connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
      emit clientConnected();
    }
  });
}

void EosConsoleDouble::readClient(Client &client) {
  auto frames = client.framer.append(client.socket->readAll());
  if (!frames) return;
  for (const QByteArray &frame : *frames) {
    const auto messages = OSCPacket::decode(frame);
    if (!messages) continue;
    for (const OSCMessage &request : *messages) {
      handleRequest(request, [this, &client](const QList<QByteArray> &packets,
                                             std::chrono::milliseconds delay) {
        queueFrames(client, packets, delay);
      });
    }
  }
}

void EosConsoleDouble::readDatagrams() {
  while (udp_.hasPendingDatagrams()) {
    QByteArray datagram(udp_.pendingDatagramSize(), Qt::Uninitialized);
    QHostAddress sender;
    quint16 senderPort = 0;
    if (udp_.readDatagram(datagram.data(), datagram.size(), &sender, &senderPort) < 0) return;
    lastUDPSender_ = {sender, senderPort};
    const auto messages = OSCPacket::decode(datagram);
    if (!messages) continue;
    for (const OSCMessage &request : *messages) {
      handleRequest(request,
                    [this](const QList<QByteArray> &packets, std::chrono::milliseconds delay) {
                      queueDatagrams(packets, delay);
                    });
    }
  }
}

void EosConsoleDouble::handleRequest(
    const OSCMessage &request,
    const std::function<void(const QList<QByteArray> &, std::chrono::milliseconds)> &reply) {
  requests_.append(request);
  emit requestReceived(request);
  if (silent) return;
  const auto handler = handlers_.constFind(request.address);
  if (handler == handlers_.constEnd()) return;
  const QList<QByteArray> packets = encoded((*handler)(request));
  if (!packets.isEmpty()) reply(packets, replyDelay);
}

void EosConsoleDouble::queueFrames(Client &client, const QList<QByteArray> &packets,
                                   std::chrono::milliseconds delay) {
  QList<QByteArray> frames;
  for (const QByteArray &packet : packets) {
    auto frame = OSCTCPFramer::frame(packet, client.framer.framing());
    if (frame) frames.append(*frame);
  }
  const QPointer<QTcpSocket> socket = client.socket;
  // packets: how many whole packets this write completes.
  const auto write = [this, socket](QByteArray bytes, qsizetype packets) {
    return [this, socket, bytes = std::move(bytes), packets] {
      if (socket) socket->write(bytes);
      sentPacketCount_ += packets;
    };
  };
  switch (delivery) {
    case Delivery::joined:
      client.outbox.add(delay, write(frames.join(), frames.size()));
      break;
    case Delivery::separate:
      for (const QByteArray &frame : frames) {
        client.outbox.add(delay, write(frame, 1));
        delay = std::chrono::milliseconds(0);
      }
      break;
    case Delivery::split:
      for (const QByteArray &frame : frames) {
        const qsizetype half = frame.size() / 2;
        client.outbox.add(delay, write(frame.first(half), 0));
        client.outbox.add(splitPause, write(frame.sliced(half), 1));
        delay = splitPause;
      }
      break;
  }
}

void EosConsoleDouble::queueDatagrams(const QList<QByteArray> &packets,
                                      std::chrono::milliseconds delay) {
  if (!lastUDPSender_) return;
  const QHostAddress destination = lastUDPSender_->first;
  const quint16 port = udpReplyPort.value_or(lastUDPSender_->second);
  for (const QByteArray &packet : packets) {
    udpOutbox_->add(delay, [this, packet, destination, port] {
      udp_.writeDatagram(packet, destination, port);
      ++sentPacketCount_;
    });
    delay = std::chrono::milliseconds(0);
  }
}

void EosConsoleDouble::send(const QList<OSCMessage> &messages) { sendPackets(encoded(messages)); }

void EosConsoleDouble::sendPackets(const QList<QByteArray> &packets) {
  for (const auto &client : clients_) {
    if (client->socket) queueFrames(*client, packets, std::chrono::milliseconds(0));
  }
  queueDatagrams(packets, std::chrono::milliseconds(0));
}

void EosConsoleDouble::sendStreamBytes(const QByteArray &bytes) {
  for (const auto &client : clients_) {
    client->outbox.add(std::chrono::milliseconds(0), [socket = client->socket, bytes] {
      if (socket) socket->write(bytes);
    });
  }
}

void EosConsoleDouble::closeClients() {
  for (const auto &client : clients_) {
    client->outbox.add(std::chrono::milliseconds(0), [socket = client->socket] {
      if (socket) socket->disconnectFromHost();
    });
  }
}

QList<QByteArray> EosConsoleDouble::encoded(const QList<OSCMessage> &messages) {
  QList<QByteArray> packets;
  for (const OSCMessage &message : messages) packets.append(message.encoded());
  return packets;
}

}  // namespace tarnik::testing
