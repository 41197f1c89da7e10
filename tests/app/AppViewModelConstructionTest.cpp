#include "AppViewModelTestSupport.h"
#include "foundation/JsonCoding.h"
#include "foundation/UuidText.h"

#include <QAbstractSocket>
#include <QCoreApplication>
#include <QVariantMap>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

using Construction = AppViewModelTest;

const QUuid relayProfileID = *parseUuidText(u"6BA7B810-9DAD-11D1-80B4-00C04FD430C8");

ConsoleConnectionProfile relayProfile() {
  ConsoleConnectionProfile profile;
  profile.id = relayProfileID;
  profile.name = u"Booth Mac"_s;
  profile.host = u"10.0.0.9"_s;
  profile.destinationPort = 3032;
  profile.udpListenPort = 8001;
  profile.usesMacRelay = true;
  return profile;
}

TEST_F(Construction, EmptySettingsGiveTheDefaultFormAndStoreOnlyTheExamples) {
  const auto model = makeModel();

  EXPECT_EQ(model->connectionTransport(), OSCTransport::tcp);
  EXPECT_EQ(model->tcpFraming(), OSCTCPFraming::packetLength);
  EXPECT_EQ(model->customSendPort(), u"3032"_s);
  EXPECT_EQ(model->customListenPort(), u"8001"_s);
  EXPECT_EQ(model->consoleIP(), QString());
  EXPECT_EQ(model->interactionMode(), InteractionMode::editor);
  EXPECT_EQ(model->selectedConnectionProfileID(), std::nullopt);
  EXPECT_EQ(model->savedConnectionProfiles(), AppViewModel::builtInConnectionProfiles());

  EXPECT_EQ(storedKeys(), QStringList{u"connectionProfiles.v1"_s});
  const QByteArray stored = storedText(u"connectionProfiles.v1"_s);
  EXPECT_TRUE(stored.contains("\"C4A811E0-0000-4000-8000-000000000001\"")) << stored.toStdString();
  EXPECT_TRUE(stored.contains("\"C4A811E0-0000-4000-8000-000000000002\""));
  EXPECT_EQ(decodeJsonText<QList<ConsoleConnectionProfile>>(stored),
            AppViewModel::builtInConnectionProfiles());
}

// What earlier versions stored for their one console becomes the first profile, selected
// and restored at the next start; the ports follow the old defaults.
TEST_F(Construction, OlderSingleConsoleSettingsAreCarriedOver) {
  const struct {
    const char *what;
    QVariantMap stored;
    OSCTransport transport;
    QString sendPort;
    std::optional<QString> profileName;  // none: nothing carried over
    bool restored = true;
  } rows[] = {
      {"UDP with a send port",
       {{u"consoleIP"_s, u"10.0.0.5"_s},
        {u"useAdvancedPorts"_s, true},
        {u"customSendPort"_s, u"8000"_s}},
       OSCTransport::udp,
       u"8000"_s,
       u"10.0.0.5"_s},
      {"named console",
       {{u"consoleIP"_s, u"10.0.0.5"_s},
        {u"consoleName"_s, u"Booth"_s},
        {u"useAdvancedPorts"_s, true},
        {u"customSendPort"_s, u"8000"_s}},
       OSCTransport::udp,
       u"8000"_s,
       u"Booth"_s},
      {"UDP without a send port",
       {{u"consoleIP"_s, u"10.0.0.5"_s}, {u"useAdvancedPorts"_s, true}},
       OSCTransport::udp,
       u"8000"_s,
       u"10.0.0.5"_s},
      {"TCP with SLIP without a send port",
       {{u"consoleIP"_s, u"10.0.0.5"_s},
        {u"connectionTransport"_s, u"tcp"_s},
        {u"tcpFraming"_s, u"slip"_s}},
       OSCTransport::tcp,
       u"3037"_s,
       u"10.0.0.5"_s},
      {"a stored port without chosen ports is ignored",
       {{u"consoleIP"_s, u"10.0.0.5"_s},
        {u"customSendPort"_s, u"9000"_s},
        {u"tcpFraming"_s, u"slip"_s}},
       OSCTransport::tcp,
       u"3032"_s,
       u"10.0.0.5"_s},
      {"an unknown transport text falls back on the ports choice",
       {{u"consoleIP"_s, u"10.0.0.5"_s}, {u"connectionTransport"_s, u"serial"_s}},
       OSCTransport::tcp,
       u"3032"_s,
       u"10.0.0.5"_s},
      {"blank address",
       {{u"consoleIP"_s, u" \n"_s}, {u"useAdvancedPorts"_s, true}},
       OSCTransport::udp,
       u"8000"_s,
       std::nullopt},
      {"port zero",
       {{u"consoleIP"_s, u"10.0.0.5"_s},
        {u"useAdvancedPorts"_s, true},
        {u"customSendPort"_s, u"0"_s}},
       OSCTransport::udp,
       u"0"_s,
       std::nullopt},
      {"a listen port of zero is carried but not restored",
       {{u"consoleIP"_s, u"10.0.0.5"_s},
        {u"useAdvancedPorts"_s, true},
        {u"customListenPort"_s, u"0"_s}},
       OSCTransport::udp,
       u"8000"_s,
       u"10.0.0.5"_s,
       false},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.what);
    settings.clear();
    for (auto entry = row.stored.cbegin(); entry != row.stored.cend(); ++entry)
      settings.setValue(entry.key(), entry.value());

    const auto model = makeModel();

    EXPECT_EQ(model->connectionTransport(), row.transport);
    EXPECT_EQ(model->customSendPort(), row.sendPort);
    const QList<ConsoleConnectionProfile> profiles = model->savedConnectionProfiles();
    EXPECT_EQ(profiles.size(), row.profileName ? 3 : 2);
    EXPECT_EQ(
        decodeJsonText<QList<ConsoleConnectionProfile>>(storedText(u"connectionProfiles.v1"_s)),
        profiles);
    if (!row.profileName) {
      EXPECT_EQ(model->selectedConnectionProfileID(), std::nullopt);
      EXPECT_FALSE(settings.contains(u"lastConnectedProfile.v1"_s));
      continue;
    }
    const ConsoleConnectionProfile &carried = profiles.front();
    EXPECT_EQ(carried.name, *row.profileName);
    EXPECT_EQ(carried.host, u"10.0.0.5"_s);
    EXPECT_EQ(QString::number(carried.destinationPort), row.sendPort);
    EXPECT_EQ(model->selectedConnectionProfileID(), carried.id);
    EXPECT_EQ(settings.value(u"selectedConnectionProfileID"_s).toString(), uuidText(carried.id));
    if (row.restored) {
      EXPECT_EQ(decodeJsonText<ConsoleConnectionProfile>(storedText(u"lastConnectedProfile.v1"_s)),
                carried);
    } else {
      EXPECT_FALSE(settings.contains(u"lastConnectedProfile.v1"_s));
    }
  }
}

