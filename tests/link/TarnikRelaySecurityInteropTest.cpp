// The relay's TLS settings against OpenSSL's own command-line peers, so both ends are
// checked against an implementation that is not ours.
#include "RelayTlsTestPeer.h"
#include "link/TarnikRelaySecurity.h"
#include "support/InstalledPrerequisites.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSslCipher>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::RelayTlsTestPeer;
using testing::waitUntil;

const QByteArray serverKey =
    QByteArray::fromHex("6a0f3c1d2e4b5a69788796a5b4c3d2e1f0112233445566778899aabbccddeeff");

QString codeOf(const QByteArray &key) { return QString::fromLatin1(key.toBase64()); }

QByteArray otherKey() {
  QByteArray key = serverKey;
  key[0] = static_cast<char>(key[0] ^ 0x80);
  return key;
}

// The process's destructor kills the child, so a failed assertion leaves nothing running.
// Blocking waits would starve the Qt sockets under test, so every wait turns the event loop.
class OpenSslPeer {
 public:
  explicit OpenSslPeer(const QStringList &arguments) {
    testing::ensureCoreApplication();
    process.setProgram(QStringLiteral("openssl"));
    process.setArguments(arguments);
    process.start();
  }
  bool outputContains(const QByteArray &text) {
    return waitUntil([&] {
      output += process.readAllStandardOutput();
      return output.contains(text);
    });
  }
  bool finishes() {
    return waitUntil([&] { return process.state() == QProcess::NotRunning; });
  }

  QProcess process;
  QByteArray output;
};

QStringList pskArguments(const QByteArray &key, const QString &identity, const QString &version,
                         const QString &cipher) {
  return {QStringLiteral("-psk"),
          QString::fromLatin1(key.toHex()),
          QStringLiteral("-psk_identity"),
          identity,
          version,
          QStringLiteral("-cipher"),
          cipher};
}

QStringList relayArguments(const QByteArray &key) {
  return pskArguments(key, QStringLiteral("TarnikRelay.v1"), QStringLiteral("-tls1_2"),
                      QStringLiteral("PSK-AES128-GCM-SHA256"));
}

class InteropTarnikRelayClient : public ::testing::Test {
 protected:
  void SetUp() override {
    TARNIK_REQUIRE_PROGRAMS("openssl");
    ASSERT_EQ(serverKey.size(), 32);
    ASSERT_TRUE(server.outputContains("ACCEPT"))
        << server.process.readAllStandardError().toStdString();
    const auto match = QRegularExpression(QStringLiteral("ACCEPT 127\\.0\\.0\\.1:(\\d+)"))
                           .match(QString::fromLatin1(server.output));
    ASSERT_TRUE(match.hasMatch()) << server.output.toStdString();
    port = match.captured(1).toUShort();
  }

  void connectClient(const QString &code) {
    TarnikRelaySecurity::armClientSocket(client, *TarnikRelaySecurity::parameters(code));
    client.connectToHostEncrypted(QStringLiteral("127.0.0.1"), port);
  }

  // Port 0 lets s_server take a free port and print it.
  OpenSslPeer server{QStringList{QStringLiteral("s_server"), QStringLiteral("-nocert"),
                                 QStringLiteral("-accept"), QStringLiteral("127.0.0.1:0")} +
                     relayArguments(serverKey)};
  QSslSocket client;
  quint16 port = 0;
};

TEST_F(InteropTarnikRelayClient, CompletesTheHandshakeAndExchangesBytes) {
  connectClient(codeOf(serverKey));
  ASSERT_TRUE(waitUntil([&] { return client.isEncrypted(); }))
      << client.errorString().toStdString();
  EXPECT_EQ(client.sessionCipher().name(), QStringLiteral("PSK-AES128-GCM-SHA256"));
  EXPECT_EQ(client.sessionProtocol(), QSsl::TlsV1_2);
  client.write("phone to console\n");
  EXPECT_TRUE(server.outputContains("phone to console"));
  server.process.write("console to phone\n");
  ASSERT_TRUE(waitUntil([&] { return client.canReadLine(); }));
  EXPECT_EQ(client.readLine(), QByteArray("console to phone\n"));
}

TEST_F(InteropTarnikRelayClient, DifferentCodeNeverConnects) {
  connectClient(codeOf(otherKey()));
  EXPECT_TRUE(waitUntil([&] { return client.state() == QAbstractSocket::UnconnectedState; }));
  EXPECT_FALSE(client.isEncrypted());
}

class InteropTarnikRelayServer : public ::testing::Test {
 protected:
  void SetUp() override { TARNIK_REQUIRE_PROGRAMS("openssl"); }

  std::unique_ptr<OpenSslPeer> startClient(const QStringList &arguments) {
    return std::make_unique<OpenSslPeer>(
        QStringList{QStringLiteral("s_client"), QStringLiteral("-connect"),
                    QStringLiteral("127.0.0.1:%1").arg(server.serverPort())} +
        arguments);
  }

  RelayTlsTestPeer server{*TarnikRelaySecurity::parameters(codeOf(serverKey))};
};

TEST_F(InteropTarnikRelayServer, AcceptsTheSameCodeAndExchangesBytes) {
  auto phone = startClient(relayArguments(serverKey));
  ASSERT_TRUE(waitUntil([&] { return testing::firstEncrypted(server) != nullptr; }))
      << phone->process.readAllStandardError().toStdString();
  QSslSocket *accepted = testing::firstEncrypted(server);
  EXPECT_EQ(accepted->sessionCipher().name(), QStringLiteral("PSK-AES128-GCM-SHA256"));
  accepted->write("console to phone\n");
  EXPECT_TRUE(phone->outputContains("console to phone"));
  phone->process.write("phone to console\n");
  ASSERT_TRUE(waitUntil([&] { return accepted->canReadLine(); }));
  EXPECT_EQ(accepted->readLine(), QByteArray("phone to console\n"));
}

TEST_F(InteropTarnikRelayServer, RefusesEveryOtherKeyIdentityVersionOrCipher) {
  const QString identity = QStringLiteral("TarnikRelay.v1");
  const struct {
    const char *why;
    QStringList arguments;
  } rows[] = {
      {"wrong key", relayArguments(otherKey())},
      {"wrong identity",
       pskArguments(serverKey, QStringLiteral("TarnikRelay.v2"), QStringLiteral("-tls1_2"),
                    QStringLiteral("PSK-AES128-GCM-SHA256"))},
      {"TLS 1.3 only", pskArguments(serverKey, identity, QStringLiteral("-tls1_3"),
                                    QStringLiteral("PSK-AES128-GCM-SHA256"))},
      {"other cipher", pskArguments(serverKey, identity, QStringLiteral("-tls1_2"),
                                    QStringLiteral("PSK-AES256-GCM-SHA384"))},
  };
  for (const auto &row : rows) {
    auto phone = startClient(row.arguments);
    EXPECT_TRUE(phone->finishes()) << row.why;
    EXPECT_NE(phone->process.exitCode(), 0) << row.why;
    EXPECT_TRUE(waitUntil([&] {
      return std::ranges::all_of(server.sockets, [](QSslSocket *socket) {
        return socket->state() == QAbstractSocket::UnconnectedState;
      });
    })) << row.why;
    EXPECT_EQ(server.encryptedCount, 0) << row.why;
  }
  EXPECT_EQ(server.sockets.size(), std::size(rows));
}

}  // namespace
}  // namespace tarnik
