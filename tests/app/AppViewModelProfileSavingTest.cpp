// Saving, starting and picking connection profiles: the form and the stored list change,
// the running connection never does, and a relay profile never exists without its code.

#include "AppViewModelTestSupport.h"
#include "foundation/JsonCoding.h"
#include "support/EosConsoleDouble.h"
#include "support/QtPrinting.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

QString pairingCode() { return QString::fromLatin1(QByteArray(32, 'p').toBase64()); }

using ProfileSaving = AppViewModelTest;

TEST_F(ProfileSaving, ReplacesTheSelectionOrAppendsAndKeepsARelayCodeFirst) {
  const QString keychainRefused =
      u"Could not save pairing code in Keychain: "_s + TarnikRelaySecurity::Failure{}.description();
  const struct {
    const char *name;
    bool selectFirst;
    bool relay;
    bool keychainRefuses;
    QString host;
    std::optional<QString> refusal;
  } cases[] = {
      {"a new direct profile", false, false, false, u"10.0.0.9"_s, {}},
      {"the selected profile", true, false, false, u"10.0.0.9"_s, {}},
      {"a new relay profile", false, true, false, u"10.0.0.9"_s, {}},
      {"the selected profile as a relay", true, true, false, u"10.0.0.9"_s, {}},
      {"a relay code the keychain refuses", false, true, true, u"10.0.0.9"_s, keychainRefused},
      {"a form without a host", true, true, false, u" "_s,
       u"Enter a console IP address or hostname."_s},
  };
  for (const auto &row : cases) {
    for (const QString &key : settings.allKeys()) settings.remove(key);
    keychain.clear();
    keychainFails = false;
    auto model = makeModel();
    const QList<ConsoleConnectionProfile> before = model->savedConnectionProfiles();
    if (row.selectFirst) model->applyConnectionProfile(before.first());
    model->setConsoleName(u"Desk"_s);
    model->setConsoleIP(row.host);
    model->setUsesMacRelay(row.relay);
    model->setRelayPairingCode(row.relay ? u" "_s + pairingCode() : QString());
    keychainFails = row.keychainRefuses;
    // What the keychain holds at the moment the list changes.
    std::optional<QHash<QString, QString>> keychainAtChange;
    QObject::connect(model.get(), &AppViewModel::savedConnectionProfilesChanged, model.get(),
                     [&] { keychainAtChange = keychain; });
    const QByteArray storedBefore = storedText(u"connectionProfiles.v1"_s);

    model->saveConnectionProfile();
    settleBackgroundWork();

    const QList<ConsoleConnectionProfile> after = model->savedConnectionProfiles();
    if (row.refusal) {
      EXPECT_EQ(model->testConnectionStatus(), *row.refusal) << row.name;
      EXPECT_EQ(after, before) << row.name;
      EXPECT_EQ(storedText(u"connectionProfiles.v1"_s), storedBefore) << row.name;
      EXPECT_FALSE(keychainAtChange) << row.name;
      EXPECT_TRUE(keychain.isEmpty()) << row.name;
      continue;
    }
    ASSERT_EQ(after.size(), before.size() + (row.selectFirst ? 0 : 1)) << row.name;
    const qsizetype at = row.selectFirst ? 0 : after.size() - 1;
    const ConsoleConnectionProfile saved = after.at(at);
    EXPECT_EQ(std::pair(saved.name, saved.host), std::pair(u"Desk"_s, u"10.0.0.9"_s)) << row.name;
    EXPECT_EQ(model->selectedConnectionProfileID(), saved.id) << row.name;
    EXPECT_EQ(after.mid(0, at) + after.mid(at + 1), before.mid(row.selectFirst ? 1 : 0))
        << row.name;
    const QHash<QString, QString> expectedKeychain =
        row.relay
            ? QHash<QString, QString>{{AppViewModel::relayKeyAccount(saved.id), pairingCode()}}
            : QHash<QString, QString>{};
    EXPECT_EQ(keychainAtChange, expectedKeychain) << row.name;
    EXPECT_EQ(
        decodeJsonText<QList<ConsoleConnectionProfile>>(storedText(u"connectionProfiles.v1"_s)),
        after)
        << row.name;
  }
}

// New Connection and the built-in examples only fill the form, with nothing selected, so
// that saving makes a profile of its own; the connection the user has stays up.
TEST_F(ProfileSaving, NewConnectionAndTheExamplesFillOnlyTheForm) {
  EosConsoleDouble console;
  auto model = makeModel();
  model->setConsoleIP(u"127.0.0.1"_s);
  model->setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::packetLength)));
  model->connect();
  ASSERT_TRUE(waitUntil([&] { return model->oscManager()->isConnected(); }));
  const std::optional<ConsoleConnectionProfile> active = model->activeConnectionSettings();
  const QList<ConsoleConnectionProfile> examples = AppViewModel::builtInConnectionProfiles();

  model->applyConnectionProfile(examples.first());
  model->setUsesMacRelay(true);
  model->setRelayPairingCode(pairingCode());
  model->startNewConnection();
  EXPECT_EQ(std::tuple(model->consoleName(), model->consoleIP(), model->connectionTransport(),
                       model->tcpFraming(), model->customSendPort(), model->customListenPort(),
                       model->usesMacRelay(), model->relayPairingCode()),
            std::tuple(QString(), QString(), OSCTransport::tcp, OSCTCPFraming::slip, u"3037"_s,
                       u"8001"_s, false, QString()));
  EXPECT_EQ(model->selectedConnectionProfileID(), std::nullopt);

  for (const auto which :
       {AppViewModel::BuiltInProfile::first, AppViewModel::BuiltInProfile::second}) {
    const ConsoleConnectionProfile &example =
        examples.at(which == AppViewModel::BuiltInProfile::first ? 0 : 1);
    model->applyBuiltInProfile(which);
    EXPECT_EQ(std::pair(model->consoleName(), model->consoleIP()),
              std::pair(example.name, example.host));
    EXPECT_EQ(model->selectedConnectionProfileID(), std::nullopt);
  }
  EXPECT_TRUE(model->oscManager()->isConnected());
  EXPECT_TRUE(model->wantsConnection());
  EXPECT_EQ(model->activeConnectionSettings(), active);
}

TEST_F(ProfileSaving, PickingADirectProfileAfterARelayOneEmptiesTheCode) {
  ConsoleConnectionProfile relay = AppViewModel::builtInConnectionProfiles().first();
  relay.id = QUuid::createUuid();
  relay.usesMacRelay = true;
  keychain.insert(AppViewModel::relayKeyAccount(relay.id), pairingCode());
  const ConsoleConnectionProfile direct = AppViewModel::builtInConnectionProfiles().last();
  auto model = makeModel();

  model->applyConnectionProfile(relay);
  settleBackgroundWork();
  EXPECT_TRUE(model->usesMacRelay());
  EXPECT_EQ(model->relayPairingCode(), pairingCode());
  model->applyConnectionProfile(direct);
  EXPECT_FALSE(model->usesMacRelay());
  EXPECT_EQ(model->relayPairingCode(), QString());
  EXPECT_EQ(model->selectedConnectionProfileID(), direct.id);
}

}  // namespace
}  // namespace tarnik::testing
