// The relay route against a TLS peer that is not ours: `openssl s_server` with the relay's
// pre-shared key, whose plaintext side is bridged to the console double.

#include "OSCManagerTestSupport.h"
#include "support/InstalledPrerequisites.h"

#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

namespace tarnik::testing {
namespace {

// openssl s_server on 127.0.0.1 with the key of one pairing code. What it decrypts goes
// to the console's TCP port and what the console answers goes back, byte for byte.
class OpenSSLRelay {
 public:
  OpenSSLRelay(const QString &pairingCode, quint16 consolePort) {
    const QByteArray key = QByteArray::fromBase64(pairingCode.toLatin1());
    port_ = [] {
      QTcpServer probe;
      probe.listen(QHostAddress::LocalHost, 0);
      return probe.serverPort();
    }();
    QObject::connect(&process_, &QProcess::readyReadStandardOutput, &bridge_,
                     [this] { bridge_.write(process_.readAllStandardOutput()); });
    QObject::connect(&bridge_, &QIODevice::readyRead, &process_,
                     [this] { process_.write(bridge_.readAll()); });
    bridge_.connectToHost(QHostAddress::LocalHost, consolePort);
    // -quiet keeps s_server's own reports off standard output, which carries the payload.
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(
        QStringLiteral("openssl"),
        {QStringLiteral("s_server"), QStringLiteral("-quiet"), QStringLiteral("-nocert"),
         QStringLiteral("-psk"), QString::fromLatin1(key.toHex()), QStringLiteral("-psk_identity"),
         QStringLiteral("TarnikRelay.v1"), QStringLiteral("-tls1_2"), QStringLiteral("-cipher"),
         QStringLiteral("PSK-AES128-GCM-SHA256"), QStringLiteral("-accept"),
         QStringLiteral("127.0.0.1:") + QString::number(port_)});
  }

  ~OpenSSLRelay() {
    process_.kill();
    process_.waitForFinished(5000);
  }

  quint16 port() const { return port_; }

  bool waitUntilListening() {
    return process_.waitForStarted(5000) && bridge_.waitForConnected(5000) &&
           waitUntil([this] { return isListening(); });
  }

 private:
  // Looks the port up among the kernel's listening sockets, so that no probe connection
  // reaches s_server.
  bool isListening() const {
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly)) return false;
    const QByteArray local = QByteArrayLiteral("0100007F:") +
                             QByteArray::number(port_, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray &line : table.readAll().split('\n')) {
      const QList<QByteArray> fields = line.simplified().split(' ');
      if (fields.size() > 3 && fields[1] == local && fields[3] == "0A") return true;
    }
    return false;
  }

  QProcess process_;
  QTcpSocket bridge_;
  quint16 port_ = 0;
};

const QString pairingCode = QByteArray(32, '\x5A').toBase64();

class InteropOSCManagerRelayRoute : public ::testing::TestWithParam<TransportCase> {
 protected:
  void SetUp() override { TARNIK_REQUIRE_PROGRAMS("openssl"); }

  EosConsoleDouble console;
};

TEST_P(InteropOSCManagerRelayRoute, ReachesReadyAndVerifiesEosThroughTLS) {
  OpenSSLRelay relay(pairingCode, console.tcpPort(GetParam().framing));
  ASSERT_TRUE(relay.waitUntilListening());
  auto manager = makeManager(GetParam());
  manager->relayPairingKey = pairingCode;
  PublishedRecord record(*manager);
  const QString endpoint = QStringLiteral("127.0.0.1:") + QString::number(relay.port());
  manager->connect(QStringLiteral("127.0.0.1"), relay.port());
  ASSERT_TRUE(waitUntil([&] { return manager->isEosVerified(); }, 10000))
      << manager->lastError().value_or(QString()).toStdString();

  EXPECT_TRUE(record.states.contains(QStringLiteral("TCP open — verifying Eos at ") + endpoint));
  EXPECT_EQ(manager->connectionStateDescription(),
            QStringLiteral("Connected to Eos at ") + endpoint);
  EXPECT_EQ(manager->verifiedSoftwareVersion(), QStringLiteral("3.2.1"));

  // The framed bytes cross the TLS session unchanged, and count as the framing made them.
  ASSERT_TRUE(waitUntil([&] { return manager->sentMessageCount() == 3; }));
  const qint64 before = manager->sentByteCount();
  const OSCMessage message{QStringLiteral("/eos/key/go_to_cue"), {}};
  ASSERT_TRUE(manager->send(message));
  ASSERT_TRUE(waitUntil([&] { return console.requests(message.address).size() == 1; }));
  ASSERT_TRUE(waitUntil([&] { return manager->sentMessageCount() == 4; }));
  EXPECT_EQ(manager->sentByteCount() - before,
            OSCTCPFramer::frame(message.encoded(), GetParam().framing)->size());
}

TEST_P(InteropOSCManagerRelayRoute, WrongPairingCodeFailsTheHandshake) {
  OpenSSLRelay relay(pairingCode, console.tcpPort(GetParam().framing));
  ASSERT_TRUE(relay.waitUntilListening());
  auto manager = makeManager(GetParam());
  manager->relayPairingKey = QString::fromLatin1(QByteArray(32, '\x33').toBase64());
  manager->connect(QStringLiteral("127.0.0.1"), relay.port());
  ASSERT_TRUE(waitUntil([&] { return manager->lastError().has_value(); }, 10000));
  EXPECT_TRUE(manager->lastError()->startsWith(QStringLiteral("OSC connection failed: ")))
      << manager->lastError()->toStdString();
  EXPECT_FALSE(manager->isConnected());
  EXPECT_TRUE(console.requests().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(InteropFramings, InteropOSCManagerRelayRoute,
                         ::testing::Values(packetLengthCase, slipCase), transportCaseName);

}  // namespace
}  // namespace tarnik::testing
