// What only UDP has: the reply listener with its sender filter and peer limit, and refusals
// reported by ICMP.

#include "OSCManagerTestSupport.h"
#include "link/OSCHostAddress.h"

#include <QNetworkInterface>

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace tarnik::testing {
namespace {

const OSCMessage note{QStringLiteral("/eos/out/cmd"),
                      {OSCArgument::fromString(QStringLiteral("Go"))}};

// Sends one datagram to the manager's listen port from the given local address.
void sendFrom(const QHostAddress &source, quint16 listenPort, const OSCMessage &message = note) {
  QUdpSocket sender;
  ASSERT_TRUE(sender.bind(source, 0));
  ASSERT_EQ(sender.writeDatagram(message.encoded(), QHostAddress::LocalHost, listenPort),
            message.encoded().size());
}

bool canBindExclusively(quint16 port) {
  QUdpSocket probe;
  return probe.bind(QHostAddress::Any, port);
}

class OSCManagerListenerTest : public ::testing::Test {
 protected:
  std::unique_ptr<OSCManager> connectedManager(const QString &host = QStringLiteral("127.0.0.1")) {
    auto manager = makeManager(udpCase);
    manager->connect(host, console.udpPort());
    manager->startListening(listenPort);
    EXPECT_TRUE(waitUntil([&] { return manager->isEosVerified(); }));
    EXPECT_FALSE(canBindExclusively(listenPort));
    return manager;
  }

  EosConsoleDouble console;
  const quint16 listenPort = freeUDPPort();
};

TEST_F(OSCManagerListenerTest, RepliesToTheListenPortFromTheConsolesAddressAreTaken) {
  console.udpReplyPort = listenPort;
  // A name is not filtered; the mapped form is the same address as the console's.
  for (const QString &host : {QStringLiteral("127.0.0.1"), QStringLiteral("::ffff:127.0.0.1"),
                              QStringLiteral("localhost")}) {
    auto manager = connectedManager(host);
    EXPECT_EQ(manager->verifiedConsoleIdentity(), QStringLiteral("1 • Primary"))
        << host.toStdString();
  }
}

TEST_F(OSCManagerListenerTest, SendersFromAnotherAddressAreRefusedUnlessTheHostIsAName) {
  const OSCMessage marker{QStringLiteral("/marker"), {}};
  for (const auto &[host, taken] : {std::pair{QStringLiteral("127.0.0.1"), false},
                                    std::pair{QStringLiteral("localhost"), true}}) {
    auto manager = connectedManager(host);
    PublishedRecord record(*manager);
    sendFrom(QHostAddress(QStringLiteral("127.0.0.2")), listenPort);
    sendFrom(QHostAddress::LocalHost, listenPort, marker);
    ASSERT_TRUE(waitUntil([&] { return manager->lastReceivedMessage() == marker; }));
    EXPECT_EQ(record.messages.contains(note), taken) << host.toStdString();
    EXPECT_TRUE(record.errors.isEmpty());
  }
}

TEST_F(OSCManagerListenerTest, SeventeenthSenderIsRefused) {
  auto manager = connectedManager();
  const qint64 before = manager->receivedMessageCount();
  // Every sender stays bound, so no two of them can share a port the kernel hands out again.
  std::vector<std::unique_ptr<QUdpSocket>> senders;
  const auto sendFromNewPort = [&] {
    auto sender = std::make_unique<QUdpSocket>();
    ASSERT_TRUE(sender->bind(QHostAddress::LocalHost, 0));
    sender->writeDatagram(note.encoded(), QHostAddress::LocalHost, listenPort);
    senders.push_back(std::move(sender));
  };
  for (int sender = 0; sender < 16; ++sender) sendFromNewPort();
  ASSERT_TRUE(waitUntil([&] { return manager->receivedMessageCount() == before + 16; }));
  sendFromNewPort();
  ASSERT_TRUE(waitUntil([&] { return manager->lastError().has_value(); }));
  EXPECT_EQ(manager->lastError(), QStringLiteral("OSC UDP listener rejected an excess peer"));
  EXPECT_EQ(manager->receivedMessageCount(), before + 16);
}

TEST_F(OSCManagerListenerTest, ListenerThatCouldNotStartStartsOnTheNextTry) {
  auto manager = makeManager(udpCase);
  manager->connect(QStringLiteral("127.0.0.1"), console.udpPort());
  ASSERT_TRUE(waitUntil([&] { return manager->isEosVerified(); }));
  {
    QUdpSocket occupant;
    ASSERT_TRUE(occupant.bind(QHostAddress::Any, listenPort));
    manager->startListening(listenPort);
    ASSERT_TRUE(waitUntil([&] { return manager->lastError().has_value(); }));
    EXPECT_TRUE(
        manager->lastError()->startsWith(QStringLiteral("Could not start OSC UDP listener: ")));
  }
  manager->startListening(listenPort);
  ASSERT_TRUE(waitUntil([&] { return !canBindExclusively(listenPort); }));
  sendFrom(QHostAddress::LocalHost, listenPort);
  EXPECT_TRUE(waitUntil([&] { return manager->lastReceivedMessage() == note; }));
}

TEST_F(OSCManagerListenerTest, ListenerThatFailsLaterIsDroppedAndStartsAgain) {
  auto manager = connectedManager();
  QUdpSocket *listener = nullptr;
  for (QUdpSocket *socket : manager->findChildren<QUdpSocket *>()) {
    if (socket->localPort() == listenPort) listener = socket;
  }
  ASSERT_NE(listener, nullptr);
  emit listener->errorOccurred(QAbstractSocket::NetworkError);
  ASSERT_TRUE(waitUntil([&] { return manager->lastError().has_value(); }));
  EXPECT_TRUE(manager->lastError()->startsWith(QStringLiteral("OSC UDP listener failed: ")));
  EXPECT_TRUE(canBindExclusively(listenPort));

  manager->startListening(listenPort);
  ASSERT_TRUE(waitUntil([&] { return !canBindExclusively(listenPort); }));
  sendFrom(QHostAddress::LocalHost, listenPort);
  EXPECT_TRUE(waitUntil([&] { return manager->lastReceivedMessage() == note; }));
}

TEST_F(OSCManagerListenerTest, LongIPv6FormOfTheConsolesAddressNamesTheSameSender) {
  EosConsoleDouble::Options options;
  options.address = QHostAddress::LocalHostIPv6;
  EosConsoleDouble console6(options);
  ASSERT_TRUE(console6.isListening());
  console6.udpReplyPort = listenPort;
  auto manager = makeManager(udpCase);
  manager->connect(QStringLiteral("0:0:0:0:0:0:0:1"), console6.udpPort());
  manager->startListening(listenPort);
  ASSERT_TRUE(waitUntil([&] { return manager->verifiedConsoleIdentity().has_value(); }));
  EXPECT_EQ(manager->verifiedConsoleIdentity(), QStringLiteral("1 • Primary"));
}

TEST(OSCHostAddressTest, SameHostFoldsMappedAddressesAndWeighsScopesOnlyWhenExpected) {
  const QString loopbackIndex = QString::number(QNetworkInterface::interfaceIndexFromName("lo"));
  const std::tuple<QString, QString, bool> cases[] = {
      {"::1", "0:0:0:0:0:0:0:1", true},        {"::ffff:127.0.0.1", "127.0.0.1", true},
      {"127.0.0.1", "::ffff:127.0.0.1", true}, {"127.0.0.2", "127.0.0.1", false},
      {"fe80::1%lo", "fe80::1", true},         {"fe80::1%" + loopbackIndex, "fe80::1%lo", true},
      {"fe80::1%999999", "fe80::1%lo", false}, {"fe80::2%lo", "fe80::1%lo", false},
  };
  for (const auto &[sender, expected, same] : cases) {
    EXPECT_EQ(isSameHost(QHostAddress(sender), QHostAddress(expected)), same)
        << sender.toStdString() << " / " << expected.toStdString();
  }
}

TEST_F(OSCManagerListenerTest, ListeningOnTCPDoesNothingAndDroppingFreesTheListenPort) {
  auto tcpManager = makeManager(packetLengthCase);
  ASSERT_TRUE(connectAndVerify(*tcpManager, console, packetLengthCase));
  tcpManager->startListening(listenPort);
  QCoreApplication::processEvents();
  EXPECT_TRUE(canBindExclusively(listenPort));

  auto manager = connectedManager();
  manager.reset();
  EXPECT_TRUE(canBindExclusively(listenPort));
}

TEST(OSCManagerUDPRefusal, PortUnreachableIsNoFailureAndTheConsoleIsReachedOnceUp) {
  ensureCoreApplication();
  const quint16 port = freeUDPPort();
  auto manager = makeManager(udpCase, 5, 0.1);
  manager->connect(QStringLiteral("127.0.0.1"), port);
  ASSERT_TRUE(waitUntil([&] { return manager->isConnected(); }));
  // Every datagram so far met a closed port; the kernel reports each as refused.
  ASSERT_TRUE(waitUntil([&] {
    return manager->connectionStateDescription().startsWith(QStringLiteral("Socket open"));
  }));
  for (int ping = 0; ping < 3; ++ping) {
    EXPECT_TRUE(manager->sendPing());
    QCoreApplication::processEvents();
  }

  EosConsoleDouble::Options options;
  options.udpPort = port;
  EosConsoleDouble console(options);
  ASSERT_TRUE(console.isListening());
  EXPECT_TRUE(manager->sendPing());
  ASSERT_TRUE(waitUntil([&] { return manager->isEosVerified(); }));
  EXPECT_TRUE(manager->isConnected());
  EXPECT_EQ(manager->failedSendCount(), 0);
}

}  // namespace
}  // namespace tarnik::testing
