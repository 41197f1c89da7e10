// The receive path: de-framing and decoding of what the console sends, over every transport.

#include "OSCManagerTestSupport.h"
#include "link/LinkLogging.h"
#include "support/LogCapture.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>
#include <sys/socket.h>

namespace tarnik::testing {
namespace {

OSCMessage cue(int number) {
  return {QStringLiteral("/eos/out/event/cue/1/%1/fire").arg(number), {}};
}

class OSCManagerReceiveTest : public ::testing::TestWithParam<TransportCase> {
 protected:
  void SetUp() override {
    manager = makeManager(GetParam());
    ASSERT_TRUE(connectAndVerify(*manager, console, GetParam()));
    ASSERT_TRUE(waitUntil([&] { return manager->receivedMessageCount() == 3; }));
    record = std::make_unique<PublishedRecord>(*manager);
  }

  bool waitForMessages(qsizetype count) {
    return waitUntil([&] { return record->messages.size() >= count; });
  }

  EosConsoleDouble console;
  std::unique_ptr<OSCManager> manager;
  std::unique_ptr<PublishedRecord> record;
};

TEST_P(OSCManagerReceiveTest, BundleHandsOnEveryMessageInOrder) {
  console.sendPackets({osctest::bundle({cue(1).encoded(), cue(2).encoded(), cue(3).encoded()})});
  ASSERT_TRUE(waitForMessages(3));
  EXPECT_EQ(record->messages, QList<OSCMessage>({cue(1), cue(2), cue(3)}));
  EXPECT_EQ(manager->receivedMessageCount(), 6);
}

TEST_P(OSCManagerReceiveTest, MalformedPacketBetweenGoodOnesIsReportedAndSkipped) {
  EXPECT_FALSE(tarnikLink().isDebugEnabled()) << "the link's log is off by default";
  const LogCapture log("tarnik.link");
  console.delivery = EosConsoleDouble::Delivery::joined;
  console.sendPackets({cue(1).encoded(), QByteArray("not an OSC packet"), cue(2).encoded()});
  ASSERT_TRUE(waitForMessages(2));
  EXPECT_EQ(record->messages, QList<OSCMessage>({cue(1), cue(2)}));
  EXPECT_EQ(record->errors, QStringList{QStringLiteral("Received malformed OSC packet")});
  EXPECT_TRUE(manager->isConnected());
  // The log tells the size and never the bytes, which may be anything a peer sent.
  EXPECT_TRUE(LogCapture::lines().contains("dropped a malformed OSC packet of 17 bytes"))
      << LogCapture::lines().join('\n').toStdString();
  EXPECT_FALSE(LogCapture::lines().join('\n').contains("not an OSC"));
}

TEST_P(OSCManagerReceiveTest, ReceivedBytesCountEverythingReadBeforeDeFraming) {
  const qint64 before = manager->receivedByteCount();
  console.send({cue(7)});
  ASSERT_TRUE(waitForMessages(1));
  const QByteArray packet = cue(7).encoded();
  const qint64 onTheWire = GetParam().transport == OSCTransport::udp
                               ? packet.size()
                               : OSCTCPFramer::frame(packet, GetParam().framing)->size();
  EXPECT_EQ(manager->receivedByteCount() - before, onTheWire);
}

TEST_P(OSCManagerReceiveTest, SubscriberWithANestedEventLoopStillSeesMessagesInOrder) {
  // A screen that opens a modal loop from a handler: the loop runs the later publications.
  bool nested = false;
  QObject::connect(manager.get(), &OSCManager::lastReceivedMessageChanged, manager.get(),
                   [&](const std::optional<OSCMessage> &message) {
                     if (nested || message != cue(1)) return;
                     nested = true;
                     manager->send({QStringLiteral("/eos/key/stop"), {}});
                     waitUntil([&] { return record->messages.size() >= 3; }, 1000);
                   });
  console.delivery = EosConsoleDouble::Delivery::joined;
  console.send({cue(1), cue(2), cue(3)});
  ASSERT_TRUE(waitForMessages(3));
  EXPECT_EQ(record->messages, QList<OSCMessage>({cue(1), cue(2), cue(3)}));
}

INSTANTIATE_TEST_SUITE_P(Transports, OSCManagerReceiveTest,
                         ::testing::Values(udpCase, packetLengthCase, slipCase), transportCaseName);

// A manager connected over packet-length TCP to a console played by hand, which has read
// and set aside the manager's own verification requests.
class OSCManagerAnswerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureCoreApplication();
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    manager->connect(QStringLiteral("127.0.0.1"), server.serverPort());
    ASSERT_TRUE(waitUntil([&] { return server.hasPendingConnections(); }));
    console.reset(server.nextPendingConnection());
    ASSERT_TRUE(waitUntil([&] { return console->bytesAvailable() > 0; }));
    console->readAll();
  }

  QTcpServer server;
  const std::unique_ptr<OSCManager> manager = makeManager(packetLengthCase);
  std::unique_ptr<QTcpSocket> console;
};

