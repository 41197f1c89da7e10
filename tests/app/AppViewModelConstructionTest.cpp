#include "AppViewModelTestSupport.h"
#include "foundation/UuidText.h"

#include <QAbstractSocket>
#include <QCoreApplication>

#include <limits>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

using Construction = AppViewModelTest;

// "key=value;key=value", as earlier versions stored them.
void store(SettingsStore &settings, const QString &entries) {
  for (const QString &entry : entries.split(u';', Qt::SkipEmptyParts)) {
    const qsizetype equals = entry.indexOf(u'=');
    settings.setValue(entry.first(equals), entry.sliced(equals + 1));
  }
}

TEST_F(Construction, EmptySettingsGiveTheDefaultFormAndStoreOnlyTheExamples) {
  const auto model = makeModel();

  EXPECT_EQ(model->connectionTransport(), OSCTransport::tcp);
  EXPECT_EQ(model->tcpFraming(), OSCTCPFraming::packetLength);
  EXPECT_EQ(std::pair(model->customSendPort(), model->customListenPort()),
            std::pair(u"3032"_s, u"8001"_s));
  EXPECT_EQ(model->interactionMode(), InteractionMode::editor);
  EXPECT_EQ(model->selectedConnectionProfileID(), std::nullopt);
  EXPECT_EQ(model->savedConnectionProfiles(), AppViewModel::builtInConnectionProfiles());

  EXPECT_EQ(storedKeys(), QStringList{u"connectionProfiles.v1"_s});
  const QByteArray stored = storedText(u"connectionProfiles.v1"_s);
  EXPECT_TRUE(stored.contains("\"C4A811E0-0000-4000-8000-000000000002\"")) << stored.data();
  EXPECT_EQ(decodeJsonText<QList<ConsoleConnectionProfile>>(stored),
            AppViewModel::builtInConnectionProfiles());
}

// The one console of earlier versions becomes the first profile, selected and restored at
// the next start; its ports follow the defaults of those versions.
TEST_F(Construction, OlderSingleConsoleSettingsAreCarriedOver) {
  const struct {
    QString stored;
    OSCTransport transport;
    QString sendPort;
    QString carriedName;  // empty: nothing carried over
    bool restored = true;
  } rows[] = {
      {u"consoleIP=10.0.0.5;useAdvancedPorts=true;customSendPort=8000"_s, OSCTransport::udp,
       u"8000"_s, u"10.0.0.5"_s},
      {u"consoleIP=10.0.0.5;consoleName=Booth;useAdvancedPorts=true"_s, OSCTransport::udp,
       u"8000"_s, u"Booth"_s},
      {u"consoleIP=10.0.0.5;connectionTransport=tcp;tcpFraming=slip"_s, OSCTransport::tcp,
       u"3037"_s, u"10.0.0.5"_s},
      // Without chosen ports the console listened on 3032, whatever else was stored.
      {u"consoleIP=10.0.0.5;customSendPort=9000;tcpFraming=slip"_s, OSCTransport::tcp, u"3032"_s,
       u"10.0.0.5"_s},
      {u"consoleIP=10.0.0.5;connectionTransport=serial"_s, OSCTransport::tcp, u"3032"_s,
       u"10.0.0.5"_s},
      {u"consoleIP= \n;useAdvancedPorts=true"_s, OSCTransport::udp, u"8000"_s, {}},
      {u"consoleIP=10.0.0.5;useAdvancedPorts=true;customSendPort=0"_s,
       OSCTransport::udp,
       u"0"_s,
       {}},
      {u"consoleIP=10.0.0.5;useAdvancedPorts=true;customListenPort=0"_s, OSCTransport::udp,
       u"8000"_s, u"10.0.0.5"_s, false},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.stored.toStdString());
    for (const QString &key : settings.allKeys()) settings.remove(key);
    store(settings, row.stored);

    const auto model = makeModel();

    EXPECT_EQ(model->connectionTransport(), row.transport);
    EXPECT_EQ(model->customSendPort(), row.sendPort);
    const QList<ConsoleConnectionProfile> profiles = model->savedConnectionProfiles();
    EXPECT_EQ(
        decodeJsonText<QList<ConsoleConnectionProfile>>(storedText(u"connectionProfiles.v1"_s)),
        profiles);
    std::optional<ConsoleConnectionProfile> lastConnected;
    if (auto stored =
            decodeJsonText<ConsoleConnectionProfile>(storedText(u"lastConnectedProfile.v1"_s)))
      lastConnected = *stored;
    if (row.carriedName.isEmpty()) {
      EXPECT_EQ(profiles, AppViewModel::builtInConnectionProfiles());
      EXPECT_EQ(model->selectedConnectionProfileID(), std::nullopt);
      EXPECT_EQ(lastConnected, std::nullopt);
      continue;
    }
    ASSERT_EQ(profiles.size(), 3);
    EXPECT_EQ(profiles.front().name, row.carriedName);
    EXPECT_EQ(QString::number(profiles.front().destinationPort), row.sendPort);
    EXPECT_EQ(model->selectedConnectionProfileID(), profiles.front().id);
    EXPECT_EQ(storedText(u"selectedConnectionProfileID"_s), uuidText(profiles.front().id));
    EXPECT_EQ(lastConnected, row.restored ? std::optional(profiles.front()) : std::nullopt);
  }
}

