#include "TarnikRelayServerFixture.h"

#include <QSignalSpy>
#include <QTcpSocket>

#include <cmath>

namespace tarnik {
namespace {

using testing::RelayTestPhone;
using Fixture = testing::TarnikRelayServerFixture;

const QString stopped = QStringLiteral("Relay stopped");

class TarnikRelayServerStart : public Fixture {};

TEST_F(TarnikRelayServerStart, RefusesAnUnusableConsoleOrCodeAndStaysStopped) {
  const QString badEndpoint =
      QStringLiteral("Enter a board host and nonzero board and relay ports.");
  const QString badCode = QStringLiteral("Use a Tarnik pairing code containing 32 random bytes.");
  const QString code = testing::pairingCodeOf(testing::relayKey());
  const struct {
    const char *why;
    OSCEndpoint endpoint;
    QString code;
    QString status;
  } rows[] = {
      {"port 0", OSCEndpoint::hostPort(QStringLiteral("127.0.0.1"), 0), code, badEndpoint},
      {"empty host", OSCEndpoint::hostPort(QString(), 3032), code, badEndpoint},
      {"blank host", OSCEndpoint::hostPort(QStringLiteral(" \t"), 3032), code, badEndpoint},
      {"service without name",
       OSCEndpoint::service({}, QStringLiteral("_osc._tcp"), QStringLiteral("local.")), code,
       badEndpoint},
      {"service without type",
       OSCEndpoint::service(QStringLiteral("Eos"), {}, QStringLiteral("local.")), code,
       badEndpoint},
      {"service without domain",
       OSCEndpoint::service(QStringLiteral("Eos"), QStringLiteral("_osc._tcp"), {}), code,
       badEndpoint},
      {"short code", consoleEndpoint(), code.left(40), badCode},
      {"no code", consoleEndpoint(), QString(), badCode},
  };
  for (const auto &row : rows) {
    TarnikRelayServer server;
    server.start(row.endpoint, 0, row.code);
    QCoreApplication::processEvents();  // a listen, had one been queued, runs here
    EXPECT_EQ(server.status(), row.status) << row.why;
    EXPECT_FALSE(server.isRunning()) << row.why;
    EXPECT_EQ(server.boundPort(), std::nullopt) << row.why;
  }
}

TEST_F(TarnikRelayServerStart, PublishesStartingThenListeningAndStopsCleanly) {
  TarnikRelayServer server;
  QStringList statuses;
  QObject::connect(&server, &TarnikRelayServer::statusChanged,
                   [&] { statuses << server.status(); });
  const quint16 requested = testing::closedPort();
  server.start(consoleEndpoint(), requested, testing::pairingCodeOf(testing::relayKey()));
  EXPECT_EQ(server.status(), QStringLiteral("Starting relay…"));
  EXPECT_FALSE(server.isRunning());
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.isRunning(); }, 5000));
  EXPECT_EQ(server.boundPort(), requested);
  EXPECT_EQ(statuses, QStringList({stopped, QStringLiteral("Starting relay…"),
                                   QStringLiteral("Relay listening on %1").arg(requested)}));

  server.stop();
  EXPECT_EQ(server.status(), stopped);
  EXPECT_FALSE(server.isRunning());
  EXPECT_EQ(server.boundPort(), std::nullopt);
  // The port is free again at once.
  QTcpServer next;
  EXPECT_TRUE(next.listen(QHostAddress::Any, requested));
}

TEST_F(TarnikRelayServerStart, PortInUseFailsTheListener) {
  QTcpServer holder;
  ASSERT_TRUE(holder.listen(QHostAddress::Any, 0));
  TarnikRelayServer server;
  server.start(consoleEndpoint(), holder.serverPort(), testing::pairingCodeOf(testing::relayKey()));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return server.status() != QStringLiteral("Starting relay…"); }, 5000));
  EXPECT_EQ(server.status(),
            QStringLiteral("Relay listener failed; check the port and network permissions"));
  EXPECT_FALSE(server.isRunning());
  EXPECT_EQ(server.boundPort(), std::nullopt);
}

TEST_F(TarnikRelayServerStart, SecondStartIgnoresEverythingOfTheFirstRun) {
  TarnikRelayServer server;
  const quint16 firstPort = startRelay(server);
  ASSERT_NE(firstPort, 0);
  auto phone = this->phone(firstPort);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return server.clientCount() == 1 && console.openCount() == 1; }, 5000));

  // A start whose listener has not reported yet is replaced before it can.
  const quint16 abandonedPort = testing::closedPort();
  server.start(consoleEndpoint(), abandonedPort, testing::pairingCodeOf(testing::relayKey()));
  EXPECT_EQ(server.clientCount(), 0);
  const quint16 secondPort = startRelay(server);
  ASSERT_NE(secondPort, 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return phone->isClosed() && console.openCount() == 0; }, 5000));

  QCoreApplication::processEvents();  // whatever the first two runs still had queued
  EXPECT_EQ(server.status(), QStringLiteral("Relay listening on %1").arg(secondPort));
  EXPECT_EQ(server.boundPort(), secondPort);
  for (const quint16 oldPort : {firstPort, abandonedPort}) {
    if (oldPort == secondPort) continue;
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, oldPort);
    EXPECT_FALSE(probe.waitForConnected(1000)) << oldPort;
  }
}

