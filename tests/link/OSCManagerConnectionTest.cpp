// The connection lifecycle against the loopback console, over each of the three transports.

#include "OSCManagerTestSupport.h"
#include "model/catalog/ShippedFixtureLibrary.h"

#include <gtest/gtest.h>

namespace tarnik::testing {
namespace {

class OSCManagerConnectionTest : public ::testing::TestWithParam<TransportCase> {
 protected:
  quint16 port() const { return consolePort(console, GetParam()); }
  QString endpoint() const { return QStringLiteral("127.0.0.1:") + QString::number(port()); }
  QString openText() const {
    return (GetParam().transport == OSCTransport::tcp
                ? QStringLiteral("TCP open — verifying Eos at ")
                : QStringLiteral("UDP ready — verifying Eos at ")) +
           endpoint();
  }

  EosConsoleDouble console;
};

TEST_P(OSCManagerConnectionTest, GoodConnectPublishesItsStatesAndVerifiesEos) {
  auto manager = makeManager(GetParam());
  PublishedRecord record(*manager);
  ASSERT_TRUE(connectAndVerify(*manager, console, GetParam()));
  ASSERT_TRUE(waitUntil([&] { return manager->verifiedConsoleIdentity().has_value(); }));

  EXPECT_EQ(record.distinctStates(),
            QStringList({QStringLiteral("Connecting to ") + endpoint(),
                         QStringLiteral("Preparing connection"), openText(),
                         QStringLiteral("Connected to Eos at ") + endpoint()}));
  EXPECT_TRUE(manager->isConnected());
  EXPECT_EQ(manager->lastError(), std::nullopt);
  EXPECT_EQ(manager->verifiedSoftwareVersion(), QStringLiteral("3.2.1"));
  EXPECT_EQ(manager->verifiedFixtureLibraryVersion(),
            QString::fromLatin1(shippedFixtureLibraryVersion));
  EXPECT_EQ(manager->verifiedConsoleIdentity(), QStringLiteral("1 • Primary"));
  EXPECT_TRUE(manager->lastEosResponse().has_value());
  EXPECT_EQ(manager->effectiveEndpointDescription(), endpoint());
  EXPECT_EQ(manager->effectiveTCPFraming(), GetParam().framing);
  const QString transportText = GetParam().transport == OSCTransport::udp
                                    ? QStringLiteral("UDP")
                                    : QStringLiteral("TCP • ") + displayText(GetParam().framing);
  EXPECT_EQ(manager->effectiveTransportDescription(), transportText);
  EXPECT_EQ(manager->networkPathDescription(),
            QStringLiteral("Satisfied via Loopback; a private-IP route to Eos is required"));
  EXPECT_TRUE(manager->localEndpointDescription().startsWith(QStringLiteral("Interfaces: ")));
  EXPECT_TRUE(manager->localEndpointDescription().contains(QStringLiteral("lo")));

  // The verification's three requests, and the console's three answers.
  ASSERT_TRUE(waitUntil(
      [&] { return manager->receivedMessageCount() == 3 && manager->sentMessageCount() == 3; }));
  EXPECT_EQ(manager->attemptedMessageCount(), 3);
  EXPECT_EQ(manager->queuedMessageCount(), 3);
  EXPECT_EQ(manager->roundTripSampleCount(), 1);
  EXPECT_TRUE(manager->lastPingResponse().has_value());
  ASSERT_TRUE(manager->roundTripMilliseconds().has_value());
  EXPECT_GE(*manager->roundTripMilliseconds(), 0.0);
  EXPECT_EQ(console.requests().size(), 3);
}

TEST_P(OSCManagerConnectionTest, SilentConsoleTimesOutVerificationButKeepsTheSocket) {
  console.silent = true;
  auto manager = makeManager(GetParam(), 5, 0.1);
  PublishedRecord record(*manager);
  manager->connect(QStringLiteral("127.0.0.1"), port());
  ASSERT_TRUE(waitUntil([&] {
    return record.states.contains(QStringLiteral("Socket open — Eos verification timed out at ") +
                                  endpoint());
  }));

  EXPECT_TRUE(manager->isConnected());
  EXPECT_FALSE(manager->isEosVerified());
  EXPECT_EQ(
      manager->lastError(),
      QStringLiteral(
          "Eos verification timed out: the network socket is ready, but Eos did not answer the "
          "version or nonce-ping probe within 0.1 seconds. Check the OSC port, TCP framing, and "
          "the private-IP route to the console."));
  EXPECT_EQ(record.distinctStates().mid(2, 1), QStringList{openText()});
}

TEST_P(OSCManagerConnectionTest, LateAnswerStillVerifiesAfterTheTimeOut) {
  console.replyDelay = std::chrono::milliseconds(300);
  auto manager = makeManager(GetParam(), 5, 0.1);
  PublishedRecord record(*manager);
  ASSERT_TRUE(connectAndVerify(*manager, console, GetParam()));

  const QStringList states = record.distinctStates();
  ASSERT_EQ(states.size(), 5);
  EXPECT_EQ(states[3], QStringLiteral("Socket open — Eos verification timed out at ") + endpoint());
  EXPECT_EQ(states[4], QStringLiteral("Connected to Eos at ") + endpoint());
  EXPECT_EQ(manager->lastError(), std::nullopt);
}

TEST_P(OSCManagerConnectionTest, SendCountsBytesAsTheyLeaveTheSocket) {
  auto manager = makeManager(GetParam());
  ASSERT_TRUE(connectAndVerify(*manager, console, GetParam()));
  ASSERT_TRUE(waitUntil([&] { return manager->sentMessageCount() == 3; }));
  const qint64 bytesBefore = manager->sentByteCount();

  const OSCMessage message{QStringLiteral("/eos/key/go_to_cue"), {}};
  ASSERT_EQ(message.encoded().size(), 24);
  ASSERT_TRUE(manager->send(message));
  ASSERT_TRUE(waitUntil([&] { return manager->sentMessageCount() == 4; }));

  const qint64 expectedBytes =
      GetParam().transport == OSCTransport::udp
          ? 24
          : OSCTCPFramer::frame(message.encoded(), GetParam().framing)->size();
  if (GetParam().transport == OSCTransport::tcp &&
      GetParam().framing == OSCTCPFraming::packetLength) {
    EXPECT_EQ(expectedBytes, 28);
  }
  EXPECT_EQ(manager->sentByteCount() - bytesBefore, expectedBytes);
  EXPECT_EQ(manager->attemptedMessageCount(), manager->queuedMessageCount());
  EXPECT_EQ(manager->queuedMessageCount(),
            manager->sentMessageCount() + manager->failedSendCount());
  ASSERT_TRUE(waitUntil(
      [&] { return console.requests(QStringLiteral("/eos/key/go_to_cue")).size() == 1; }));
}

TEST_P(OSCManagerConnectionTest, PingReplyMatchesOnceAndTheNinthPingForgetsTheFirst) {
  QList<QString> tokens;
  console.setHandler(QStringLiteral("/eos/ping"), [&](const OSCMessage &request) {
    tokens.append(std::get<QString>(request.arguments.first().value));
    return QList<OSCMessage>{};
  });
  auto manager = makeManager(GetParam());
  ASSERT_TRUE(connectAndVerify(*manager, console, GetParam()));  // by the version reply
  for (int ping = 0; ping < 8; ++ping) ASSERT_TRUE(manager->sendPing());
  ASSERT_TRUE(waitUntil([&] { return tokens.size() == 9; }));

  const auto echo = [&](const QString &token) {
    const qint64 before = manager->receivedMessageCount();
    console.send({{QStringLiteral("/eos/out/ping"), {OSCArgument::fromString(token)}}});
    return waitUntil([&] { return manager->receivedMessageCount() == before + 1; });
  };
  ASSERT_TRUE(echo(tokens.first()));  // forgotten: the tracker keeps the newest eight
  EXPECT_EQ(manager->roundTripSampleCount(), 0);
  ASSERT_TRUE(echo(tokens.last()));
  EXPECT_EQ(manager->roundTripSampleCount(), 1);
  EXPECT_EQ(manager->roundTripSampleAgeSeconds(), 0.0);
  ASSERT_TRUE(echo(tokens.last()));  // a token matches once
  EXPECT_EQ(manager->roundTripSampleCount(), 1);
  EXPECT_EQ(manager->lastReceivedMessage()->address, QStringLiteral("/eos/out/ping"));
}

TEST_P(OSCManagerConnectionTest, DroppingAManagerClosesItsConnectionAtOnce) {
  const quint16 listenPort = freeUDPPort();
  const auto listenPortIsFree = [listenPort] {
    QUdpSocket probe;
    return probe.bind(QHostAddress::Any, listenPort);
  };
  auto manager = makeManager(GetParam());
  manager->connect(QStringLiteral("127.0.0.1"), port());
  manager->startListening(listenPort);
  ASSERT_TRUE(waitUntil([&] { return manager->isEosVerified(); }));
  const bool udp = GetParam().transport == OSCTransport::udp;
  ASSERT_EQ(listenPortIsFree(), !udp);
  manager.reset();
  if (udp) {
    // Free again, with no turn of the event loop in between.
    EXPECT_TRUE(listenPortIsFree());
  } else {
    EXPECT_TRUE(waitUntil([&] { return console.tcpClientCount() == 0; }));
  }
  // Nothing the dropped manager left behind runs into freed memory.
  QTest::qWait(0);
}

TEST_P(OSCManagerConnectionTest, DisconnectWithSendsInFlightLetsNothingOfTheOldConnectionLand) {
  auto manager = makeManager(GetParam());
  ASSERT_TRUE(connectAndVerify(*manager, console, GetParam()));
  PublishedRecord record(*manager);
  for (int index = 0; index < 50; ++index) manager->send({QStringLiteral("/eos/key/1"), {}});
  manager->disconnect();
  ASSERT_TRUE(waitUntil(
      [&] { return manager->connectionStateDescription() == QStringLiteral("Disconnected"); }));
  EXPECT_EQ(manager->attemptedMessageCount(), 0);
  EXPECT_EQ(manager->sentMessageCount(), 0);
  EXPECT_FALSE(manager->isConnected());
  EXPECT_EQ(manager->lastReceivedMessage(), std::nullopt);
  EXPECT_EQ(record.states.last(), QStringLiteral("Disconnected"));

  // The next connection counts its own verification requests and nothing else.
  ASSERT_TRUE(connectAndVerify(*manager, console, GetParam()));
  ASSERT_TRUE(waitUntil(
      [&] { return manager->sentMessageCount() == 3 && manager->receivedMessageCount() == 3; }));
  EXPECT_EQ(manager->attemptedMessageCount(), 3);
}

TEST_P(OSCManagerConnectionTest, SecondConnectSupersedesTheFirstAttempt) {
  EosConsoleDouble slowConsole;
  slowConsole.replyDelay = std::chrono::milliseconds(100);
  auto manager = makeManager(GetParam());
  PublishedRecord record(*manager);
  const QString slowEndpoint =
      QStringLiteral("127.0.0.1:") + QString::number(consolePort(slowConsole, GetParam()));

  // Under way: open and waiting for the slow console's answers.
  manager->connect(QStringLiteral("127.0.0.1"), consolePort(slowConsole, GetParam()));
  ASSERT_TRUE(waitUntil([&] { return manager->isConnected(); }));
  manager->connect(QStringLiteral("127.0.0.1"), port());
  ASSERT_TRUE(waitUntil([&] { return manager->isEosVerified(); }));
  // Let the slow console's late answers go out, and the event loop take whatever came of them.
  ASSERT_TRUE(waitUntil([&] { return slowConsole.sentPacketCount() == 3; }));
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();

  const qsizetype secondStart =
      record.states.indexOf(QStringLiteral("Connecting to ") + endpoint());
  ASSERT_GE(secondStart, 0);
  for (const QString &state : record.states.mid(secondStart))
    EXPECT_FALSE(state.contains(slowEndpoint)) << state.toStdString();
  EXPECT_EQ(manager->effectiveEndpointDescription(), endpoint());

  // Two connects in one turn: only the second one is ever shown.
  PublishedRecord backToBack(*manager);
  manager->connect(QStringLiteral("127.0.0.1"), consolePort(slowConsole, GetParam()));
  manager->connect(QStringLiteral("127.0.0.1"), port());
  ASSERT_TRUE(waitUntil([&] { return manager->isEosVerified(); }));
  for (const QString &state : backToBack.states)
    EXPECT_FALSE(state.contains(slowEndpoint)) << state.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Transports, OSCManagerConnectionTest,
                         ::testing::Values(udpCase, packetLengthCase, slipCase), transportCaseName);

}  // namespace
}  // namespace tarnik::testing
