#include "AppViewModelTestSupport.h"
#include "foundation/JsonCoding.h"
#include "support/QtPrinting.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

ConsoleConnectionProfile profileNamed(const QString &name, const QString &host) {
  ConsoleConnectionProfile profile;
  profile.id = QUuid::createUuid();
  profile.name = name;
  profile.host = host;
  profile.destinationPort = 3032;
  profile.udpListenPort = 8001;
  return profile;
}

using Profiles = AppViewModelTest;

TEST_F(Profiles, StartUpRestoresOnlyAStoredProfileThatReadsAndValidates) {
  const QByteArray blankHost = encodeJsonText(profileNamed(u"Desk"_s, u"  "_s));
  for (const std::optional<QByteArray> &stored :
       {std::optional<QByteArray>(), std::optional<QByteArray>("{not json"),
        std::optional<QByteArray>(blankHost)}) {
    settings.clear();
    if (stored) settings.setValue(u"lastConnectedProfile.v1"_s, QString::fromUtf8(*stored));
    auto model = makeModel();
    AppViewModelTestAccess::restoreLastConnectedProfile(*model);
    EXPECT_FALSE(model->wantsConnection());
    EXPECT_EQ(model->dataStatusMessage(), u"Not synced yet"_s);
    EXPECT_EQ(storedText(u"lastConnectedProfile.v1"_s), stored.value_or(QByteArray()));
  }

  const ConsoleConnectionProfile last = profileNamed(u" Desk "_s, u"127.0.0.1"_s);
  settings.setValue(u"lastConnectedProfile.v1"_s, QString::fromUtf8(encodeJsonText(last)));
  auto model = makeModel();
  AppViewModelTestAccess::restoreLastConnectedProfile(*model);
  EXPECT_TRUE(model->wantsConnection());
  EXPECT_EQ(model->consoleName(), u"Desk"_s);
  EXPECT_EQ(model->selectedConnectionProfileID(), last.id);
  EXPECT_EQ(model->dataStatusMessage(), u"Connecting…"_s);
}

TEST_F(Profiles, SaveReplacesTheSelectedProfileInPlaceOrAppendsANewOne) {
  auto model = makeModel();
  const QList<ConsoleConnectionProfile> before = model->savedConnectionProfiles();
  model->applyConnectionProfile(before.first());
  model->setConsoleName(u"Renamed"_s);
  model->saveConnectionProfile();
  ASSERT_EQ(model->savedConnectionProfiles().size(), before.size());
  EXPECT_EQ(model->savedConnectionProfiles().first().name, u"Renamed"_s);
  EXPECT_EQ(model->savedConnectionProfiles().first().id, before.first().id);

  model->startNewConnection();
  model->setConsoleIP(u"127.0.0.1"_s);
  model->setConsoleName(u"New"_s);
  model->saveConnectionProfile();
  ASSERT_EQ(model->savedConnectionProfiles().size(), before.size() + 1);
  EXPECT_EQ(model->savedConnectionProfiles().last().name, u"New"_s);
  EXPECT_EQ(model->selectedConnectionProfileID(), model->savedConnectionProfiles().last().id);
  EXPECT_EQ(storedText(u"connectionProfiles.v1"_s),
            encodeJsonText(model->savedConnectionProfiles()));
  EXPECT_TRUE(keychain.isEmpty());
}

