// Runs inside tests/support/with-keyring.sh, against a private unlocked GNOME Keyring.
#include "link/TarnikRelaySecurity.h"
#include "support/TestKeyring.h"

#include <QUuid>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using Failure = TarnikRelaySecurity::Failure;
using Loaded = std::expected<std::optional<QString>, Failure>;

QString freshAccount() {
  return QStringLiteral("client.") + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

QString codeOf(char fill) { return QString::fromLatin1(QByteArray(32, fill).toBase64()); }

TEST(TarnikRelaySecurityKeyringIntegration, StoresTheTrimmedCodeAndReplacesIt) {
  const QString account = freshAccount();
  EXPECT_EQ(TarnikRelaySecurity::loadPairingCode(account), Loaded(std::nullopt));

  ASSERT_TRUE(TarnikRelaySecurity::storePairingCode(
      QStringLiteral("  ") + codeOf('a') + QStringLiteral("\r\n"), account));
  EXPECT_EQ(TarnikRelaySecurity::loadPairingCode(account), Loaded(codeOf('a')));
  EXPECT_EQ(SecretServiceKeychain::load(TarnikRelaySecurity::keychainQuery(account)).value(),
            codeOf('a').toUtf8());

  ASSERT_TRUE(TarnikRelaySecurity::storePairingCode(codeOf('b'), account));
  EXPECT_EQ(TarnikRelaySecurity::loadPairingCode(account), Loaded(codeOf('b')));
  EXPECT_EQ(TarnikRelaySecurity::loadPairingCode(freshAccount()), Loaded(std::nullopt));
}

TEST(TarnikRelaySecurityKeyringIntegration, RefusedCodeLeavesTheStoredOneAlone) {
  const QString account = freshAccount();
  ASSERT_TRUE(TarnikRelaySecurity::storePairingCode(codeOf('c'), account));
  EXPECT_EQ(TarnikRelaySecurity::storePairingCode(codeOf('c').chopped(1), account),
            std::unexpected(Failure{Failure::Kind::invalidKey}));
  EXPECT_EQ(TarnikRelaySecurity::loadPairingCode(account), Loaded(codeOf('c')));
}

// Text is given back as stored, unvalidated; but bytes that are not text at all mean a
// damaged item, which must not pass for a missing one.
TEST(TarnikRelaySecurityKeyringIntegration, ItemThatIsNotUtf8IsAnInvalidKey) {
  const QString account = freshAccount();
  const auto query = TarnikRelaySecurity::keychainQuery(account);
  ASSERT_TRUE(SecretServiceKeychain::store(query, "not a code", QStringLiteral("test")));
  EXPECT_EQ(TarnikRelaySecurity::loadPairingCode(account), Loaded(QStringLiteral("not a code")));
  for (const QByteArray &bytes :
       {QByteArray("\xff\xfe\xfd"), QByteArray("abc\xc3"), QByteArray("\xed\xa0\x80")}) {
    ASSERT_TRUE(SecretServiceKeychain::store(query, bytes, QStringLiteral("test")));
    EXPECT_EQ(TarnikRelaySecurity::loadPairingCode(account),
              std::unexpected(Failure{Failure::Kind::invalidKey}))
        << bytes.toHex().toStdString();
  }
}

// A locked keyring is not an empty one: a caller told "absent" would make and show a new
// code that cannot be saved, and phones paired with the stored one would stop working.
TEST(TarnikRelaySecurityKeyringIntegration, LockedKeyringIsAnErrorAndKeepsTheCode) {
  const QString account = freshAccount();
  ASSERT_TRUE(TarnikRelaySecurity::storePairingCode(codeOf('d'), account));
  ASSERT_TRUE(testing::lockTestKeyring());

  const Loaded loaded = TarnikRelaySecurity::loadPairingCode(account);
  ASSERT_FALSE(loaded);
  EXPECT_EQ(loaded.error().description(),
            QStringLiteral("The pairing code could not be read from Keychain (3). The keyring "
                           "holding this item is locked."));
  // Nobody can answer the unlock prompt here, so the store fails and writes nothing.
  const auto stored = TarnikRelaySecurity::storePairingCode(codeOf('e'), account);
  ASSERT_FALSE(stored);
  EXPECT_EQ(stored.error().status, 3);

  ASSERT_TRUE(testing::unlockTestKeyring());
  EXPECT_EQ(TarnikRelaySecurity::loadPairingCode(account), Loaded(codeOf('d')));
}

}  // namespace
}  // namespace tarnik
