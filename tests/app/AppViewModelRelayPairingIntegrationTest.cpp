// Pairing with a relay for real: a relay server in front of the console double, announced
// by the private Avahi daemon and found by relay discovery, its code kept in a throwaway
// keyring. Runs inside tests/support/with-avahi-and-keyring.sh.

#include "app/AppViewModel.h"
#include "foundation/JsonCoding.h"
#include "foundation/ReferenceDate.h"
#include "foundation/UptimeClock.h"
#include "link/TarnikRelayServer.h"
#include "support/BackgroundWorkSettling.h"
#include "support/EosConsoleDouble.h"
#include "support/ManualAppTiming.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"
#include "support/TestKeyring.h"

#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

constexpr int networkWait = 20000;  // milliseconds: mDNS announcements take a few seconds

class AppViewModelRelayPairingIntegration : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureCoreApplication();
    // The relay's own code, as its page keeps it; the user pastes it on this side.
    const auto made = TarnikRelaySecurity::makePairingCode();
    ASSERT_TRUE(made);
    ASSERT_TRUE(TarnikRelaySecurity::storePairingCode(*made, u"server"_s));
    const auto loaded = TarnikRelaySecurity::loadPairingCode(u"server"_s);
    ASSERT_TRUE(loaded && *loaded);
    code = **loaded;
    relay.start(OSCEndpoint::hostPort(u"127.0.0.1"_s, console.tcpPort(OSCTCPFraming::packetLength)),
                0, code);
    ASSERT_TRUE(waitUntil([&] { return relay.isRunning(); }));
    discovery.start();
    ASSERT_TRUE(waitUntil([&] { return found().has_value(); }, networkWait))
        << discovery.status().toStdString();
  }

  std::optional<TarnikRelayDiscovery::Relay> found() const {
    const QString name = u"Tarnik on "_s + QSysInfo::machineHostName();
    for (const TarnikRelayDiscovery::Relay &candidate : discovery.relays()) {
      if (candidate.name == name) return candidate;
    }
    return std::nullopt;
  }

  // Networking on, as the application starts it; the real keychain; virtual time on the
  // monotonic clock the connection stamps its pings with.
  std::unique_ptr<AppViewModel> makeModel() {
    AppViewModel::Arguments arguments{.defaults = &settings};
    arguments.timing = timing;
    return std::make_unique<AppViewModel>(std::move(arguments));
  }

  bool syncedThroughTheRelay(const AppViewModel &model) {
    return waitUntil(
        [&] {
          return model.dataStatusMessage() == "Synced"_L1 &&
                 model.oscManager()->verifiedSoftwareVersion() == console.softwareVersion;
        },
        networkWait);
  }

  static int keychainItems(const std::optional<QString> &account = std::nullopt) {
    QHash<QString, QString> attributes{
        {u"service"_s, QString::fromLatin1(TarnikRelaySecurity::serviceName)}};
    if (account) attributes.insert(u"account"_s, *account);
    return testKeyringItemCount(attributes);
  }

  QTemporaryDir folder;
  SettingsStore settings{folder.filePath(u"settings.ini"_s)};
  std::shared_ptr<ManualAppTiming> timing =
      std::make_shared<ManualAppTiming>(systemUptime(), referenceSecondsNow());
  EosConsoleDouble console;
  TarnikRelayServer relay;
  TarnikRelayDiscovery discovery;
  QString code;
};

TEST_F(AppViewModelRelayPairingIntegration, PairsSyncsAndComesBackThroughTheSameRoute) {
  const TarnikRelayDiscovery::Relay nearby = *found();
  const OSCEndpoint::Service &service = *nearby.endpoint.asService();
  auto model = makeModel();
  model->setRelayPairingCode(code);
  model->connectToMacRelay(nearby);
  ASSERT_TRUE(syncedThroughTheRelay(*model)) << model->dataStatusMessage().toStdString();

  const auto last = decodeJsonText<ConsoleConnectionProfile>(
      settings.value(AppViewModel::lastConnectedProfileKey).toString().toUtf8());
  ASSERT_TRUE(last && last->relayService);
  EXPECT_EQ(std::tuple(last->host, last->destinationPort, last->relayService->name,
                       last->relayService->type, last->relayService->domain),
            std::tuple(u"nearby"_s, quint16(9443), service.name, service.type, service.domain));

  // Pairing again keeps one profile, and one keychain item, for this relay.
  const qsizetype profiles = model->savedConnectionProfiles().size();
  model->connectToMacRelay(nearby);
  settleBackgroundWork();
  ASSERT_TRUE(syncedThroughTheRelay(*model));
  EXPECT_EQ(model->savedConnectionProfiles().size(), profiles);
  const QString account = AppViewModel::relayKeyAccount(last->id);
  EXPECT_EQ(keychainItems(account), 1);
  EXPECT_EQ(keychainItems(), 2);  // the relay's own code and ours
  const auto kept = TarnikRelaySecurity::loadPairingCode(account);
  EXPECT_TRUE(kept && *kept == code);

  // A keychain that refuses: nothing else changes and the connection stays up.
  ASSERT_TRUE(lockTestKeyring());
  model->connectToMacRelay(nearby);
  settleBackgroundWork();
  EXPECT_TRUE(model->dataStatusMessage().startsWith(u"Could not pair with this Mac: "_s))
      << model->dataStatusMessage().toStdString();
  ASSERT_TRUE(unlockTestKeyring());
  EXPECT_EQ(model->savedConnectionProfiles().size(), profiles);
  EXPECT_TRUE(model->oscManager()->isConnected());

  // The next start goes the same way, its code read from the keychain.
  model.reset();
  auto restarted = makeModel();
  settleBackgroundWork();
  ASSERT_TRUE(restarted->activeConnectionSettings());
  EXPECT_EQ(restarted->activeConnectionSettings()->relayService, last->relayService);
  EXPECT_EQ(restarted->oscManager()->relayPairingKey, code);
  EXPECT_TRUE(syncedThroughTheRelay(*restarted)) << restarted->dataStatusMessage().toStdString();
}

TEST_F(AppViewModelRelayPairingIntegration, AWrongCodeFailsTheHandshakeAndIsRetried) {
  const auto wrong = TarnikRelaySecurity::makePairingCode();
  ASSERT_TRUE(wrong && *wrong != code);
  auto model = makeModel();
  model->setRelayPairingCode(*wrong);
  model->connectToMacRelay(*found());
  ASSERT_TRUE(waitUntil([&] { return model->dataStatusMessage().endsWith(u" — retrying 1/5"_s); },
                        networkWait))
      << model->dataStatusMessage().toStdString();
  EXPECT_FALSE(model->oscManager()->isConnected());
  timing->advance(0.5);
  EXPECT_TRUE(waitUntil([&] { return model->dataStatusMessage().endsWith(u" — retrying 2/5"_s); },
                        networkWait))
      << model->dataStatusMessage().toStdString();
  EXPECT_FALSE(model->oscManager()->verifiedSoftwareVersion());
}

}  // namespace
}  // namespace tarnik::testing
