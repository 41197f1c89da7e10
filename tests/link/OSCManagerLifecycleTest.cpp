// Construction, the small text routines, connect failures and the service-endpoint seam.

#include "OSCManagerTestSupport.h"
#include "foundation/UptimeClock.h"

#include <QSslSocket>
#include <QTcpServer>
#include <QTimer>

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace tarnik::testing {
namespace {

TEST(OSCManagerTexts, SecondsTextWritesWholeNumbersWithoutDecimals) {
  const std::pair<double, const char *> cases[] = {{8, "8 seconds"},
                                                   {1, "1 seconds"},
                                                   {1.5, "1.5 seconds"},
                                                   {0.1, "0.1 seconds"},
                                                   {8.04, "8.0 seconds"}};
  for (const auto &[seconds, text] : cases)
    EXPECT_EQ(OSCManager::secondsText(seconds), QString::fromUtf8(text)) << seconds;
}

TEST(OSCManagerTexts, DottedNumericNeedsTwoOrMoreIntegerPieces) {
  for (const char *text : {"3.2.1", "1.0", "+1.-2", "10.20.30.40"})
    EXPECT_TRUE(OSCManager::isDottedNumeric(QString::fromUtf8(text))) << text;
  for (const char *text : {"3", "", "3..1", "3.2a", "3.", " 3.2", "3.99999999999999999999"}) {
    EXPECT_FALSE(OSCManager::isDottedNumeric(QString::fromUtf8(text))) << text;
  }
}

TEST(OSCManagerTexts, NormalizedHostKeepsOnlyAddressLiterals) {
  EXPECT_EQ(OSCManager::normalizedHost(QStringLiteral("192.168.1.20")),
            QStringLiteral("192.168.1.20"));
  EXPECT_EQ(OSCManager::normalizedHost(QStringLiteral("FE80::1:ABCD")),
            QStringLiteral("fe80::1:abcd"));
  EXPECT_EQ(OSCManager::normalizedHost(QStringLiteral("eos-primary.local")), std::nullopt);
  EXPECT_EQ(OSCManager::normalizedHost(QStringLiteral("127.1")), std::nullopt);
  EXPECT_EQ(OSCManager::normalizedHost(
                OSCEndpoint::service(QStringLiteral("Eos"), QStringLiteral("_osc._udp"), {})),
            std::nullopt);
}

TEST(OSCManagerTexts, ArgumentDescriptionsFollowEachCase) {
  const QList<OSCArgument> arguments{OSCArgument::fromInt(-3), OSCArgument::fromFloat(0.5f),
                                     OSCArgument::fromString(QStringLiteral("Primary")),
                                     OSCArgument::fromBool(false),
                                     OSCArgument::fromBlob(QByteArray(5, 'x'))};
  EXPECT_EQ(OSCManager::argumentDescriptions(arguments),
            QStringList({"-3", "0.5", "Primary", "false", "5-byte blob"}));
}

TEST(OSCManagerTexts, EndpointDescriptions) {
  EXPECT_EQ(OSCEndpoint::hostPort(QStringLiteral("10.0.0.5"), 3032).description(),
            QStringLiteral("10.0.0.5:3032"));
  EXPECT_EQ(OSCEndpoint::hostPort(QStringLiteral("::1"), 8000).description(),
            QStringLiteral("[::1]:8000"));
  EXPECT_EQ(OSCEndpoint::service(QStringLiteral("Eos"), QStringLiteral("_osc._udp"),
                                 QStringLiteral("local."), QStringLiteral("en0"))
                .description(),
            QStringLiteral("Eos._osc._udp.local.%en0"));
}

TEST(OSCPingTrackerTest, KeepsTheNewestEightTokensAndMatchesEachOnce) {
  OSCPingTracker tracker;
  for (int index = 0; index < 9; ++index) tracker.registerPing(QString::number(index), 1'000'000);
  EXPECT_EQ(tracker.match(QStringLiteral("0"), 3'000'000), std::nullopt);
  EXPECT_EQ(tracker.match(QStringLiteral("8"), 3'500'000), 2.5);
  EXPECT_EQ(tracker.match(QStringLiteral("8"), 3'500'000), std::nullopt);
  EXPECT_EQ(tracker.match(QStringLiteral("1"), 500'000), std::nullopt);  // earlier than its start
  tracker.registerPing(QStringLiteral("2"), 2'000'000);  // again: moves to the newest place
  EXPECT_EQ(tracker.registrationOrder.last(), QStringLiteral("2"));
  EXPECT_EQ(tracker.startsByToken.size(), tracker.registrationOrder.size());
}

// A loopback port nothing listens on: the one a listener had just before it went.
quint16 closedPort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

class OSCManagerLifecycleTest : public ::testing::Test {
 protected:
  EosConsoleDouble console;
};

TEST_F(OSCManagerLifecycleTest, SendBeforeConnectingIsRefused) {
  auto manager = makeManager(packetLengthCase);
  EXPECT_FALSE(manager->send({QStringLiteral("/eos/key/go"), {}}));
  ASSERT_TRUE(waitUntil([&] { return manager->failedSendCount() == 1; }));
  EXPECT_EQ(manager->attemptedMessageCount(), 1);
  EXPECT_EQ(manager->queuedMessageCount(), 0);
  EXPECT_EQ(manager->lastError(),
            QStringLiteral("OSC send rejected because the connection is not ready"));
  EXPECT_FALSE(manager->sendPing());
}

TEST_F(OSCManagerLifecycleTest, PortZeroIsRefused) {
  auto manager = makeManager(udpCase);
  manager->connect(QStringLiteral("127.0.0.1"), 0);
  ASSERT_TRUE(waitUntil([&] { return manager->lastError().has_value(); }));
  EXPECT_EQ(manager->lastError(), QStringLiteral("Invalid OSC port 0"));
  manager->startListening(0);
  ASSERT_TRUE(waitUntil(
      [&] { return manager->lastError() == QStringLiteral("Invalid OSC listen port 0"); }));
  EXPECT_EQ(manager->connectionStateDescription(), QStringLiteral("Disconnected"));
}

// A limit that is not a number acts as the least one, a tenth of a second.
TEST_F(OSCManagerLifecycleTest, RefusedPortWaitsUntilTheConnectTimeLimit) {
  const quint16 port = closedPort();
  auto manager = makeManager(packetLengthCase, std::numeric_limits<double>::quiet_NaN(), 5);
  PublishedRecord record(*manager);
  const QString endpoint = QStringLiteral("127.0.0.1:") + QString::number(port);
  manager->connect(QStringLiteral("127.0.0.1"), port);
  ASSERT_TRUE(waitUntil([&] { return manager->lastError().has_value(); }));

  EXPECT_EQ(record.distinctStates(),
            QStringList({QStringLiteral("Connecting to ") + endpoint,
                         QStringLiteral("Preparing connection"),
                         QStringLiteral("Waiting to connect — Connection refused"),
                         QStringLiteral("Disconnected")}));
  EXPECT_EQ(manager->lastError(),
            QStringLiteral("OSC connection to ") + endpoint +
                QStringLiteral(" did not become socket-ready within 0.1 seconds. Check the "
                               "host, port, private-IP route, and console OSC settings."));
  EXPECT_FALSE(manager->isConnected());
}

TEST_F(OSCManagerLifecycleTest, ConsoleThatComesUpWhileWaitingIsReachedOnARetry) {
  const quint16 port = closedPort();
  auto manager = makeManager(packetLengthCase, 5, 5);
  manager->connect(QStringLiteral("127.0.0.1"), port);
  ASSERT_TRUE(waitUntil(
      [&] { return manager->connectionStateDescription().startsWith(QStringLiteral("Waiting")); }));

  EosConsoleDouble::Options options;
  options.packetLengthPort = port;
  EosConsoleDouble lateConsole(options);
  ASSERT_TRUE(lateConsole.isListening());
  EXPECT_TRUE(waitUntil([&] { return manager->isEosVerified(); }));
}

TEST_F(OSCManagerLifecycleTest, RelayRouteRefusesUDPAndBadPairingCodes) {
  const std::tuple<OSCTransport, QString, QString> cases[] = {
      {OSCTransport::udp, QString(44, u'A'), QStringLiteral("Mac relay requires TCP.")},
      {OSCTransport::tcp, QStringLiteral("c2hvcnQ="), QStringLiteral("Invalid Mac pairing code.")},
  };
  for (const auto &[transport, code, text] : cases) {
    auto manager = makeManager(packetLengthCase);
    manager->transport = transport;
    manager->relayPairingKey = code;
    PublishedRecord record(*manager);
    manager->connect(QStringLiteral("127.0.0.1"), console.tcpPort(OSCTCPFraming::packetLength));
    ASSERT_TRUE(waitUntil([&] { return manager->lastError().has_value(); }));
    EXPECT_EQ(manager->lastError(), text);
    EXPECT_EQ(record.distinctStates().last(), QStringLiteral("Disconnected"));
    EXPECT_EQ(console.tcpClientCount(), 0);
  }
}

TEST_F(OSCManagerLifecycleTest, PacketSizeLimitIsOneMebibyte) {
  auto manager = makeManager(packetLengthCase);
  ASSERT_TRUE(connectAndVerify(*manager, console, packetLengthCase));
  const auto blobMessage = [](qsizetype packetSize) {
    // "/b" and ",b" take 4 bytes each, the blob's length another 4.
    return OSCMessage{QStringLiteral("/b"),
                      {OSCArgument::fromBlob(QByteArray(packetSize - 12, 'x'))}};
  };
  ASSERT_EQ(blobMessage(1'048'576).encoded().size(), 1'048'576);
  EXPECT_TRUE(manager->send(blobMessage(1'048'576)));
  EXPECT_FALSE(manager->send(blobMessage(1'048'580)));
  ASSERT_TRUE(waitUntil([&] { return manager->failedSendCount() == 1; }));
  EXPECT_EQ(manager->lastError(),
            QStringLiteral("OSC send rejected because the packet is too large"));
  EXPECT_TRUE(waitUntil([&] { return console.requests(QStringLiteral("/b")).size() == 1; }));
}

// A packet within the limit that no datagram can carry is handed over, and its delivery
// fails: counted as queued and failed, never as sent, and told with the socket's reason.
TEST_F(OSCManagerLifecycleTest, AFailedDeliveryIsCountedAndToldWithItsReason) {
  auto manager = makeManager(udpCase);
  ASSERT_TRUE(connectAndVerify(*manager, console, udpCase));
  EXPECT_TRUE(
      manager->send({QStringLiteral("/b"), {OSCArgument::fromBlob(QByteArray(70'000, 'x'))}}));
  ASSERT_TRUE(waitUntil([&] { return manager->failedSendCount() == 1; }));
  // A datagram's delivery ends when it is handed over: nothing is in flight.
  EXPECT_EQ(manager->attemptedMessageCount(), manager->queuedMessageCount());
  EXPECT_EQ(manager->queuedMessageCount(), manager->sentMessageCount() + 1);
  const QString failed = QStringLiteral("OSC send failed: ");
  ASSERT_TRUE(manager->lastError() && manager->lastError()->startsWith(failed));
  EXPECT_GT(manager->lastError()->size(), failed.size());
  // A failed send does not end the connection.
  EXPECT_TRUE(manager->isConnected());
}

TEST_F(OSCManagerLifecycleTest, OnlyADottedNumericVersionReplyVerifies) {
  console.setHandler(QStringLiteral("/eos/ping"),
                     [](const OSCMessage &) { return QList<OSCMessage>{}; });
  const std::tuple<const char *, const char *, std::optional<QString>> cases[] = {
      {" 3.2.1\n", "1.0", QStringLiteral("3.2.1")},
      {"3.2.1", "", std::nullopt},
      {"3", "1.0", std::nullopt}};
  for (const auto &[software, library, verified] : cases) {
    console.softwareVersion = QString::fromUtf8(software);
    console.fixtureLibraryVersion = QString::fromUtf8(library);
    auto manager = makeManager(udpCase, 5, 0.1);
    manager->connect(QStringLiteral("127.0.0.1"), console.udpPort());
    // The version reply and the processors reply have both been taken in.
    ASSERT_TRUE(waitUntil([&] { return manager->receivedMessageCount() == 2; })) << software;
    EXPECT_EQ(manager->isEosVerified(), verified.has_value()) << software;
    EXPECT_EQ(manager->verifiedSoftwareVersion(), verified) << software;
    // Without proof the console's identity stays unpublished.
    EXPECT_EQ(manager->verifiedConsoleIdentity().has_value(), verified.has_value()) << software;
  }
}

TEST_F(OSCManagerLifecycleTest, MatchedPingAloneVerifies) {
  console.setHandler(QStringLiteral("/eos/get/version"),
                     [](const OSCMessage &) { return QList<OSCMessage>{}; });
  auto manager = makeManager(udpCase);
  ASSERT_TRUE(connectAndVerify(*manager, console, udpCase));
  EXPECT_EQ(manager->roundTripSampleCount(), 1);
  EXPECT_EQ(manager->verifiedSoftwareVersion(), std::nullopt);
  EXPECT_TRUE(manager->lastPingResponse().has_value());
}

TEST_F(OSCManagerLifecycleTest, DisconnectRightAfterConnectLeavesItClosed) {
  auto manager = makeManager(packetLengthCase);
  manager->connect(QStringLiteral("127.0.0.1"), console.tcpPort(OSCTCPFraming::packetLength));
  manager->disconnect();
  ASSERT_TRUE(waitUntil(
      [&] { return manager->connectionStateDescription() == QStringLiteral("Disconnected"); }));
  QCoreApplication::processEvents();
  EXPECT_EQ(console.tcpClientCount(), 0);
  EXPECT_EQ(manager->connectionStateDescription(), QStringLiteral("Disconnected"));
}

TEST_F(OSCManagerLifecycleTest, ManyManagersComeAndGoWithoutLeavingConnections) {
  for (int round = 0; round < 20; ++round) {
    auto manager = makeManager(round % 2 ? slipCase : packetLengthCase);
    ASSERT_TRUE(connectAndVerify(*manager, console, round % 2 ? slipCase : packetLengthCase));
  }
  EXPECT_TRUE(waitUntil([&] { return console.tcpClientCount() == 0; }));
}

TEST_F(OSCManagerLifecycleTest, PingResponseUptimeIsSetWithThePingResponseAndBeforeIt) {
  auto manager = makeManager(udpCase);
  ASSERT_TRUE(connectAndVerify(*manager, console, udpCase));
  ASSERT_TRUE(waitUntil([&] { return manager->roundTripSampleCount() == 1; }));
  std::optional<double> uptimeWhenAnnounced;
  double announcedAt = 0;
  int uptimeChanges = 0;
  QObject::connect(manager.get(), &OSCManager::lastPingResponseUptimeChanged, manager.get(),
                   [&] { ++uptimeChanges; });
  QObject::connect(manager.get(), &OSCManager::lastPingResponseChanged, manager.get(), [&] {
    announcedAt = systemUptime();
    uptimeWhenAnnounced = manager->lastPingResponseUptime();
  });

  const double sentAt = systemUptime();
  ASSERT_TRUE(manager->sendPing());
  ASSERT_TRUE(waitUntil([&] { return uptimeWhenAnnounced.has_value(); }));
  EXPECT_GE(*uptimeWhenAnnounced, sentAt);
  EXPECT_LE(*uptimeWhenAnnounced, announcedAt);
  EXPECT_EQ(uptimeChanges, 1);

  manager->disconnect();
  ASSERT_TRUE(waitUntil([&] { return !manager->lastPingResponse().has_value(); }));
  EXPECT_EQ(manager->lastPingResponseUptime(), std::nullopt);
}

// A relay that accepts the connection but never finishes the handshake: the manager's own
// connect time limit governs the relay route, above the eight seconds a phone's handshake
// gets as well as below them, and ends it with its time-out text.
TEST_F(OSCManagerLifecycleTest, StalledRelayHandshakeEndsAtTheManagersConnectTimeLimit) {
  QTcpServer silent;
  ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
  const QString pairingCode = QString::fromLatin1(QByteArray(32, '\x5A').toBase64());
  const QString endpoint = QStringLiteral("127.0.0.1:") + QString::number(silent.serverPort());
  {
    auto manager = makeManager(packetLengthCase, 10, 5);
    manager->relayPairingKey = pairingCode;
    manager->connect(QStringLiteral("127.0.0.1"), silent.serverPort());
    ASSERT_TRUE(waitUntil([&] {
      const auto *tls = manager->findChild<QSslSocket *>();
      return tls && tls->state() == QAbstractSocket::ConnectedState;
    }));
    // Nothing but the manager's ten seconds may end the handshake.
    const auto timers = manager->findChild<QSslSocket *>()->findChildren<QTimer *>();
    EXPECT_TRUE(std::none_of(timers.begin(), timers.end(),
                             [](const QTimer *timer) { return timer->isActive(); }));
  }
  auto manager = makeManager(packetLengthCase, 0.3, 5);
  manager->relayPairingKey = pairingCode;
  manager->connect(QStringLiteral("127.0.0.1"), silent.serverPort());
  ASSERT_TRUE(waitUntil([&] { return manager->lastError().has_value(); }));
  EXPECT_EQ(manager->lastError(),
            QStringLiteral("OSC connection to ") + endpoint +
                QStringLiteral(" did not become socket-ready within 0.3 seconds. Check the "
                               "host, port, private-IP route, and console OSC settings."));
}

// Resolves every service to the console's packet-length port, or fails with a text.
class FixedResolver : public OSCServiceResolver {
 public:
  explicit FixedResolver(std::expected<OSCEndpoint::HostPort, QString> answer)
      : answer_(std::move(answer)) {}
  void resolve(const OSCEndpoint::Service &service, Completion completion) override {
    resolved.append(service);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [completion, answer = answer_] { completion(answer); },
        Qt::QueuedConnection);
  }
  QList<OSCEndpoint::Service> resolved;

 private:
  std::expected<OSCEndpoint::HostPort, QString> answer_;
};

TEST_F(OSCManagerLifecycleTest, ServiceEndpointsGoThroughTheResolver) {
  const OSCEndpoint service = OSCEndpoint::service(
      QStringLiteral("Eos"), QStringLiteral("_osc._tcp"), QStringLiteral("local."));
  auto manager = makeManager(packetLengthCase);
  manager->setServiceResolver(nullptr);
  manager->connect(service);
  ASSERT_TRUE(waitUntil([&] { return manager->lastError().has_value(); }));
  EXPECT_EQ(manager->lastError(),
            QStringLiteral("OSC connection failed: Bonjour service resolution is unavailable."));

  auto failing =
      std::make_shared<FixedResolver>(std::unexpected(QStringLiteral("No such service")));
  manager->setServiceResolver(failing);
  manager->connect(service);
  ASSERT_TRUE(waitUntil([&] {
    return manager->lastError() == QStringLiteral("OSC connection failed: No such service");
  }));

  auto resolver = std::make_shared<FixedResolver>(OSCEndpoint::HostPort{
      QStringLiteral("127.0.0.1"), console.tcpPort(OSCTCPFraming::packetLength)});
  manager->setServiceResolver(resolver);
  manager->connect(service);
  ASSERT_TRUE(waitUntil([&] { return manager->isEosVerified(); }));
  EXPECT_EQ(resolver->resolved, QList<OSCEndpoint::Service>{*service.asService()});
  EXPECT_EQ(manager->connectionStateDescription(),
            QStringLiteral("Connected to Eos at Eos._osc._tcp.local."));
}

}  // namespace
}  // namespace tarnik::testing
