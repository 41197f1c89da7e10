#include "app/ConnectionForm.h"
#include "foundation/JsonCoding.h"
#include "foundation/NumberRules.h"
#include "foundation/TextRules.h"
#include "foundation/UuidText.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

// Written by the model.
const QString selectedProfileKey = u"selectedConnectionProfileID"_s;
const QString interactionModeKey = u"interactionMode"_s;
const QString profilesKey = u"connectionProfiles.v1"_s;
// A stored list that could not be read, kept aside by the write that replaced it.
const QString unreadableProfilesKey = u"connectionProfiles.unreadable.v1"_s;

// The single-console settings of earlier versions: only ever read.
const QString consoleIPKey = u"consoleIP"_s;
const QString consoleNameKey = u"consoleName"_s;
const QString transportKey = u"connectionTransport"_s;
const QString framingKey = u"tcpFraming"_s;
const QString advancedPortsKey = u"useAdvancedPorts"_s;
const QString sendPortKey = u"customSendPort"_s;
const QString listenPortKey = u"customListenPort"_s;

std::optional<QString> storedText(const SettingsStore &settings, const QString &key) {
  if (!settings.contains(key)) return std::nullopt;
  return settings.value(key).toString();
}

bool readableProfiles(const QByteArray &text) {
  return decodeJsonText<QList<ConsoleConnectionProfile>>(text).has_value();
}

// The saved connections, changed one by one.
const SettingsRecordList profileList{.asideKey = unreadableProfilesKey,
                                     .readable = &readableProfiles};

}  // namespace

QString ConnectionForm::defaultSendPort(OSCTransport transport, OSCTCPFraming framing) {
  if (transport == OSCTransport::udp) return u"8000"_s;
  return framing == OSCTCPFraming::slip ? u"3037"_s : u"3032"_s;
}

QString ConnectionForm::relayKeyAccount(const QUuid &profileID) {
  return u"client."_s + uuidText(profileID);
}

void ConnectionForm::readStoredConnectionSettings() {
  setConsoleIP(storedText(defaults_, consoleIPKey).value_or(QString()));
  setConsoleName(storedText(defaults_, consoleNameKey).value_or(QString()));

  const std::optional<QString> transportText = storedText(defaults_, transportKey);
  const bool advancedPorts = defaults_.value(advancedPortsKey).toBool();
  const std::optional<OSCTransport> storedTransport =
      transportText ? fromRawValue<OSCTransport>(*transportText) : std::nullopt;
  setConnectionTransport(
      storedTransport.value_or(advancedPorts ? OSCTransport::udp : OSCTransport::tcp));
  setTcpFraming(storedText(defaults_, framingKey) == u"slip" ? OSCTCPFraming::slip
                                                             : OSCTCPFraming::packetLength);

  // Before ports could be chosen, every console listened on 3032 whatever was stored.
  setCustomSendPort(transportText || advancedPorts
                        ? storedText(defaults_, sendPortKey)
                              .value_or(defaultSendPort(connectionTransport_, tcpFraming_))
                        : u"3032"_s);
  setCustomListenPort(storedText(defaults_, listenPortKey).value_or(u"8001"_s));
  setUsesMacRelay(false);
  setRelayPairingCode(QString());

  publish(
      interactionMode_,
      interactionModeFromStoredText(storedText(defaults_, interactionModeKey).value_or(QString())),
      &ConnectionForm::interactionModeChanged);
  const std::optional<QString> storedSelection = storedText(defaults_, selectedProfileKey);
  publish(selectedConnectionProfileID_,
          storedSelection.and_then([](const QString &text) { return parseUuidText(text); }),
          &ConnectionForm::selectedConnectionProfileIDChanged);
  // A selection stored in another form (not a UUID, or in lower case) is stored again now,
  // as every change of the selection is; one stored as it is costs no pass over the file.
  if (storedSelection != selectedConnectionProfileID_.transform(uuidText)) {
    persistSelectedConnectionProfileID();
  }
}

void ConnectionForm::loadConnectionProfiles() {
  if (defaults_.contains(profilesKey)) {
    auto [profiles, storageError] = storedConnectionProfiles();
    publish(savedConnectionProfiles_, std::move(profiles),
            &ConnectionForm::savedConnectionProfilesChanged);
    publish(profileStorageError_, std::move(storageError),
            &ConnectionForm::profileStorageErrorChanged);
    return;
  }
  publish(savedConnectionProfiles_, builtInConnectionProfiles(),
          &ConnectionForm::savedConnectionProfilesChanged);
  publish(profileStorageError_, std::nullopt, &ConnectionForm::profileStorageErrorChanged);
  carryOverSingleConsoleSettings();
  // Made up without a file that could not be read, the list is not stored: the file, once
  // read, may hold one, and is taken then as now.
  if (!defaults_.isFileUnreadSinceStart()) persistConnectionProfiles(savedConnectionProfiles_);
}

std::pair<QList<ConsoleConnectionProfile>, std::optional<QString>>
ConnectionForm::storedConnectionProfiles() const {
  std::expected<QList<ConsoleConnectionProfile>, JsonError> stored =
      decodeJsonText<QList<ConsoleConnectionProfile>>(defaults_.value(profilesKey).toByteArray());
  if (stored) return {std::move(*stored), std::nullopt};
  // The stored text stays as it is: it may be all the user has, and only an explicit save
  // of a connection replaces it.
  return {builtInConnectionProfiles(),
          u"Saved connections could not be read. The original data is retained until you "
          u"explicitly save a connection."_s};
}

void ConnectionForm::takeSettingsFromTheFile() {
  abandonRelayKeyLoad();
  readStoredConnectionSettings();
  loadConnectionProfiles();
  applySelectedConnectionProfile();
}

