#pragma once

#include "link/OSCMessage.h"
#include "link/OSCTCPFramer.h"
#include "model/catalog/ShippedFixtureLibrary.h"
#include "support/EosConsoleShow.h"

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
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace tarnik::testing {

// A loopback Eos console for tests. It listens on UDP, on TCP with packet-length framing
// and on TCP with SLIP framing, records every request it decodes, and answers through a
// table of handlers (address -> replies) in front of its own console behaviour: console
// users per connection, command lines with an interpreter for what Tarnik types, park,
// patch, fixture parameters and a whole show for synchronisation. Every answer can be
// bent by a handler or a script field; the README beside this file lists them all.
//
// It lives on the thread that constructs it (EosConsoleDoubleThread runs one on a thread
// of its own).
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

  // One TCP client or one UDP sender: a console connection with a console user.
  class Connection {
   public:
    explicit Connection(int user) : user(user) {}
    virtual ~Connection() = default;

    int user;
    bool subscribed = false;  // "/eos/subscribe" asked for change notifications
  };

  // What a handler may do beyond answering the connection that asked.
  class Asker {
   public:
    int user() const;
    void setUser(int user);
    bool isSubscribed() const;
    void setSubscribed(bool subscribed);
    // Queued behind this request's earlier answers, with the same delay.
    void reply(const QList<OSCMessage> &messages);
    void sendToUser(int user, const QList<OSCMessage> &messages);
    void sendToEveryone(const QList<OSCMessage> &messages);
    void sendToSubscribers(const QList<OSCMessage> &messages);
    // Packets encoded beforehand, to the asking connection.
    void replyPackets(const QList<QByteArray> &packets);

   private:
    friend class EosConsoleDouble;
    Asker(EosConsoleDouble &console, Connection &connection)
        : console_(console), connection_(connection) {}
    EosConsoleDouble &console_;
    Connection &connection_;
    void add(Connection &connection, const QList<QByteArray> &packets);
    std::vector<std::pair<Connection *, QList<QByteArray>>> out_;
  };

  using Handler = std::function<QList<OSCMessage>(const OSCMessage &request)>;
  // Its returned messages go to the asking connection after whatever it sent through the
  // asker.
  using ConnectionHandler =
      std::function<QList<OSCMessage>(const OSCMessage &request, Asker &asker)>;

  enum class Mode { live, patch };

  // One command-line echo: the line's text and its status (0 for an ordinary line).
  struct Echo {
    QString text;
    int status = 0;
    friend bool operator==(const Echo &, const Echo &) = default;
  };

  // One channel's fixture as the console reports it.
  struct FixtureParameter {
    QString name;
    float value = 0;
    float minimum = 0;
    float maximum = 100;
  };
  struct FixtureChannel {
    QString manufacturer = QStringLiteral("Generic");
    QString model = QStringLiteral("Dimmer");
    QList<FixtureParameter> parameters{{QStringLiteral("Intensity"), 0, 0, 100}};
    QList<FixtureParameter> emitters;
    float hue = 0;
    float saturation = 0;
    // How much of a written parameter value the fixture takes, as a console holding another
    // level does: 0.5 half of it; 0 none, the parameter keeping its value (a parked channel).
    float writtenShare = 1;

    // An "Acme Wash": intensity with red, green and blue emitters, at the given colour.
    static FixtureChannel colorWash(float hue, float saturation);
  };

  // A wheel message and the monotonic time (system uptime, seconds) it was decoded.
  struct WheelMove {
    OSCMessage message;
    double decodedAt = 0;
  };

  // What goes wrong with the reply of one list index.
  enum class RecordFault {
    noAnswer,
    wrongCount,        // the address names one field more than the record has
    otherListOrPart,   // a cue of the next list, a patch row of the next part
    numberNotANumber,  // a cue number with a letter in front
    // Replies the codec cannot decode, so the record never arrives:
    labelNotUTF8,  // the label (field 2) as the Latin-1 bytes of "café", a lone 0xE9
    doubleField,   // field 7 as an OSC double (type tag "d"), a kind the codec does not read
  };

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

  // Replaces the answer of one exact address, in front of the built-in behaviour; a
  // handler returning no messages answers nothing.
  void setHandler(const QString &address, Handler handler);
  void setHandler(const QString &address, ConnectionHandler handler);
  void removeHandler(const QString &address);

  // Users and command lines, read and changed as requests arrive.
  int defaultUser = 1;                   // of every new connection
  int firstAutoUser = 100;               // the first user "/eos/user/auto" hands out
  QHash<int, Mode> modes;                // absent: Live
  QHash<int, Echo> commandLines;         // the last echo of each user that has a line
  std::optional<QString> activeCue;      // Live echoes read "LIVE: Cue <n> : ..." while set
  QHash<int, std::set<int>> selections;  // per user
  QHash<int, int> flashes;               // user -> channel held by "Chan N Flash"

  // Console state.
  QString showPath = QStringLiteral("/shows/tarnik-test.esf");
  QString showName = QStringLiteral("Tarnik Test");
  std::set<int> parkedChannels;
  QHash<int, FixtureChannel> fixtures;
  QHash<QString, int> footprints;  // by stored fixture model; 1 when absent

  // The show: cue lists and the patch (one table for the patch lines and the sync). Setting
  // it also takes its path and name and encodes every reply at once.
  const ConsoleShow &show() const { return show_; }
  void setShow(ConsoleShow show);
  // Edits that tell the subscribers, as the console does.
  void setCue(int list, ConsoleCue cue);
  void removeCue(int list, const QString &number);
  void setPatchPart(ConsolePatchPart part);
  void removePatchChannel(int channel);
  // "/eos/out/event/show/<kind>" (kind: "cleared", "saved", "loaded") with the show path,
  // to every connection.
  void sendShowEvent(const QString &kind);

  // Script.
  bool silent = false;                      // record requests, answer none
  std::chrono::milliseconds replyDelay{0};  // before the first reply to each request
  // Holds back "/eos/ping" answers alone; later answers overtake them.
  std::chrono::milliseconds pingReplyDelay{0};
  // When set, each request's answer is handed to it as the step that sends it, to be run now
  // or later (on a test's virtual clock, say).
  std::function<void(const OSCMessage &request, std::function<void()> sendAnswer)> answerTiming;
  Delivery delivery = Delivery::separate;
  // UDP replies go to this port of the sender's address instead of back to the sending
  // port, as a console set to reply to a fixed port does.
  std::optional<quint16> udpReplyPort;
  // Per typed line (or key address): the echoes sent instead of the interpreter's; an
  // empty list sends none. The line's effect on the console still happens.
  QHash<QString, QList<Echo>> echoOverrides;
  bool duplicateEchoes = false;         // every echo twice
  bool intermediateEchoes = false;      // the line as typed, without "#", before the result
  RecordSlicing recordSlicing;          // how cue and patch records are cut into replies
  QHash<int, RecordFault> cueFaults;    // by index, for every cue list
  QHash<int, RecordFault> patchFaults;  // by index
  // Each patch index is answered with every part of its part's channel, all under the index
  // asked for, as some console software does.
  bool patchIndexAnswersEveryPart = false;

  // A user's line as if typed on the console: "/eos/out/user/<user>/cmd" to everyone,
  // "/eos/out/cmd" to the user's connections.
  void pushCommandLine(int user, const QString &text, int status = 0);

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
  const QList<WheelMove> &wheelMoves() const { return wheelMoves_; }
  int tcpClientCount() const;
  // The users of the open connections, TCP clients first in the order they connected.
  QList<int> connectionUsers() const;
  // Reply and pushed packets whose turn to leave has come, whether or not their peer was
  // still there to take them.
  qsizetype sentPacketCount() const { return sentPacketCount_; }

 signals:
  void requestReceived(const tarnik::OSCMessage &request);
  void clientConnected();

 private:
  class Outbox;
  struct Client;
  struct UDPPeer;
  // Every record's reply packets, encoded once for the slicing they were cut with.
  struct EncodedShow {
    RecordSlicing slicing;
    std::map<int, std::vector<QList<QByteArray>>> cueLists;  // absent: not encoded yet
    std::optional<std::vector<QList<QByteArray>>> patch;
  };

  void registerBuiltInAnswers();
  void registerCommandLineAnswers();
  void registerShowAnswers();
  QList<OSCMessage> routedAnswer(const OSCMessage &request, Asker &asker);
  QList<OSCMessage> fixtureAnswer(const OSCMessage &request, const QStringList &components);
  QList<OSCMessage> showAnswer(const OSCMessage &request, const QStringList &components,
                               Asker &asker);

  void acceptClients(QTcpServer &server, OSCTCPFraming framing);
  void readClient(Client &client);
  void readDatagrams();
  void handleRequest(const OSCMessage &request, Connection &connection);
  void deliver(Connection &connection, const QList<QByteArray> &packets,
               std::chrono::milliseconds delay);
  void queueFrames(Client &client, const QList<QByteArray> &packets,
                   std::chrono::milliseconds delay);
  void queueDatagrams(const QHostAddress &destination, quint16 port,
                      const QList<QByteArray> &packets, std::chrono::milliseconds delay);
  std::vector<Connection *> connections() const;
  static QList<QByteArray> encoded(const QList<OSCMessage> &messages);

  // Command lines.
  void typeLine(const QString &typed, Asker &asker);
  void pressKey(const QString &key, Asker &asker);
  void sendEchoes(int user, const QString &typed, QList<Echo> echoes, Asker &asker);
  void sendLine(int user, const Echo &echo, Asker *asker);
  Echo liveEcho(const QString &body, int status = 0) const;
  Mode modeOf(int user) const { return modes.value(user, Mode::live); }

  // Show.
  void notify(const QString &address, const QList<OSCArgument> &arguments, Asker *asker = nullptr);
  QList<QByteArray> cueRecordPackets(int list, int index);
  QList<QByteArray> patchRecordPackets(int index);
  const std::vector<QList<QByteArray>> &encodedCues(int list);
  const std::vector<QList<QByteArray>> &encodedPatch();
  void encodeShow();

  Options options_;
  QUdpSocket udp_;
  QTcpServer packetLengthServer_;
  QTcpServer slipServer_;
  std::vector<std::unique_ptr<Client>> clients_;
  std::vector<std::unique_ptr<UDPPeer>> udpPeers_;
  std::unique_ptr<Outbox> udpOutbox_;
  UDPPeer *lastUDPSender_ = nullptr;
  QHash<QString, ConnectionHandler> handlers_;
  QList<OSCMessage> requests_;
  QList<WheelMove> wheelMoves_;
  qsizetype sentPacketCount_ = 0;
  int autoUsersGiven_ = 0;
  ConsoleShow show_;
  EncodedShow encodedShow_;
};

}  // namespace tarnik::testing