TEST_F(Construction, UnreadableProfilesShowTheExamplesAndKeepTheStoredText) {
  for (const QString &stored :
       {u"not a profile list"_s, u"[{\"id\":\"C4A811E0-0000-4000-8000-000000000001\"}]"_s}) {
    SCOPED_TRACE(stored.toStdString());
    settings.clear();
    settings.setValue(u"connectionProfiles.v1"_s, stored);
    settings.setValue(u"consoleIP"_s, u"10.0.0.5"_s);

    const auto model = makeModel();

    EXPECT_EQ(model->savedConnectionProfiles(), AppViewModel::builtInConnectionProfiles());
    EXPECT_EQ(model->profileStorageError(),
              u"Saved connections could not be read. The original data is retained until you "
              u"explicitly save a connection."_s);
    EXPECT_EQ(storedText(u"connectionProfiles.v1"_s), stored.toUtf8());
    EXPECT_EQ(storedKeys(), (QStringList{u"connectionProfiles.v1"_s, u"consoleIP"_s}));
  }
}

TEST_F(Construction, AnEmptyStoredListStaysEmpty) {
  settings.setValue(u"connectionProfiles.v1"_s, u"[]"_s);
  settings.setValue(u"consoleIP"_s, u"10.0.0.5"_s);

  const auto model = makeModel();

  EXPECT_TRUE(model->savedConnectionProfiles().isEmpty());
  EXPECT_EQ(model->profileStorageError(), std::nullopt);
  EXPECT_EQ(storedText(u"connectionProfiles.v1"_s), "[]");
  EXPECT_FALSE(settings.contains(u"lastConnectedProfile.v1"_s));
}

TEST_F(Construction, TheSelectionIsStoredInItsCanonicalFormOrRemoved) {
  settings.setValue(u"selectedConnectionProfileID"_s, u"not-a-uuid"_s);
  makeModel();
  EXPECT_FALSE(settings.contains(u"selectedConnectionProfileID"_s));

  // A selection that matches no profile leaves the individual settings in the form.
  settings.setValue(u"selectedConnectionProfileID"_s, uuidText(relayProfileID).toLower());
  settings.setValue(u"consoleIP"_s, u"10.0.0.5"_s);
  const auto model = makeModel();
  EXPECT_EQ(model->selectedConnectionProfileID(), relayProfileID);
  EXPECT_EQ(settings.value(u"selectedConnectionProfileID"_s).toString(), uuidText(relayProfileID));
  EXPECT_EQ(model->consoleIP(), u"10.0.0.5"_s);
}

