// Session resets, reconnect scheduling and Connect refusals that need no console.

#include "AppViewModelTestSupport.h"
#include "support/QtPrinting.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

using Access = AppViewModelTestAccess;
using SessionReset = AppViewModelTest;

TEST_F(SessionReset, DisconnectEndsTheSessionAndKeepsTheShow) {
  for (const bool started : {false, true}) {
    const auto model = makeModel();
    Access::setShowOnScreen(*model, u"/shows/a.esf"_s, u"A"_s, 1, {Cue{}});
    Access::setConsoleSession(*model, u"LIVE: Chan 12 Flash"_s, {{12, Access::sessionID(*model)}},
                              AppViewModel::PendingPatchWrite{.hasStartedWriting = started});
    const QUuid before = Access::sessionID(*model);
    model->disconnect();
    const QString text = u"Patch confirmation canceled — Offline"_s;
    EXPECT_EQ(model->patchSubmissionState(), started ? PatchSubmissionState::sentUnconfirmed(text)
                                                     : PatchSubmissionState::failed(text));
    EXPECT_EQ(model->softkeyLabels(), QStringList(12));
    EXPECT_EQ(std::tuple(model->syncProgressDescription(), model->dataStatusMessage(),
                         model->isConsoleReachable(), model->cues().size()),
              std::tuple(u"Not syncing"_s, u"Offline"_s, false, 1));
    EXPECT_NE(Access::sessionID(*model), before);
    EXPECT_FALSE(Access::holdsFlash(*model));  // the link was down: forgotten, not sent
  }
}

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