void ConnectionForm::showStoredConnectionProfiles() {
  if (!defaults_.contains(profilesKey)) return;
  // A list that cannot be read leaves the list shown as it is, and the page says why.
  auto [profiles, storageError] = storedConnectionProfiles();
  showProfileStorage(storageError);
  if (storageError || profiles == savedConnectionProfiles_) return;
  publish(savedConnectionProfiles_, std::move(profiles),
          &ConnectionForm::savedConnectionProfilesChanged);
}

void ConnectionForm::showListSetAside(const QString &key, const QString &asideKey) {
  if (key != profilesKey) return;
  profilesKeptAside_ = asideKey;
  showProfileStorage(std::nullopt);
}

void ConnectionForm::showProfileStorage(const std::optional<QString> &readError) {
  std::optional<QString> message = readError;
  if (!message && profilesKeptAside_) {
    message = u"Saved connections could not be read. Their original data is kept under “%1”."_s.arg(
        *profilesKeptAside_);
  }
  if (message != profileStorageError_) {
    publish(profileStorageError_, std::move(message), &ConnectionForm::profileStorageErrorChanged);
  }
}

void ConnectionForm::carryOverSingleConsoleSettings() {
  if (trimmedText(consoleIP_).isEmpty()) return;
  const std::optional<quint16> sendPort = parseStrictInteger<quint16>(customSendPort_);
  if (!sendPort || *sendPort == 0) return;

  ConsoleConnectionProfile profile;
  profile.id = QUuid::createUuid();
  profile.name = consoleName_.isEmpty() ? consoleIP_ : consoleName_;
  profile.host = consoleIP_;
  profile.transport = connectionTransport_;
  profile.destinationPort = *sendPort;
  profile.udpListenPort = parseStrictInteger<quint16>(customListenPort_).value_or(8001);
  profile.tcpFraming = tcpFraming_;

  publish(savedConnectionProfiles_, QList{profile} + savedConnectionProfiles_,
          &ConnectionForm::savedConnectionProfilesChanged);
  publish(selectedConnectionProfileID_, std::optional(profile.id),
          &ConnectionForm::selectedConnectionProfileIDChanged);
  persistSelectedConnectionProfileID();
  // Start-up connects to what the user last used, as it did before profiles existed.
  if (profile.validated()) rememberLastConnected(profile);
}

void ConnectionForm::applySelectedConnectionProfile() {
  if (!selectedConnectionProfileID_) return;
  const auto profile = std::ranges::find(savedConnectionProfiles_, *selectedConnectionProfileID_,
                                         &ConsoleConnectionProfile::id);
  if (profile != savedConnectionProfiles_.cend()) fillConnectionForm(*profile);
}

void ConnectionForm::fillConnectionForm(const ConsoleConnectionProfile &profile) {
  setConsoleName(profile.name);
  setConsoleIP(profile.host);
  setConnectionTransport(profile.transport);
  setTcpFraming(profile.tcpFraming);
  setCustomSendPort(QString::number(profile.destinationPort));
  setCustomListenPort(QString::number(profile.udpListenPort));
  setUsesMacRelay(profile.usesMacRelay.value_or(false));
  setRelayPairingCode(QString());
  if (usesMacRelay_) {
    loadRelayKey(profile.id);
  } else {
    abandonRelayKeyLoad();
  }
}

void ConnectionForm::persistConnectionProfiles(const QList<ConsoleConnectionProfile> &profiles) {
  // Only these records change, so what another copy changed of the others stays. A list this
  // version cannot read (found now or by the write) may be all the user has, or a newer
  // version's: its bytes move aside, and the whole list shown takes its place.
  const auto record = [](const ConsoleConnectionProfile &profile) {
    return SettingsRecord{
        .id = uuidText(profile.id),
        .value = JsonValueCoding<ConsoleConnectionProfile>::encode(profile).toObject()};
  };
  QList<SettingsRecord> records;
  for (const ConsoleConnectionProfile &profile : profiles) records.append(record(profile));
  QJsonArray shown;
  for (const ConsoleConnectionProfile &profile : savedConnectionProfiles_) {
    shown.append(*record(profile).value);
  }
  defaults_.changeRecords(profilesKey, profileList, std::move(records), std::move(shown));
  persistSelectedConnectionProfileID();
}

void ConnectionForm::persistSelectedConnectionProfileID(SettingsStore::SetBy by) {
  if (selectedConnectionProfileID_) {
    defaults_.setValue(selectedProfileKey, uuidText(*selectedConnectionProfileID_), by);
  } else {
    defaults_.remove(selectedProfileKey);
  }
}

void ConnectionForm::persistInteractionMode() {
  defaults_.setValue(interactionModeKey, rawValue(interactionMode_));
}

std::optional<ConsoleConnectionProfile> ConnectionForm::lastConnectedProfile() const {
  if (!defaults_.contains(lastConnectedProfileKey)) return std::nullopt;
  const auto stored = decodeJsonText<ConsoleConnectionProfile>(
      defaults_.value(lastConnectedProfileKey).toString().toUtf8());
  if (!stored) return std::nullopt;
  const auto profile = stored->validated();
  if (!profile) return std::nullopt;
  return *profile;
}

void ConnectionForm::rememberLastConnected(const ConsoleConnectionProfile &profile,
                                           SettingsStore::SetBy by) {
  defaults_.setValue(lastConnectedProfileKey, QString::fromUtf8(encodeJsonText(profile)), by);
}

void ConnectionForm::forgetLastConnected() { defaults_.remove(lastConnectedProfileKey); }

}  // namespace tarnik
