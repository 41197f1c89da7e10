// Each cause of a keychain failure needs a session bus of its own making, and GLib keeps the
// first session bus a process reaches for the rest of its life. So each row runs this
// program again, in the surroundings the row names, with only the probe selected, and reads
// back the numbers and texts the probe prints.
#include "platform/SecretServiceKeychain.h"
#include "support/ProcessRunner.h"
#include "support/QtTestApplication.h"
#include "support/TestKeyring.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

using Cause = SecretServiceKeychain::Cause;

const SecretServiceKeychain::Query probeQuery{QStringLiteral("tarnik.test.keychain"),
                                              QStringLiteral("probe")};

void print(const char *operation, const SecretServiceKeychain::Error &error) {
  std::printf("PROBE %s %d %s\n", operation, error.status(), error.message.toUtf8().constData());
}

// Not a test of its own, so no slice selects it: the rows below start it. With
// TARNIK_KEYCHAIN_PROBE=locked it first stores an item and locks the keyring (inside
// with-keyring.sh).
TEST(SecretServiceKeychainCauseProbeIntegration, PrintsWhatLoadAndStoreReport) {
  const QByteArray mode = qgetenv("TARNIK_KEYCHAIN_PROBE");
  if (mode.isEmpty()) GTEST_SKIP() << "run by SecretServiceKeychainCauses";
  if (mode == "locked") {
    ASSERT_TRUE(SecretServiceKeychain::store(probeQuery, "kept", QStringLiteral("probe")));
    ASSERT_TRUE(testing::lockTestKeyring());
  }
  const auto loaded = SecretServiceKeychain::load(probeQuery);
  ASSERT_FALSE(loaded) << "load succeeded";
  print("load", loaded.error());
  const auto stored = SecretServiceKeychain::store(probeQuery, "new", QStringLiteral("probe"));
  ASSERT_FALSE(stored) << "store succeeded";
  print("store", stored.error());
  std::fflush(stdout);
}

TEST(SecretServiceKeychainCausesIntegration, EachCauseHasItsOwnNumberAndTheServicesWords) {
  const QString support =
      qEnvironmentVariable("TARNIK_SOURCE_DIR") + QStringLiteral("/tests/support/");
  testing::ensureCoreApplication();
  const QString self = QCoreApplication::applicationFilePath();
  QTemporaryDir nowhere;
  ASSERT_TRUE(nowhere.isValid());
  const struct {
    const char *why;
    QStringList launch;  // put before this program
    QString mode;
    Cause cause;
    QString loadWords;   // part of what load reports
    QString storeWords;  // part of what store reports
  } rows[] = {
      {"no session bus",
       {QStringLiteral("DBUS_SESSION_BUS_ADDRESS=unix:path=") + nowhere.filePath("bus")},
       QStringLiteral("plain"),
       Cause::noSessionBus,
       QStringLiteral("No such file or directory"),
       QStringLiteral("No such file or directory")},
      {"a bus without a Secret Service",
       {support + QStringLiteral("without-secret-service.sh")},
       QStringLiteral("plain"),
       Cause::noSecretService,
       QStringLiteral("org.freedesktop.secrets"),
       QStringLiteral("org.freedesktop.secrets")},
      {"a locked collection",
       {support + QStringLiteral("with-keyring.sh")},
       QStringLiteral("locked"),
       Cause::locked,
       QStringLiteral("The keyring holding this item is locked."),
       QStringLiteral("locked collection")},
  };
  for (const auto &row : rows) {
    // env sets the probe's mode (and a row's own variables) whatever launches the program.
    QStringList arguments{QStringLiteral("TARNIK_KEYCHAIN_PROBE=") + row.mode};
    arguments << row.launch << self
              << QStringLiteral("--gtest_filter=SecretServiceKeychainCauseProbeIntegration.*");
    const auto result =
        ProcessRunner::run(QStringLiteral("env"), arguments, std::chrono::seconds(60));
    ASSERT_TRUE(result) << row.why << ": the probe did not end";
    EXPECT_EQ(result->exitCode, 0)
        << row.why << "\n"
        << result->standardOutput.toStdString() << result->standardError.toStdString();
    const QString number = QString::number(static_cast<int>(row.cause));
    const QString output = QString::fromUtf8(result->standardOutput);
    const auto reportOf = [&](const QString &operation) {
      for (const QString &line : output.split(u'\n')) {
        if (line.startsWith(QStringLiteral("PROBE ") + operation + u' ')) {
          return line.mid(7 + operation.size());
        }
      }
      return QString();
    };
    const QString load = reportOf(QStringLiteral("load"));
    const QString store = reportOf(QStringLiteral("store"));
    EXPECT_TRUE(load.startsWith(number + u' ')) << row.why << ": " << load.toStdString();
    EXPECT_TRUE(load.contains(row.loadWords)) << row.why << ": " << load.toStdString();
    EXPECT_TRUE(store.startsWith(number + u' ')) << row.why << ": " << store.toStdString();
    EXPECT_TRUE(store.contains(row.storeWords)) << row.why << ": " << store.toStdString();
  }
}

}  // namespace
}  // namespace tarnik
