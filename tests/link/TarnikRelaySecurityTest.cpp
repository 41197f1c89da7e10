#include "RelayTlsTestPeer.h"
#include "link/TarnikRelaySecurity.h"

#include <QElapsedTimer>
#include <QSslCipher>

#include <cstring>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

using Failure = TarnikRelaySecurity::Failure;
using testing::waitUntil;

QString codeOf(const QByteArray &bytes) { return QString::fromLatin1(bytes.toBase64()); }

QByteArray keyBytes(char first = 0) {
  QByteArray key(32, '\0');
  for (int i = 0; i < key.size(); ++i) key[i] = static_cast<char>(first + i * 7);
  return key;
}

TEST(TarnikRelaySecurityFailure, DescribesEachCaseInItsOwnWords) {
  const struct {
    Failure failure;
    QString text;
  } rows[] = {
      {{Failure::Kind::keychain, -25300},
       QStringLiteral("The pairing code could not be stored in Keychain (-25300).")},
      {{Failure::Kind::keychain, 2,
        QStringLiteral("The name org.freedesktop.secrets was not "
                       "provided by any .service files")},
       QStringLiteral("The pairing code could not be stored in Keychain (2). The name "
                      "org.freedesktop.secrets was not provided by any .service files.")},
      {{Failure::Kind::keychain, 3, QStringLiteral("The keyring holding this item is locked.\n")},
       QStringLiteral("The pairing code could not be stored in Keychain (3). The keyring "
                      "holding this item is locked.")},
      {{Failure::Kind::keychainRead, 3, QStringLiteral("The keyring holding this item is locked.")},
       QStringLiteral("The pairing code could not be read from Keychain (3). The keyring "
                      "holding this item is locked.")},
      {{Failure::Kind::invalidKey},
       QStringLiteral("Use a Tarnik pairing code containing 32 random bytes.")},
      {{Failure::Kind::randomGeneration},
       QStringLiteral("Could not generate a secure pairing code.")},
      {{Failure::Kind::invalidEndpoint},
       QStringLiteral("Enter a board host and nonzero board and relay ports.")},
  };
  for (const auto &row : rows) EXPECT_EQ(row.failure.description(), row.text);
}

TEST(TarnikRelaySecurityParameters, PinTls12ThePskCipherAndTheKey) {
  const auto parameters = TarnikRelaySecurity::parameters(codeOf(keyBytes()));
  ASSERT_TRUE(parameters);
  EXPECT_EQ(parameters->key, keyBytes());
  EXPECT_EQ(parameters->identity, QByteArray("TarnikRelay.v1"));
  EXPECT_EQ(parameters->configuration.protocol(), QSsl::TlsV1_2);
  EXPECT_EQ(parameters->configuration.peerVerifyMode(), QSslSocket::VerifyNone);
  const QList<QSslCipher> ciphers = parameters->configuration.ciphers();
  ASSERT_EQ(ciphers.size(), 1);
  EXPECT_FALSE(ciphers.front().isNull());
  EXPECT_EQ(ciphers.front().name(), QStringLiteral("PSK-AES128-GCM-SHA256"));
}

TEST(TarnikRelaySecurityParameters, TrimOnlyTheEnds) {
  const QString code = codeOf(keyBytes());
  for (const QString &padded : {QStringLiteral("  ") + code + QStringLiteral("\n"),
                                QStringLiteral("\r\n\t") + code + QStringLiteral(" \u2028")}) {
    const auto parameters = TarnikRelaySecurity::parameters(padded);
    ASSERT_TRUE(parameters) << padded.toStdString();
    EXPECT_EQ(parameters->key, keyBytes());
  }
}

TEST(TarnikRelaySecurityParameters, RefuseAnythingButStrictBase64OfThirtyTwoBytes) {
  const QString code = codeOf(keyBytes());  // 43 significant characters and one '='
  const struct {
    const char *why;
    QString text;
  } rows[] = {
      {"empty", QString()},
      {"only white space", QStringLiteral(" \n ")},
      {"31 bytes", codeOf(keyBytes().first(31))},
      {"33 bytes", codeOf(keyBytes() + 'x')},
      {"missing padding", code.chopped(1)},
      {"padding doubled", code + QStringLiteral("===")},
      {"padding inside", code.left(20) + QStringLiteral("=") + code.mid(21)},
      {"line break inside", code.left(20) + QStringLiteral("\n") + code.mid(20)},
      {"space inside", code.left(20) + QStringLiteral(" ") + code.mid(20)},
      {"URL-safe alphabet", codeOf(QByteArray(32, '\xfb')).replace(u'+', u'-').replace(u'/', u'_')},
      {"non-ASCII letter", QStringLiteral("\u00C4") + code.mid(1)},
  };
  for (const auto &row : rows) {
    EXPECT_EQ(TarnikRelaySecurity::parameters(row.text),
              std::unexpected(Failure{Failure::Kind::invalidKey}))
        << row.why;
    // Refused before any keychain call: with no keyring in reach this is still invalidKey.
    EXPECT_EQ(TarnikRelaySecurity::storePairingCode(row.text, QStringLiteral("unit")),
              std::unexpected(Failure{Failure::Kind::invalidKey}))
        << row.why;
  }
  ASSERT_TRUE(codeOf(QByteArray(32, '\xfb')).contains(u'+'));
}