class TarnikRelayServerSessions : public Fixture {};

TEST_F(TarnikRelayServerSessions, CarryBytesUnchangedAndCountAuthenticatedPhones) {
  TarnikRelayServer server;
  const quint16 port = startRelay(server);
  auto first = phone(port);
  auto second = phone(port);
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.clientCount() == 2; }, 5000));

  QByteArray chunk(32768, '\0');
  for (int i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>(i * 31 + 7);
  first->send(chunk);
  second->send(QByteArray("/eos/ping\0\0\0,\0\0\0", 16));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return first->receivedCount() >= chunk.size() && second->receivedCount() >= 16; },
      5000));
  EXPECT_EQ(first->received(), chunk);
  EXPECT_EQ(second->received(), QByteArray("/eos/ping\0\0\0,\0\0\0", 16));

  second->socket().disconnectFromHost();
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return server.clientCount() == 1 && console.openCount() == 1; }, 5000));
  server.stop();
  EXPECT_EQ(server.clientCount(), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return first->isClosed() && console.openCount() == 0; }, 5000));
}

TEST_F(TarnikRelayServerSessions, DeliverWhatWasSentJustBeforeEitherSideClosed) {
  console.setRecording(true);
  TarnikRelayServer server;
  const quint16 port = startRelay(server);

  // A phone that closes with echoed bytes unread resets its connection, and its kernel drops
  // what it had not sent yet; so this console only listens.
  console.setEchoing(false);
  auto leaving = phone(port);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return leaving->isEncrypted() && console.openCount() == 1; }, 5000));
  // Far more than the relay reads ahead, so most of it is still on its way at the close.
  QByteArray lastWords(1 << 20, '\0');
  for (int i = 0; i < lastWords.size(); ++i) lastWords[i] = static_cast<char>(i / 4096 + i);
  leaving->send(lastWords);
  leaving->socket().disconnectFromHost();
  ASSERT_TRUE(QTest::qWaitFor([&] { return console.openCount() == 0; }, 5000));
  EXPECT_TRUE(console.received(0) == lastWords) << console.received(0).size();

  console.setEchoing(true);
  auto staying = phone(port);
  ASSERT_TRUE(QTest::qWaitFor([&] { return console.openCount() == 1; }, 5000));
  console.sendAndClose(1, QByteArray(40000, 'c'));
  ASSERT_TRUE(QTest::qWaitFor([&] { return staying->isClosed(); }, 5000));
  EXPECT_EQ(staying->received(), QByteArray(40000, 'c'));
  EXPECT_EQ(server.clientCount(), 0);
}

// A limit of 0 acts as 1: the one place is held by a connection that never starts a
// handshake, so the phone after it is refused at once, until the place is free again.
TEST_F(TarnikRelayServerSessions, RefuseTheConnectionBeyondTheLimitAtOnce) {
  TarnikRelayServer server(0, 5.0, 5.0);
  const quint16 port = startRelay(server);
  QTcpSocket silent;
  silent.connectToHost(QHostAddress::LocalHost, port);
  ASSERT_TRUE(silent.waitForConnected(5000));

  QSignalSpy counts(&server, &TarnikRelayServer::clientCountChanged);
  QElapsedTimer clock;
  clock.start();
  auto refused = phone(port);
  ASSERT_TRUE(QTest::qWaitFor([&] { return refused->isClosed(); }, 5000));
  EXPECT_LT(clock.elapsed(), 2000);
  EXPECT_FALSE(refused->isEncrypted());
  EXPECT_EQ(counts.count(), 0);
  EXPECT_EQ(server.status(), QStringLiteral("Relay listening on %1").arg(port));

  silent.abort();
  std::unique_ptr<RelayTestPhone> next;
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        if (!next || next->isClosed())
          next = phone(port);  // until the relay has seen the place free
        return server.clientCount() == 1;
      },
      5000));
}

