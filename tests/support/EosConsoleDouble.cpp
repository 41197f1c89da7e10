#include "support/EosConsoleDouble.h"

#include "foundation/UptimeClock.h"
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

struct EosConsoleDouble::Client : Connection {
  Client(int user, QTcpSocket *socket, OSCTCPFraming framing)
      : Connection(user), socket(socket), framer(framing) {}

  QPointer<QTcpSocket> socket;
  OSCTCPFramer framer;
  Outbox outbox;
};

struct EosConsoleDouble::UDPPeer : Connection {
  UDPPeer(int user, QHostAddress address, quint16 port)
      : Connection(user), address(std::move(address)), port(port) {}

  QHostAddress address;
  quint16 port;
};

int EosConsoleDouble::Asker::user() const { return connection_.user; }
void EosConsoleDouble::Asker::setUser(int user) { connection_.user = user; }
bool EosConsoleDouble::Asker::isSubscribed() const { return connection_.subscribed; }
void EosConsoleDouble::Asker::setSubscribed(bool subscribed) {
  connection_.subscribed = subscribed;
}

void EosConsoleDouble::Asker::add(Connection &connection, const QList<QByteArray> &packets) {
  if (packets.isEmpty()) return;
  for (auto &[to, queued] : out_) {
    if (to == &connection) {
      queued += packets;
      return;
    }
  }
  out_.emplace_back(&connection, packets);
}

void EosConsoleDouble::Asker::reply(const QList<OSCMessage> &messages) {
  add(connection_, encoded(messages));
}

void EosConsoleDouble::Asker::replyPackets(const QList<QByteArray> &packets) {
  add(connection_, packets);
}

void EosConsoleDouble::Asker::sendToUser(int user, const QList<OSCMessage> &messages) {
  const QList<QByteArray> packets = encoded(messages);
  for (Connection *connection : console_.connections()) {
    if (connection->user == user) add(*connection, packets);
  }
}

void EosConsoleDouble::Asker::sendToEveryone(const QList<OSCMessage> &messages) {
  const QList<QByteArray> packets = encoded(messages);
  for (Connection *connection : console_.connections()) add(*connection, packets);
}

void EosConsoleDouble::Asker::sendToSubscribers(const QList<OSCMessage> &messages) {
  const QList<QByteArray> packets = encoded(messages);
  for (Connection *connection : console_.connections()) {
    if (connection->subscribed) add(*connection, packets);
  }
}

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
  registerBuiltInAnswers();
  registerCommandLineAnswers();
  registerShowAnswers();
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
  handlers_.insert(address, [handler = std::move(handler)](const OSCMessage &request, Asker &) {
    return handler(request);
  });
}

void EosConsoleDouble::setHandler(const QString &address, ConnectionHandler handler) {
  handlers_.insert(address, std::move(handler));
}

void EosConsoleDouble::removeHandler(const QString &address) { handlers_.remove(address); }