TEST_F(Profiles, ARelayProfileKeepsItsTrimmedCodeAndARefusedCodeSavesNothing) {
  auto model = makeModel();
  const QList<ConsoleConnectionProfile> before = model->savedConnectionProfiles();
  model->setConsoleIP(u"127.0.0.1"_s);
  model->setUsesMacRelay(true);
  const QString code = QString::fromLatin1(QByteArray(32, '\x07').toBase64());
  model->setRelayPairingCode(u"  "_s + code + u"\n"_s);
  keychainFails = true;
  model->saveConnectionProfile();
  EXPECT_TRUE(
      model->testConnectionStatus().startsWith(u"Could not save pairing code in Keychain: "_s));
  EXPECT_EQ(model->savedConnectionProfiles(), before);

  keychainFails = false;
  model->saveConnectionProfile();
  const QUuid id = model->savedConnectionProfiles().last().id;
  EXPECT_EQ(keychain.value(AppViewModel::relayKeyAccount(id)), code);

  // Picking the relay profile reads its code back; a direct one empties the field.
  model->setRelayPairingCode(QString());
  model->applyConnectionProfile(model->savedConnectionProfiles().last());
  EXPECT_EQ(model->relayPairingCode(), code);
  keychain.clear();
  model->applyConnectionProfile(model->savedConnectionProfiles().last());
  EXPECT_EQ(model->relayPairingCode(), QString());
  model->applyConnectionProfile(before.first());
  EXPECT_FALSE(model->usesMacRelay());

  model->setConsoleIP(QString());
  model->saveConnectionProfile();
  EXPECT_EQ(model->testConnectionStatus(), u"Enter a console IP address or hostname."_s);
}

TEST_F(Profiles, NewConnectionAndExamplesChangeOnlyTheFormAndLeaveNothingSelected) {
  auto model = makeModel();
  model->applyBuiltInProfile(AppViewModel::BuiltInProfile::second);
  EXPECT_EQ(model->consoleIP(), AppViewModel::builtInConnectionProfiles().at(1).host);
  EXPECT_EQ(model->selectedConnectionProfileID(), std::nullopt);
  EXPECT_FALSE(settings.contains(u"selectedConnectionProfileID"_s));

  AppViewModelTestAccess::setWantsConnection(*model, true);
  model->startNewConnection();
  EXPECT_EQ(QStringList({model->consoleName(), model->consoleIP(), model->customSendPort(),
                         model->customListenPort(), model->relayPairingCode()}),
            QStringList({{}, {}, u"3037"_s, u"8001"_s, {}}));
  EXPECT_EQ(model->tcpFraming(), OSCTCPFraming::slip);
  EXPECT_TRUE(model->wantsConnection());
}

TEST_F(Profiles, ADiscoveredConsoleReadsThePortFieldsStrictly) {
  struct Case {
    OSCTransport transport;
    QString sendPort, listenPort, refusal;
  };
  const QString badSend = u"Destination port must be 1–65535."_s;
  const QString badListen = u"UDP listen port must be 1–65535."_s;
  for (const Case &c : {Case{OSCTransport::tcp, u"-1"_s, u"8001"_s, badSend},
                        Case{OSCTransport::tcp, u"65536"_s, u"8001"_s, badSend},
                        Case{OSCTransport::udp, u"3032"_s, u"0"_s, badListen},
                        Case{OSCTransport::tcp, u"+3032"_s, u"0"_s, {}}}) {
    settings.setValue(u"lastConnectedProfile.v1"_s, u"kept"_s);
    auto model = makeModel();
    model->setCustomSendPort(c.sendPort);
    model->setCustomListenPort(c.listenPort);
    const AppViewModel::DiscoveredConsole console{
        QUuid::createUuid(), u"Desk"_s, OSCEndpoint::hostPort(u"127.0.0.1"_s, 9), c.transport};
    model->connectToDiscoveredConsole(console);
    if (!c.refusal.isEmpty()) {
      EXPECT_EQ(model->dataStatusMessage(), c.refusal);
      EXPECT_FALSE(model->wantsConnection());
      EXPECT_TRUE(settings.contains(u"lastConnectedProfile.v1"_s));
      continue;
    }
    EXPECT_TRUE(model->wantsConnection());
    EXPECT_FALSE(settings.contains(u"lastConnectedProfile.v1"_s));
    ASSERT_TRUE(model->activeConnectionSettings());
    EXPECT_EQ(model->activeConnectionSettings()->destinationPort, 3032);
    EXPECT_EQ(model->activeConnectionSettings()->udpListenPort, 0);
    EXPECT_EQ(model->activeConsoleEndpoint(), console.endpoint);
  }
}

}  // namespace
}  // namespace tarnik::testing
