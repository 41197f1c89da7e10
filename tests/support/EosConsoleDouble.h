#pragma once

#include "link/OSCMessage.h"
#include "link/OSCTCPFramer.h"
#include "model/catalog/ShippedFixtureLibrary.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QUdpSocket>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tarnik::testing {

// A loopback Eos console for tests. It listens on UDP, on TCP with packet-length framing
// and on TCP with SLIP framing, records every request it decodes, and answers through a
// table of handlers (address -> replies). Out of the box it answers "/eos/get/version",
// "/eos/ping" (echoing the arguments) and "/eos/get/processors". It can be scripted to
// stay silent, answer late, split or join frames, push any bytes and close its clients.
class EosConsoleDouble : public QObject {
  Q_OBJECT

 public:
  struct Options {
    QHostAddress address = QHostAddress::LocalHost;
    // 0 picks a free port.
    quint16 udpPort = 0;
    quint16 packetLengthPort = 0;
    quint16 slipPort = 0;
  };

  // How the frames of one batch leave on a TCP stream.
  enum class Delivery {
    separate,  // one write per frame
    joined,    // all frames in one write, so they arrive in one read
    split,     // each frame in two writes a moment apart, so it arrives over two reads
  };

  using Handler = std::function<QList<OSCMessage>(const OSCMessage &request)>;

  EosConsoleDouble();
  explicit EosConsoleDouble(Options options);
  ~EosConsoleDouble() override;

  bool isListening() const;
  QHostAddress address() const { return options_.address; }
  quint16 udpPort() const { return udp_.localPort(); }
  quint16 tcpPort(OSCTCPFraming framing) const;

  // Stock answers, read when a request arrives.
  QString softwareVersion = QStringLiteral("3.2.1");
  QString fixtureLibraryVersion = QString::fromLatin1(shippedFixtureLibraryVersion);
  QList<OSCArgument> processorsArguments{OSCArgument::fromInt(1),
                                         OSCArgument::fromString(QStringLiteral("Primary"))};

  // Replaces the handler of one address; a handler returning no messages answers nothing.
  void setHandler(const QString &address, Handler handler);
  void removeHandler(const QString &address);

  // Script.
  bool silent = false;                      // record requests, answer none
  std::chrono::milliseconds replyDelay{0};  // before the first reply to each request
  Delivery delivery = Delivery::separate;
  // UDP replies go to this port of the sender's address instead of back to the sending
  // port, as a console set to reply to a fixed port does.
  std::optional<quint16> udpReplyPort;

  // Unsolicited sends to every TCP client and to the latest UDP sender, in order behind
  // anything still waiting to go out.
  void send(const QList<OSCMessage> &messages);
  // Raw packets (malformed ones included), framed for each TCP client.
  void sendPackets(const QList<QByteArray> &packets);
  // Bytes written to every TCP client exactly as given (framing errors).
  void sendStreamBytes(const QByteArray &bytes);
  // Closes every TCP client once everything queued before has been written.
  void closeClients();

  const QList<OSCMessage> &requests() const { return requests_; }
  QList<OSCMessage> requests(const QString &address) const;
  int tcpClientCount() const;
  // Reply and pushed packets whose turn to leave has come, whether or not their peer was
  // still there to take them.
  qsizetype sentPacketCount() const { return sentPacketCount_; }

 signals:
  void requestReceived(const tarnik::OSCMessage &request);
  void clientConnected();

 private:
  class Outbox;
  struct Client;

  void acceptClients(QTcpServer &server, OSCTCPFraming framing);
  void readClient(Client &client);
  void readDatagrams();
  void handleRequest(
      const OSCMessage &request,
      const std::function<void(const QList<QByteArray> &, std::chrono::milliseconds)> &reply);
  void queueFrames(Client &client, const QList<QByteArray> &packets,
                   std::chrono::milliseconds delay);
  void queueDatagrams(const QList<QByteArray> &packets, std::chrono::milliseconds delay);
  static QList<QByteArray> encoded(const QList<OSCMessage> &messages);

  Options options_;
  QUdpSocket udp_;
  QTcpServer packetLengthServer_;
  QTcpServer slipServer_;
  std::vector<std::unique_ptr<Client>> clients_;
  std::unique_ptr<Outbox> udpOutbox_;
  std::optional<std::pair<QHostAddress, quint16>> lastUDPSender_;
  QHash<QString, Handler> handlers_;
  QList<OSCMessage> requests_;
  qsizetype sentPacketCount_ = 0;
};

}  // namespace tarnik::testing
