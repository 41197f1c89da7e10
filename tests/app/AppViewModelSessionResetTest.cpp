// Connect refusals that need no console, and the session a refused Connect keeps.

#include "AppViewModelTestSupport.h"
#include "support/QtPrinting.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

using SessionReset = AppViewModelTest;

TEST_F(SessionReset, ConnectRefusalsChangeNothingButTheStatus) {
  const auto model = makeModel();
  model->connect();
  EXPECT_EQ(model->dataStatusMessage(), u"Enter a console IP address or hostname."_s);
  EXPECT_FALSE(model->wantsConnection());

  const QString code = QString::fromLatin1(QByteArray(32, 'k').toBase64());
  model->setConsoleIP(u"127.0.0.1"_s);
  model->setCustomSendPort(u"9"_s);
  model->setUsesMacRelay(true);
  model->setRelayPairingCode(u"\n "_s + code + u"\t"_s);
  keychainFails = true;
  model->connect();
  settleBackgroundWork();
  EXPECT_EQ(model->dataStatusMessage(), u"Could not save pairing code in Keychain: "_s +
                                            TarnikRelaySecurity::Failure{}.description());
  EXPECT_FALSE(model->wantsConnection() || settings.contains(u"lastConnectedProfile.v1"_s));

  // Accepted: the trimmed code is kept first, and a scheduled attempt gives way.
  keychainFails = false;
  model->setUsesMacRelay(false);  // a direct connection retrying after its first attempt
  model->connect();
  model->scheduleReconnect(u"Lost"_s);
  timing->advance(0.5);
  model->scheduleReconnect(u"Lost"_s);
  ASSERT_EQ(model->supervisor().reconnectAttempt(), 1);
  model->setUsesMacRelay(true);
  model->connect();
  settleBackgroundWork();
  EXPECT_EQ(keychain.values(), QStringList{code});
  EXPECT_EQ(model->oscManager()->relayPairingKey, code);
  EXPECT_EQ(model->supervisor().reconnectAttempt(), 0);
  EXPECT_FALSE(model->supervisor().isReconnectScheduled());
  EXPECT_TRUE(settings.contains(u"lastConnectedProfile.v1"_s));
}

TEST_F(SessionReset, OnlyBrowsedServicesBecomeConsoleRows) {
  const auto model = makeModel();
  model->updateDiscoveredConsoles({OSCEndpoint::service(u"A"_s, u"_osc._udp"_s, u"local."_s),
                                   OSCEndpoint::service(u"B"_s, u"_eosx._tcp"_s, u"local."_s),
                                   OSCEndpoint::hostPort(u"10.0.0.1"_s, 8000)});
  QList<std::pair<QString, OSCTransport>> rows;
  for (const auto &row : model->discoveredConsoles()) rows.append({row.name, row.transport});
  EXPECT_EQ(rows, (QList<std::pair<QString, OSCTransport>>{{u"A"_s, OSCTransport::udp},
                                                           {u"B"_s, OSCTransport::tcp}}));
}

}  // namespace
}  // namespace tarnik::testing