TEST(TarnikRelaySecurityPairingCode, IsFortyFourCharactersOfAFreshKey) {
  const auto first = TarnikRelaySecurity::makePairingCode();
  const auto second = TarnikRelaySecurity::makePairingCode();
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->size(), 44);
  EXPECT_NE(*first, *second);
  EXPECT_TRUE(TarnikRelaySecurity::parameters(*first));
}

// The code is made of the generator's bytes, and a generator that cannot give secure bytes
// makes no code at all.
TEST(TarnikRelaySecurityPairingCode, ComesFromTheGeneratorAndReportsItsFailure) {
  const auto fill = [](std::span<std::byte> bytes) {
    const QByteArray key = keyBytes(5);
    std::memcpy(bytes.data(), key.constData(), bytes.size());
    return true;
  };
  EXPECT_EQ(TarnikRelaySecurity::makePairingCode(fill), codeOf(keyBytes(5)));
  EXPECT_EQ(TarnikRelaySecurity::makePairingCode([](std::span<std::byte>) { return false; }),
            std::unexpected(Failure{Failure::Kind::randomGeneration}));
}

// With no reachable Secret Service a keychain error must surface as such, never as a
// missing code that the caller would then silently replace. (Runs before anything in this
// program reaches the session bus, which GLib would then keep.)
TEST(TarnikRelaySecurityKeychain, ReportsAnUnreachableServiceAsKeychainFailure) {
  const QByteArray saved = qgetenv("DBUS_SESSION_BUS_ADDRESS");
  qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tarnik-test-bus");
  const auto loaded = TarnikRelaySecurity::loadPairingCode(QStringLiteral("server"));
  const auto stored =
      TarnikRelaySecurity::storePairingCode(codeOf(keyBytes()), QStringLiteral("server"));
  saved.isNull() ? qunsetenv("DBUS_SESSION_BUS_ADDRESS")
                 : qputenv("DBUS_SESSION_BUS_ADDRESS", saved);
  ASSERT_FALSE(loaded);
  ASSERT_FALSE(stored);
  const struct {
    Failure failure;
    Failure::Kind kind;
    QString text;
  } rows[] = {
      {loaded.error(), Failure::Kind::keychainRead,
       QStringLiteral("The pairing code could not be read from Keychain (1). Could not connect: ")},
      {stored.error(), Failure::Kind::keychain,
       QStringLiteral("The pairing code could not be stored in Keychain (1). Could not connect: ")},
  };
  for (const auto &row : rows) {
    EXPECT_EQ(row.failure.kind, row.kind);
    EXPECT_EQ(row.failure.status, 1);
    EXPECT_TRUE(row.failure.description().startsWith(row.text))
        << row.failure.description().toStdString();
  }
}

// A listener that accepts TCP but never answers the handshake: the client gives up after
// its fixed connect limit rather than waiting forever.
TEST(TarnikRelaySecurityClient, AbortsAHandshakeThatDoesNotFinishInEightSeconds) {
  testing::ensureCoreApplication();
  QTcpServer silent;
  ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
  QSslSocket client;
  TarnikRelaySecurity::armClientSocket(client,
                                       *TarnikRelaySecurity::parameters(codeOf(keyBytes())));
  QElapsedTimer elapsed;
  elapsed.start();
  client.connectToHostEncrypted(QStringLiteral("127.0.0.1"), silent.serverPort());
  ASSERT_TRUE(waitUntil([&] { return client.state() == QAbstractSocket::ConnectedState; }));
  EXPECT_EQ(client.socketOption(QAbstractSocket::LowDelayOption).toInt(), 1);
  ASSERT_TRUE(
      waitUntil([&] { return client.state() == QAbstractSocket::UnconnectedState; }, 12000));
  EXPECT_GE(elapsed.elapsed(), 7900);
}

}  // namespace
}  // namespace tarnik
