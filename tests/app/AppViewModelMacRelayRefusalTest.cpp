// Pairing with a relay that cannot go ahead: a code of the wrong length, an endpoint that
// is no relay, a keychain that refuses the code. The user's running connection, profiles,
// keychain and stored settings stay exactly as they were.

#include "AppViewModelTestSupport.h"
#include "support/EosConsoleDouble.h"
#include "support/QtPrinting.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

QString codeOf(int bytes) { return QString::fromLatin1(QByteArray(bytes, '\x2a').toBase64()); }

TarnikRelayDiscovery::Relay relayAt(OSCEndpoint endpoint) {
  return {u"Stage Mac"_s, std::move(endpoint)};
}

using MacRelayRefusals = AppViewModelTest;

TEST_F(MacRelayRefusals, LeaveTheRunningConnectionAndEverythingStoredAlone) {
  const QString paste = u"Paste the Mac pairing code before connecting."_s;
  const QString select = u"Select a nearby Tarnik Mac relay."_s;
  const OSCEndpoint relay =
      OSCEndpoint::service(u"Stage Mac"_s, u"_tarnik-relay._tcp"_s, u"local."_s);
  const struct {
    const char *name;
    QString code;
    OSCEndpoint endpoint;
    bool keychainRefuses;
    QString status;
  } cases[] = {
      {"31 bytes", codeOf(31), relay, false, paste},
      {"33 bytes", codeOf(33), relay, false, paste},
      {"not base64", codeOf(32).replace(0, 1, u'*'), relay, false, paste},
      {"another service type", codeOf(32),
       OSCEndpoint::service(u"Stage Mac"_s, u"_osc._tcp"_s, u"local."_s), false, select},
      {"a host and port", codeOf(32), OSCEndpoint::hostPort(u"127.0.0.1"_s, 9443), false, select},
      {"keychain refuses", codeOf(32), relay, true,
       u"Could not pair with this Mac: "_s + TarnikRelaySecurity::Failure{}.description()},
  };
  EosConsoleDouble console;
  auto model = makeModel();
  model->setConsoleIP(u"127.0.0.1"_s);
  model->setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::packetLength)));
  model->connect();
  ASSERT_TRUE(waitUntil([&] { return model->oscManager()->isConnected(); }));
  const auto everything = [&] {
    return std::tuple(model->savedConnectionProfiles(), model->selectedConnectionProfileID(),
                      model->activeConnectionSettings(), model->oscManager()->relayPairingKey,
                      keychain, storedKeys(), storedText(u"lastConnectedProfile.v1"_s),
                      model->usesMacRelay(), model->consoleIP());
  };
  const auto before = everything();
  for (const auto &row : cases) {
    keychainFails = row.keychainRefuses;
    model->setRelayPairingCode(row.code);
    model->connectToMacRelay(relayAt(row.endpoint));
    // The keychain answers later; a refusal of the code or the endpoint at once.
    EXPECT_TRUE(waitUntil([&] { return model->dataStatusMessage() == row.status; }))
        << row.name << ": " << model->dataStatusMessage().toStdString();
    EXPECT_TRUE(everything() == before) << row.name;
    EXPECT_TRUE(model->oscManager()->isConnected()) << row.name;
    EXPECT_TRUE(model->wantsConnection()) << row.name;
  }
}

}  // namespace
}  // namespace tarnik::testing