TEST_F(Construction, TheSelectedProfileFillsTheFormWithItsPairingCode) {
  ConsoleConnectionProfile udp = relayProfile();
  udp.id = QUuid::createUuid();
  udp.usesMacRelay = std::nullopt;
  udp.transport = OSCTransport::udp;
  udp.destinationPort = 8000;
  udp.udpListenPort = 9001;
  settings.setValue(u"connectionProfiles.v1"_s,
                    QString::fromUtf8(encodeJsonText(QList{udp, relayProfile()})));
  settings.setValue(u"consoleIP"_s, u"10.0.0.5"_s);
  const QString account = u"client.6BA7B810-9DAD-11D1-80B4-00C04FD430C8"_s;

  settings.setValue(u"selectedConnectionProfileID"_s, uuidText(udp.id));
  auto model = makeModel();
  EXPECT_EQ(model->consoleIP(), u"10.0.0.9"_s);
  EXPECT_EQ(model->connectionTransport(), OSCTransport::udp);
  EXPECT_EQ(model->customSendPort(), u"8000"_s);
  EXPECT_EQ(model->customListenPort(), u"9001"_s);
  EXPECT_FALSE(model->usesMacRelay());
  EXPECT_TRUE(keychain.loadedAccounts.isEmpty());

  settings.setValue(u"selectedConnectionProfileID"_s, uuidText(relayProfileID).toLower());
  keychain.codes.insert(account, u"code"_s);
  model = makeModel();
  EXPECT_TRUE(model->usesMacRelay());
  EXPECT_EQ(model->consoleName(), u"Booth Mac"_s);
  EXPECT_EQ(model->relayPairingCode(), u"code"_s);
  EXPECT_EQ(keychain.loadedAccounts, QStringList{account});

  keychain.fails = true;
  model = makeModel();
  EXPECT_TRUE(model->usesMacRelay());
  EXPECT_EQ(model->relayPairingCode(), QString());
}

TEST_F(Construction, StoredInteractionModeReadsViewerOnlyForItsExactText) {
  for (const auto &[stored, expected] : {std::pair{u"viewer"_s, InteractionMode::viewer},
                                         {u"Viewer"_s, InteractionMode::editor},
                                         {u"editor"_s, InteractionMode::editor}}) {
    settings.setValue(u"interactionMode"_s, stored);
    EXPECT_EQ(makeModel()->interactionMode(), expected) << stored.toStdString();
  }
}

TEST_F(Construction, TimeLimitsAndAttemptsAreClamped) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    double given;
    double kept;
  } limits[] = {{0, 0.01}, {-1, 0.01}, {nan, 0.01}, {0.01, 0.01}, {0.5, 0.5}};
  for (const auto &limit : limits) {
    const auto model = makeModel({.maximumReconnectAttempts = 0,
                                  .syncTimeout = limit.given,
                                  .reconnectBaseDelay = limit.given,
                                  .directPatchReadTimeout = limit.given});
    const auto kept = AppViewModelTestAccess::limits(*model);
    EXPECT_EQ(kept.syncTimeout, limit.kept) << limit.given;
    EXPECT_EQ(kept.reconnectBaseDelay, limit.kept) << limit.given;
    EXPECT_EQ(kept.directPatchReadTimeout, limit.kept) << limit.given;
    EXPECT_EQ(kept.maximumReconnectAttempts, 1);
  }
  EXPECT_EQ(AppViewModelTestAccess::limits(*makeModel({.maximumReconnectAttempts = 3}))
                .maximumReconnectAttempts,
            3);
}

TEST_F(Construction, WithoutNetworkingNothingReachesTheNetwork) {
  // A console to restore is stored, so only the flag keeps the model offline.
  settings.setValue(u"consoleIP"_s, u"127.0.0.1"_s);
  settings.setValue(u"useAdvancedPorts"_s, true);
  const auto model = makeModel();
  ASSERT_TRUE(settings.contains(u"lastConnectedProfile.v1"_s));

  timing->advance(10);
  QCoreApplication::processEvents();

  OSCManager &manager = *model->oscManager();
  EXPECT_FALSE(manager.isConnected());
  EXPECT_EQ(manager.connectionStateDescription(), u"Disconnected"_s);
  EXPECT_TRUE(manager.findChildren<QAbstractSocket *>().isEmpty());
  // Browsing fails at once where no Avahi daemon runs, and says so here.
  EXPECT_EQ(manager.lastError(), std::nullopt);
  EXPECT_TRUE(manager.discoveredServices().isEmpty());
  EXPECT_TRUE(timing->pendingDelays().isEmpty());
  EXPECT_EQ(model->dataStatusMessage(), u"Not synced yet"_s);
}

}  // namespace
}  // namespace tarnik::testing