// A sync keeps requests in flight and sends the next one from the handler of a reply: the
// first of them must reach the console before the rest of the batch is handled, or the
// console sits idle meanwhile.
TEST_F(OSCManagerAnswerTest, TheFirstRequestSentFromAHandlerIsOnTheWireBeforeItReturns) {
  const OSCMessage answer{QStringLiteral("/eos/get/cue/1/index/0"), {}};
  const qsizetype answerSize =
      OSCTCPFramer::frame(answer.encoded(), OSCTCPFraming::packetLength)->size();
  std::optional<qsizetype> onTheWire;
  QObject::connect(manager.get(), &OSCManager::lastReceivedMessageChanged, manager.get(), [&] {
    if (onTheWire) return;
    manager->send(answer);
    manager->send({QStringLiteral("/eos/get/patch/index/0"), {}});
    char peeked[256];
    onTheWire =
        ::recv(int(console->socketDescriptor()), peeked, sizeof peeked, MSG_PEEK | MSG_DONTWAIT);
  });
  console->write(*OSCTCPFramer::frame(cue(1).encoded(), OSCTCPFraming::packetLength));
  ASSERT_TRUE(waitUntil([&] { return onTheWire.has_value(); }));
  EXPECT_GE(*onTheWire, answerSize);
}

// The model drops the link from the handler of a message (the console loaded another show):
// what else the same read brought belongs to the dropped link and reaches nobody.
TEST_F(OSCManagerAnswerTest, ADisconnectFromAHandlerEndsTheRestOfTheRead) {
  const PublishedRecord record(*manager);
  bool everVerified = false;
  QObject::connect(manager.get(), &OSCManager::isEosVerifiedChanged, manager.get(),
                   [&](bool verified) { everVerified = everVerified || verified; });
  QObject::connect(manager.get(), &OSCManager::lastReceivedMessageChanged, manager.get(),
                   [&] { manager->disconnect(); });
  QByteArray read;
  const OSCMessage version{QStringLiteral("/eos/out/get/version"),
                           {OSCArgument::fromString(QStringLiteral("3.2.1")),
                            OSCArgument::fromString(QStringLiteral("3.2.0.1"))}};
  for (const OSCMessage &message : {cue(1), cue(2), version})
    read += *OSCTCPFramer::frame(message.encoded(), OSCTCPFraming::packetLength);
  console->write(read);
  ASSERT_TRUE(waitUntil([&] { return record.states.contains(QStringLiteral("Disconnected")); }));
  QCoreApplication::processEvents();
  EXPECT_EQ(record.messages, QList<OSCMessage>({cue(1)}));
  EXPECT_FALSE(everVerified);
  EXPECT_FALSE(record.states.join(u'\n').contains(QStringLiteral("Connected to Eos")))
      << record.states.join(u'\n').toStdString();
}

using OSCManagerStreamReceiveTest = OSCManagerReceiveTest;

TEST_P(OSCManagerStreamReceiveTest, TwoFramesInOneReadAreBothHandedOn) {
  console.delivery = EosConsoleDouble::Delivery::joined;
  console.send({cue(1), cue(2)});
  ASSERT_TRUE(waitForMessages(2));
  EXPECT_EQ(record->messages, QList<OSCMessage>({cue(1), cue(2)}));
}

TEST_P(OSCManagerStreamReceiveTest, FrameSplitOverReadsIsHandedOnOnce) {
  console.delivery = EosConsoleDouble::Delivery::split;
  console.send({cue(1), cue(2)});
  ASSERT_TRUE(waitForMessages(2));
  EXPECT_EQ(record->messages, QList<OSCMessage>({cue(1), cue(2)}));
}

TEST_P(OSCManagerStreamReceiveTest, DataFollowedByACloseIsDeliveredBeforeTheConnectionFails) {
  console.delivery = EosConsoleDouble::Delivery::joined;
  console.send({cue(1), cue(2)});
  console.closeClients();
  ASSERT_TRUE(waitUntil(
      [&] { return manager->connectionStateDescription() == QStringLiteral("Disconnected"); }));
  EXPECT_EQ(record->messages, QList<OSCMessage>({cue(1), cue(2)}));
  EXPECT_EQ(manager->lastError(), QStringLiteral("OSC TCP connection closed by the console"));
  EXPECT_FALSE(manager->isConnected());
  // A failure keeps what the connection carried.
  EXPECT_EQ(manager->lastReceivedMessage(), cue(2));
  EXPECT_EQ(manager->receivedMessageCount(), 5);
}

TEST_P(OSCManagerStreamReceiveTest, BrokenFramingEndsTheConnection) {
  const bool packetLength = GetParam().framing == OSCTCPFraming::packetLength;
  // A zero frame length; an escape byte followed by "A".
  console.sendStreamBytes(packetLength ? QByteArray(4, '\0') : QByteArray("\xDB\x41", 2));
  ASSERT_TRUE(waitUntil(
      [&] { return manager->connectionStateDescription() == QStringLiteral("Disconnected"); }));
  EXPECT_EQ(manager->lastError(),
            packetLength ? QStringLiteral("Invalid OSC TCP framing: invalidFrameLength(0)")
                         : QStringLiteral("Invalid OSC TCP framing: invalidSLIPEscape(65)"));
}

INSTANTIATE_TEST_SUITE_P(Framings, OSCManagerStreamReceiveTest,
                         ::testing::Values(packetLengthCase, slipCase), transportCaseName);

}  // namespace
}  // namespace tarnik::testing
