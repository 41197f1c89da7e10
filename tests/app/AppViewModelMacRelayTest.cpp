#include "AppViewModelTestSupport.h"
#include "foundation/JsonCoding.h"
#include "support/QtPrinting.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

QString codeOfLength(int bytes) {
  return QString::fromLatin1(QByteArray(bytes, '\x2a').toBase64());
}

TarnikRelayDiscovery::Relay relayIn(const QString &domain,
                                    const QString &type = u"_tarnik-relay._tcp"_s) {
  return {u"Stage Mac"_s, OSCEndpoint::service(u"Stage Mac"_s, type, domain)};
}

using MacRelay = AppViewModelTest;

TEST_F(MacRelay, ABadCodeARelayOfAnotherKindOrARefusingKeychainChangeNothing) {
  struct Case {
    QString code;
    TarnikRelayDiscovery::Relay relay;
    bool keychainRefuses;
    QString status;
  };
  const QString paste = u"Paste the Mac pairing code before connecting."_s;
  for (const Case &c :
       {Case{codeOfLength(31), relayIn(u"local."_s), false, paste},
        Case{codeOfLength(33), relayIn(u"local."_s), false, paste},
        Case{u"not base64!"_s, relayIn(u"local."_s), false, paste},
        Case{codeOfLength(32), relayIn(u"local."_s, u"_osc._tcp"_s), false,
             u"Select a nearby Tarnik Mac relay."_s},
        Case{codeOfLength(32),
             {u"Desk"_s, OSCEndpoint::hostPort(u"127.0.0.1"_s, 9443)},
             false,
             u"Select a nearby Tarnik Mac relay."_s},
        Case{codeOfLength(32), relayIn(u"local."_s), true, u"Could not pair with this Mac: "_s}}) {
    auto model = makeModel();
    const auto profiles = model->savedConnectionProfiles();
    keychainFails = c.keychainRefuses;
    model->setRelayPairingCode(c.code);
    model->connectToMacRelay(c.relay);
    EXPECT_TRUE(model->dataStatusMessage().startsWith(c.status)) << c.status.toStdString();
    EXPECT_EQ(model->savedConnectionProfiles(), profiles);
    EXPECT_FALSE(model->wantsConnection());
    EXPECT_FALSE(settings.contains(u"lastConnectedProfile.v1"_s));
  }
}

TEST_F(MacRelay, PairingKeepsOneProfilePerServiceAndConnectsThroughIt) {
  auto model = makeModel();
  const qsizetype before = model->savedConnectionProfiles().size();
  const QString code = codeOfLength(32);
  model->setRelayPairingCode(u"  "_s + code + u" \n"_s);
  model->connectToMacRelay(relayIn(u"local."_s));
  model->connectToMacRelay(relayIn(u"local."_s));
  ASSERT_EQ(model->savedConnectionProfiles().size(), before + 1);
  const ConsoleConnectionProfile saved = model->savedConnectionProfiles().last();
  EXPECT_EQ(keychain, (QHash<QString, QString>{{AppViewModel::relayKeyAccount(saved.id), code}}));
  EXPECT_EQ(model->selectedConnectionProfileID(), saved.id);
  EXPECT_EQ(model->relayPairingCode(), code);
  EXPECT_TRUE(model->usesMacRelay());
  EXPECT_TRUE(model->wantsConnection());
  EXPECT_EQ(model->oscManager()->relayPairingKey, code);

  const auto last =
      decodeJsonText<ConsoleConnectionProfile>(storedText(u"lastConnectedProfile.v1"_s));
  ASSERT_TRUE(last);
  EXPECT_EQ(*last, saved);
  EXPECT_EQ(std::tuple(last->host, last->destinationPort, last->relayService->domain),
            std::tuple(u"nearby"_s, quint16(9443), u"local."_s));

  model->connectToMacRelay(relayIn(u"example.org."_s));
  EXPECT_EQ(model->savedConnectionProfiles().size(), before + 2);
}

}  // namespace
}  // namespace tarnik::testing