TEST_F(Construction, StoredProfilesThatCannotBeReadAreKeptUntouched) {
  for (const QString &stored :
       {u"not a profile list"_s, u"[{\"id\":\"C4A811E0-0000-4000-8000-000000000001\"}]"_s}) {
    for (const QString &key : settings.allKeys()) settings.remove(key);
    store(settings, u"consoleIP=10.0.0.5"_s);
    settings.setValue(u"connectionProfiles.v1"_s, stored);

    const auto model = makeModel();

    EXPECT_EQ(model->savedConnectionProfiles(), AppViewModel::builtInConnectionProfiles());
    EXPECT_EQ(model->profileStorageError(),
              u"Saved connections could not be read. The original data is retained until you "
              u"explicitly save a connection."_s);
    EXPECT_EQ(storedText(u"connectionProfiles.v1"_s), stored.toUtf8());
    EXPECT_EQ(storedKeys(), (QStringList{u"connectionProfiles.v1"_s, u"consoleIP"_s}));
  }

  // An empty list is the user's choice: no examples, nothing carried over.
  settings.setValue(u"connectionProfiles.v1"_s, u"[]"_s);
  const auto model = makeModel();
  EXPECT_TRUE(model->savedConnectionProfiles().isEmpty());
  EXPECT_EQ(model->profileStorageError(), std::nullopt);
  EXPECT_EQ(storedKeys(), (QStringList{u"connectionProfiles.v1"_s, u"consoleIP"_s}));
}

TEST_F(Construction, TheSelectionIsStoredCanonicallyAndFillsTheForm) {
  store(settings, u"selectedConnectionProfileID=not-a-uuid"_s);
  makeModel();
  EXPECT_FALSE(settings.contains(u"selectedConnectionProfileID"_s));

  ConsoleConnectionProfile relay = AppViewModel::builtInConnectionProfiles().front();
  relay.id = *parseUuidText(u"6ba7b810-9dad-11d1-80b4-00c04fd430c8");
  relay.usesMacRelay = true;
  settings.setValue(u"connectionProfiles.v1"_s, QString::fromUtf8(encodeJsonText(QList{relay})));
  store(settings,
        u"consoleIP=10.0.0.5;interactionMode=viewer;"
        u"selectedConnectionProfileID=6ba7b810-9dad-11d1-80b4-00c04fd430c8"_s);
  const QString account = u"client.6BA7B810-9DAD-11D1-80B4-00C04FD430C8"_s;
  keychain.insert(account, u"code"_s);

  auto model = makeModel();
  settleBackgroundWork();
  EXPECT_EQ(storedText(u"selectedConnectionProfileID"_s), "6BA7B810-9DAD-11D1-80B4-00C04FD430C8");
  EXPECT_EQ(model->consoleIP(), relay.host);
  EXPECT_EQ(model->customSendPort(), u"3037"_s);
  EXPECT_TRUE(model->usesMacRelay());
  EXPECT_EQ(model->relayPairingCode(), u"code"_s);
  EXPECT_EQ(loadedAccounts, QStringList{account});
  EXPECT_EQ(model->interactionMode(), InteractionMode::viewer);

  keychainFails = true;
  model = makeModel();
  settleBackgroundWork();
  EXPECT_EQ(model->relayPairingCode(), QString());

  // A selection that matches no saved profile leaves the individual settings in the form.
  store(settings, u"selectedConnectionProfileID=C4A811E0-0000-4000-8000-00000000000F"_s);
  model = makeModel();
  EXPECT_EQ(model->consoleIP(), u"10.0.0.5"_s);
  EXPECT_FALSE(model->usesMacRelay());
}

// The limits each part was built with: sync, channel read, reconnect delay and attempts.
std::tuple<double, double, double, int> limits(const AppViewModel &model) {
  const ConnectionSupervisor::Limits &reconnect = model.supervisor().limits();
  return {model.showMirror().syncTimeout(), model.showMirror().channelReadTimeLimit(),
          reconnect.reconnectBaseDelay, reconnect.maximumReconnectAttempts};
}

TEST_F(Construction, TimeLimitsAndAttemptsAreClamped) {
  for (const double given : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
    const auto model = makeModel({.maximumReconnectAttempts = 0,
                                  .syncTimeout = given,
                                  .reconnectBaseDelay = given,
                                  .directPatchReadTimeout = given});
    EXPECT_EQ(limits(*model), std::tuple(0.01, 0.01, 0.01, 1)) << given;
  }
  const auto model = makeModel({.maximumReconnectAttempts = 3, .syncTimeout = 0.02});
  EXPECT_EQ(limits(*model), std::tuple(0.02, 2.0, 0.5, 3));
}

TEST_F(Construction, WithoutNetworkingNothingReachesTheNetwork) {
  // A console to restore is stored, so only the flag keeps the model offline.
  store(settings, u"consoleIP=127.0.0.1;useAdvancedPorts=true"_s);
  const auto model = makeModel();
  ASSERT_TRUE(settings.contains(u"lastConnectedProfile.v1"_s));

  timing->advance(10);
  QCoreApplication::processEvents();

  const OSCManager &manager = *model->oscManager();
  EXPECT_EQ(manager.connectionStateDescription(), u"Disconnected"_s);
  EXPECT_TRUE(manager.findChildren<QAbstractSocket *>().isEmpty());
  // Browsing reports its failure here where no Avahi daemon runs.
  EXPECT_EQ(manager.lastError(), std::nullopt);
  EXPECT_TRUE(timing->pendingDelays().isEmpty());
}

}  // namespace
}  // namespace tarnik::testing
