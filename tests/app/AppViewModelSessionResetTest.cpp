// Session resets, reconnect scheduling and Connect refusals that need no console.

#include "AppViewModelTestSupport.h"
#include "support/QtPrinting.h"

#include <QRandomGenerator>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

using Access = AppViewModelTestAccess;
using SessionReset = AppViewModelTest;

TEST_F(SessionReset, DisconnectEndsTheSessionAndKeepsTheShow) {
  for (const bool started : {false, true}) {
    const auto model = makeModel();
    Access::setShowOnScreen(*model, u"/shows/a.esf"_s, u"A"_s, 1, {Cue{}});
    Access::setConsoleSession(*model, u"LIVE: Chan 12 Flash"_s,
                              AppViewModel::OwnedFlash{12, Access::sessionID(*model)},
                              AppViewModel::PendingPatchWrite{.hasStartedWriting = started});
    const QUuid before = Access::sessionID(*model);
    model->disconnect();

    const QString text = u"Patch confirmation canceled — Offline"_s;
    EXPECT_EQ(model->patchSubmissionState(), started ? PatchSubmissionState::sentUnconfirmed(text)
                                                     : PatchSubmissionState::failed(text));
    EXPECT_EQ(model->softkeyLabels(), QStringList(12));
    EXPECT_EQ(model->rawConsoleCommandLine(), QString());
    EXPECT_EQ(model->syncProgressDescription(), u"Not syncing"_s);
    EXPECT_EQ(model->dataStatusMessage(), u"Offline"_s);
    EXPECT_FALSE(model->isConsoleReachable());
    EXPECT_NE(Access::sessionID(*model), before);
    EXPECT_FALSE(Access::holdsFlash(*model));  // the link was down: nothing to release
    EXPECT_EQ(model->cues().size(), 1);
  }
}

TEST_F(SessionReset, AnAttemptThatStopsEarlyLeavesNothingBehind) {
  const auto model = makeModel();
  Access::setWantsConnection(*model, true);
  model->scheduleReconnect(u"Lost"_s);
  Access::setSuspended(*model, true);
  timing->advance(0.5);
  Access::setSuspended(*model, false);
  model->scheduleReconnect(u"Lost again"_s);
  EXPECT_EQ(model->dataStatusMessage(), u"Lost again — retrying 1/5"_s);
  EXPECT_EQ(timing->pendingDelays(), QList{0.5});
}

TEST_F(SessionReset, AReadyTransportThatRefusesTheSubscribeIsALoss) {
  const auto model = makeModel();
  Access::setWantsConnection(*model, true);
  QStringList statuses;
  QObject::connect(model.get(), &AppViewModel::dataStatusMessageChanged,
                   [&](const QString &text) { statuses.append(text); });
  model->handleTransportStateChange(true);
  const QString loss = u"Could not subscribe on the ready connection — cached data retained"_s;
  EXPECT_EQ(statuses,
            (QStringList{u"Socket open — verifying Eos"_s, loss, loss + u" — retrying 1/5"_s}));
}

TEST_F(SessionReset, ConnectRefusalsChangeNothingButTheStatus) {
  const auto model = makeModel();
  model->setConsoleIP(u" "_s);
  model->connect();
  EXPECT_EQ(model->dataStatusMessage(), u"Enter a console IP address or hostname."_s);

  QByteArray key(32, Qt::Uninitialized);
  QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(key.data()), 8);
  const QString code = QString::fromLatin1(key.toBase64());
  model->setConsoleIP(u"127.0.0.1"_s);
  model->setCustomSendPort(u"9"_s);
  model->setUsesMacRelay(true);
  model->setRelayPairingCode(u"\n "_s + code + u"\t"_s);
  keychainFails = true;
  model->connect();
  EXPECT_EQ(model->dataStatusMessage(), u"Could not save pairing code in Keychain: "_s +
                                            TarnikRelaySecurity::Failure{}.description());
  EXPECT_FALSE(model->wantsConnection());
  EXPECT_FALSE(settings.contains(u"lastConnectedProfile.v1"_s));

  // Accepted: the trimmed code is kept first, and a scheduled attempt gives way.
  keychainFails = false;
  Access::setWantsConnection(*model, true);
  Access::setReconnectAttempt(*model, 3);
  model->scheduleReconnect(u"Lost"_s);
  model->connect();
  EXPECT_EQ(keychain.values(), QStringList{code});
  EXPECT_EQ(model->oscManager()->relayPairingKey, code);
  EXPECT_EQ(Access::reconnectAttempt(*model), 0);
  EXPECT_EQ(timing->pendingDelays(), QList<double>{});
  EXPECT_EQ(model->dataStatusMessage(), u"Connecting…"_s);
  EXPECT_TRUE(settings.contains(u"lastConnectedProfile.v1"_s));
}

TEST_F(SessionReset, OnlyBrowsedServicesBecomeConsoleRows) {
  const auto model = makeModel();
  model->updateDiscoveredConsoles({OSCEndpoint::service(u"Eos A"_s, u"_osc._udp"_s, u"local."_s),
                                   OSCEndpoint::service(u"Eos B"_s, u"_eosx._tcp"_s, u"local."_s),
                                   OSCEndpoint::hostPort(u"10.0.0.1"_s, 8000)});
  ASSERT_EQ(model->discoveredConsoles().size(), 2);
  EXPECT_EQ(model->discoveredConsoles()[0].transport, OSCTransport::udp);
  EXPECT_EQ(model->discoveredConsoles()[1].transport, OSCTransport::tcp);
  EXPECT_EQ(model->discoveredConsoles()[1].name, u"Eos B"_s);
}

}  // namespace
}  // namespace tarnik::testing