void EosConsoleDouble::registerBuiltInAnswers() {
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

QList<int> EosConsoleDouble::connectionUsers() const {
  QList<int> users;
  for (const Connection *connection : connections()) users.append(connection->user);
  return users;
}

std::vector<EosConsoleDouble::Connection *> EosConsoleDouble::connections() const {
  std::vector<Connection *> open;
  for (const auto &client : clients_) {
    if (client->socket && client->socket->state() == QAbstractSocket::ConnectedState)
      open.push_back(client.get());
  }
  for (const auto &peer : udpPeers_) open.push_back(peer.get());
  return open;
}

void EosConsoleDouble::acceptClients(QTcpServer &server, OSCTCPFraming framing) {
  QObject::connect(&server, &QTcpServer::newConnection, this, [this, &server, framing] {
    while (QTcpSocket *socket = server.nextPendingConnection()) {
      socket->setParent(this);
      socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
      auto client = std::make_unique<Client>(defaultUser, socket, framing);
      Client *raw = client.get();
      clients_.push_back(std::move(client));
      QObject::connect(socket, &QIODevice::readyRead, this, [this, raw] { readClient(*raw); });
      QObject::connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
      // A console shows a new client every user's current command line.
      QList<int> users = commandLines.keys();
      std::sort(users.begin(), users.end());
      QList<OSCMessage> lines;
      for (int user : users) {
        const Echo &line = commandLines[user];
        lines.append({QStringLiteral("/eos/out/user/%1/cmd").arg(user),
                      {OSCArgument::fromString(line.text), OSCArgument::fromInt(line.status)}});
      }
      if (!lines.isEmpty()) queueFrames(*raw, encoded(lines), std::chrono::milliseconds(0));
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
    for (const OSCMessage &request : *messages) handleRequest(request, client);
  }
}

void EosConsoleDouble::readDatagrams() {
  while (udp_.hasPendingDatagrams()) {
    QByteArray datagram(udp_.pendingDatagramSize(), Qt::Uninitialized);
    QHostAddress sender;
    quint16 senderPort = 0;
    if (udp_.readDatagram(datagram.data(), datagram.size(), &sender, &senderPort) < 0) return;
    const auto known = std::find_if(udpPeers_.begin(), udpPeers_.end(), [&](const auto &peer) {
      return peer->address == sender && peer->port == senderPort;
    });
    if (known == udpPeers_.end()) {
      udpPeers_.push_back(std::make_unique<UDPPeer>(defaultUser, sender, senderPort));
      lastUDPSender_ = udpPeers_.back().get();
    } else {
      lastUDPSender_ = known->get();
    }
    const auto messages = OSCPacket::decode(datagram);
    if (!messages) continue;
    UDPPeer &peer = *lastUDPSender_;
    for (const OSCMessage &request : *messages) handleRequest(request, peer);
  }
}

void EosConsoleDouble::handleRequest(const OSCMessage &request, Connection &connection) {
  requests_.append(request);
  if (request.address.startsWith(QLatin1String("/eos/user/")) &&
      request.address.contains(QLatin1String("/wheel/"))) {
    wheelMoves_.append({request, systemUptime()});
  }
  emit requestReceived(request);
  if (silent) return;
  Asker asker(*this, connection);
  const auto handler = handlers_.constFind(request.address);
  asker.reply(handler != handlers_.constEnd() ? (*handler)(request, asker)
                                              : routedAnswer(request, asker));
  // A late ping answer waits outside the outbox, so the answers behind it overtake it.
  const bool latePing = request.address == QLatin1String("/eos/ping") && pingReplyDelay.count() > 0;
  for (auto &[to, packets] : asker.out_) {
    if (answerTiming) {
      // Connections are kept for the double's life, so a late answer still finds its own.
      answerTiming(request,
                   [this, to = to, packets = packets] { deliver(*to, packets, replyDelay); });
      continue;
    }
    if (!latePing) {
      deliver(*to, packets, replyDelay);
      continue;
    }
    QTimer::singleShot(replyDelay + pingReplyDelay, this, [this, to = to, packets = packets] {
      deliver(*to, packets, std::chrono::milliseconds(0));
    });
  }
}

void EosConsoleDouble::deliver(Connection &connection, const QList<QByteArray> &packets,
                               std::chrono::milliseconds delay) {
  if (auto *client = dynamic_cast<Client *>(&connection)) {
    queueFrames(*client, packets, delay);
  } else if (auto *peer = dynamic_cast<UDPPeer *>(&connection)) {
    queueDatagrams(peer->address, peer->port, packets, delay);
  }
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

void EosConsoleDouble::queueDatagrams(const QHostAddress &destination, quint16 port,
                                      const QList<QByteArray> &packets,
                                      std::chrono::milliseconds delay) {
  const quint16 replyPort = udpReplyPort.value_or(port);
  for (const QByteArray &packet : packets) {
    udpOutbox_->add(delay, [this, packet, destination, replyPort] {
      udp_.writeDatagram(packet, destination, replyPort);
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
  if (lastUDPSender_) {
    queueDatagrams(lastUDPSender_->address, lastUDPSender_->port, packets,
                   std::chrono::milliseconds(0));
  }
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

EosConsoleDouble::FixtureChannel EosConsoleDouble::FixtureChannel::colorWash(float hue,
                                                                             float saturation) {
  FixtureChannel wash;
  wash.manufacturer = QStringLiteral("Acme");
  wash.model = QStringLiteral("Wash");
  wash.emitters = {{QStringLiteral("Red"), 100, 0, 100},
                   {QStringLiteral("Green"), 50, 0, 100},
                   {QStringLiteral("Blue"), 40, 0, 100}};
  wash.hue = hue;
  wash.saturation = saturation;
  return wash;
}

}  // namespace tarnik::testing