// A setup time that is not a number acts as the least one, a tenth of a second.
TEST_F(TarnikRelayServerSessions, NeverCountAPhoneWithoutTheCodeAndCloseItWithinTheSetupTime) {
  TarnikRelayServer server(12, std::nan(""), 10.0);
  const quint16 port = startRelay(server);
  int highestCount = 0;
  QObject::connect(&server, &TarnikRelayServer::clientCountChanged,
                   [&] { highestCount = std::max(highestCount, server.clientCount()); });
  QElapsedTimer clock;
  clock.start();
  auto stranger = phone(port, testing::relayKey(2));
  QTcpSocket silent;
  silent.connectToHost(QHostAddress::LocalHost, port);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return stranger->isClosed() && silent.state() == QAbstractSocket::UnconnectedState; },
      5000));
  EXPECT_LT(clock.elapsed(), 2500);
  EXPECT_FALSE(stranger->isEncrypted());
  EXPECT_EQ(highestCount, 0);
  EXPECT_EQ(server.clientCount(), 0);
  EXPECT_EQ(console.acceptedCount(), 0);
}

TEST_F(TarnikRelayServerSessions, CountAPhoneWhoseConsoleRefusesUntilTheSetupTimeEndsIt) {
  TarnikRelayServer server(12, 1.5, 10.0);
  const quint16 port =
      startRelay(server, OSCEndpoint::hostPort(QStringLiteral("127.0.0.1"), testing::closedPort()));
  QElapsedTimer clock;
  clock.start();
  auto waiting = phone(port);
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.clientCount() == 1; }, 5000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return waiting->isClosed(); }, 5000));
  EXPECT_GE(clock.elapsed(), 1000);  // refusals are waited out, not taken as the end
  EXPECT_LT(clock.elapsed(), 3500);
  EXPECT_EQ(server.clientCount(), 0);
}

// Until its console answers, the relay still watches a phone that proved the code: one that
// leaves with nothing to deliver ends its session at once, not at the end of the setup time.
TEST_F(TarnikRelayServerSessions, EndAtOnceWhenAPhoneLeavesBeforeItsConsoleAnswers) {
  TarnikRelayServer server(12, 8.0, 10.0);
  const quint16 port =
      startRelay(server, OSCEndpoint::hostPort(QStringLiteral("127.0.0.1"), testing::closedPort()));
  const struct {
    const char *why;
    void (*leave)(QSslSocket &);
  } rows[] = {
      {"closes its TLS session", [](QSslSocket &socket) { socket.disconnectFromHost(); }},
      {"drops the connection", [](QSslSocket &socket) { socket.abort(); }},
  };
  for (const auto &row : rows) {
    auto leaving = phone(port);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.clientCount() == 1; }, 5000)) << row.why;
    QElapsedTimer clock;
    clock.start();
    row.leave(leaving->socket());
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.clientCount() == 0; }, 5000)) << row.why;
    EXPECT_LT(clock.elapsed(), 2000) << row.why;
  }
}

TEST_F(TarnikRelayServerSessions, EndOnlyTheSessionWhoseConsoleStopsReading) {
  TarnikRelayServer server(12, 8.0, 0.5);
  const quint16 port = startRelay(server);
  auto stalled = phone(port);
  ASSERT_TRUE(QTest::qWaitFor([&] { return console.openCount() == 1; }, 5000));
  console.stopReading(0);
  auto flowing = phone(port);
  ASSERT_TRUE(QTest::qWaitFor([&] { return console.openCount() == 2; }, 5000));
  stalled->setRecording(false);
  flowing->setRecording(false);

  stalled->startStream(qint64(256) << 20, 1);
  flowing->startStream(qint64(4) << 20, 2);
  ASSERT_TRUE(QTest::qWaitFor([&] { return stalled->isClosed(); }, 20000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return flowing->isStreamEchoed(); }, 20000));
  EXPECT_FALSE(flowing->isClosed());
  EXPECT_EQ(flowing->mismatchedBytes(), 0);
  EXPECT_EQ(server.clientCount(), 1);
}

// Runs where the system bus is out of reach too (see without-system-bus.sh): keep-awake
// and the sleep notice then simply do not exist.
TEST(TarnikRelayServerWithoutSystemBus, StartsServesAndStops) {
  testing::ensureCoreApplication();
  testing::EchoConsole console;
  TarnikRelayServer server;
  server.start(OSCEndpoint::hostPort(QStringLiteral("127.0.0.1"), console.port()), 0,
               testing::pairingCodeOf(testing::relayKey()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.isRunning(); }, 5000));
  RelayTestPhone phone(testing::phoneParameters());
  phone.connectTo(*server.boundPort());
  phone.send("hello");
  EXPECT_TRUE(QTest::qWaitFor([&] { return phone.received() == "hello"; }, 5000));
  server.stop();
  EXPECT_EQ(server.status(), stopped);
  EXPECT_TRUE(QTest::qWaitFor([&] { return phone.isClosed(); }, 5000));
}

}  // namespace
}  // namespace tarnik
