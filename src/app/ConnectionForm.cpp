#include "app/ConnectionForm.h"

#include "foundation/BackgroundWork.h"
#include "foundation/NumberRules.h"
#include "foundation/TextRules.h"

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

void putProfile(QList<ConsoleConnectionProfile> &profiles,
                const ConsoleConnectionProfile &profile) {
  const auto same = std::ranges::find(profiles, profile.id, &ConsoleConnectionProfile::id);
  if (same != profiles.end()) {
    *same = profile;
  } else {
    profiles.append(profile);
  }
}

bool hasURLCharacter(const QString &host) {
  return std::ranges::any_of(host, [](QChar c) {
    return c.isSpace() || c == u'/' || c == u'\\' || c == u'?' || c == u'#';
  });
}

}  // namespace

std::optional<quint16> ConnectionForm::portNumber(const QString &text) {
  const std::optional<quint16> port = parseStrictInteger<quint16>(text);
  if (!port || *port == 0) return std::nullopt;
  return port;
}

std::optional<QString> ConnectionForm::connectionSettingsIssue() const {
  if (usesMacRelay_) {
    if (connectionTransport_ != OSCTransport::tcp) return u"Mac relay requires TCP."_s;
    if (!TarnikRelaySecurity::parameters(relayPairingCode_)) {
      return u"Paste the pairing code shown in Tarnik on the Mac."_s;
    }
  }
  const QString host = trimmedText(consoleIP_);
  if (host.isEmpty()) return u"Enter a console IP address or hostname."_s;
  // A colon stays allowed: it is how an IPv6 address is written.
  if (hasURLCharacter(host))
    return u"Enter only an IP address or hostname, without a URL or port."_s;
  if (!portNumber(customSendPort_)) return u"Destination port must be 1–65535."_s;
  if (connectionTransport_ == OSCTransport::udp && !portNumber(customListenPort_)) {
    return u"UDP listen port must be 1–65535."_s;
  }
  return std::nullopt;
}

std::optional<ConsoleConnectionProfile> ConnectionForm::makeConnectionSettings() const {
  if (connectionSettingsIssue()) return std::nullopt;

  ConsoleConnectionProfile settings;
  settings.host = trimmedText(consoleIP_);
  const QString name = trimmedText(consoleName_);
  settings.name = name.isEmpty() ? settings.host : name;
  settings.id = selectedConnectionProfileID_.value_or(QUuid::createUuid());
  settings.transport = connectionTransport_;
  settings.destinationPort = *portNumber(customSendPort_);
  // Not checked for TCP, where it is unused: what does not read becomes the usual port.
  settings.udpListenPort = parseStrictInteger<quint16>(customListenPort_).value_or(8001);
  settings.tcpFraming = tcpFraming_;
  if (usesMacRelay_) {
    settings.usesMacRelay = true;
    // The relay found on the network belongs to the saved profile only while the form
    // still points at the same host.
    if (selectedConnectionProfileID_) {
      const auto saved = std::ranges::find_if(savedConnectionProfiles_, [&](const auto &profile) {
        return profile.id == *selectedConnectionProfileID_ && profile.host == settings.host;
      });
      if (saved != savedConnectionProfiles_.cend()) settings.relayService = saved->relayService;
    }
  }
  return settings;
}

ConnectionForm::ConnectionForm(SettingsStore &defaults, StoreRelayKey storeRelayKey,
                               LoadRelayKey loadRelayKey, QObject *parent)
    : ObservableObject(parent),
      defaults_(defaults),
      storeRelayKey_(storeRelayKey ? std::move(storeRelayKey)
                                   : StoreRelayKey(&TarnikRelaySecurity::storePairingCode)),
      loadRelayKey_(loadRelayKey ? std::move(loadRelayKey)
                                 : LoadRelayKey(&TarnikRelaySecurity::loadPairingCode)) {
  readStoredConnectionSettings();
  loadConnectionProfiles();
  applySelectedConnectionProfile();
  QObject::connect(&defaults_, &ObservableObject::objectWillChange, this,
                   &ObservableObject::objectWillChange);
  QObject::connect(&defaults_, &SettingsStore::fileFailureChanged, this,
                   &ConnectionForm::settingsFileFailureChanged);
  QObject::connect(&defaults_, &SettingsStore::valuesReplaced, this,
                   &ConnectionForm::takeSettingsFromTheFile);
  QObject::connect(&defaults_, &SettingsStore::valuesRead, this,
                   &ConnectionForm::showStoredConnectionProfiles);
  QObject::connect(&defaults_, &SettingsStore::listSetAside, this,
                   &ConnectionForm::showListSetAside);
}

void ConnectionForm::selectProfile(const ConsoleConnectionProfile &profile,
                                   SettingsStore::SetBy by) {
  abandonRelayKeyWaits();
  publish(selectedConnectionProfileID_, std::optional(profile.id),
          &ConnectionForm::selectedConnectionProfileIDChanged);
  persistSelectedConnectionProfileID(by);
  fillConnectionForm(profile);
}

void ConnectionForm::storeSelectedProfile(const ConsoleConnectionProfile &profile) {
  QList<ConsoleConnectionProfile> profiles = savedConnectionProfiles_;
  putProfile(profiles, profile);
  publish(savedConnectionProfiles_, std::move(profiles),
          &ConnectionForm::savedConnectionProfilesChanged);
  persistConnectionProfiles({profile});
  setSelectedConnectionProfileID(profile.id);
}

void ConnectionForm::clear() {
  abandonRelayKeyWaits();
  abandonRelayKeyLoad();
  setSelectedConnectionProfileID(std::nullopt);
  setConsoleName(QString());
  setConsoleIP(QString());
  setConnectionTransport(OSCTransport::tcp);
  setTcpFraming(OSCTCPFraming::slip);
  setCustomSendPort(u"3037"_s);
  setCustomListenPort(u"8001"_s);
  setUsesMacRelay(false);
  setRelayPairingCode(QString());
}

void ConnectionForm::storeRelayKey(const QString &code, const QUuid &profileID,
                                   RelayKeyStored stored) {
  Q_ASSERT(!storingRelayKey_);
  storingRelayKey_ = true;
  const quint64 generation = ++relayKeyStoreGeneration_;
  runOnKeychainThread(
      this,
      [store = storeRelayKey_, code, account = relayKeyAccount(profileID)] {
        return store(code, account);
      },
      [this, generation, stored = std::move(stored)](const auto &result) {
        if (generation != relayKeyStoreGeneration_) return;
        storingRelayKey_ = false;
        stored(result);
      });
}

void ConnectionForm::abandonRelayKeyWaits() {
  ++relayKeyStoreGeneration_;
  storingRelayKey_ = false;
  afterRelayKeyLoad_ = nullptr;
}

void ConnectionForm::loadRelayKey(const QUuid &profileID) {
  loadingRelayKey_ = true;
  const quint64 generation = ++*relayKeyLoadGeneration_;
  runOnKeychainThread(
      this,
      [load = loadRelayKey_, account = relayKeyAccount(profileID), generation,
       current = relayKeyLoadGeneration_]() -> std::optional<LoadedRelayKey> {
        // Queued behind a keychain call that hung, a load the person has moved on from would
        // wait out a timeout of its own before the one wanted now: it is not made at all.
        if (*current != generation) return std::nullopt;
        return load(account);
      },
      [this, generation](const std::optional<LoadedRelayKey> &loaded) {
        if (!loaded || generation != *relayKeyLoadGeneration_) return;
        loadingRelayKey_ = false;
        // A code the keychain cannot give leaves the field empty; connecting then asks for
        // it. One typed meanwhile is the person's and stays.
        const LoadedRelayKey &code = *loaded;
        if (code && *code && relayPairingCode_.isEmpty()) setRelayPairingCode(**code);
        if (const auto then = std::exchange(afterRelayKeyLoad_, nullptr)) then();
      });
}

void ConnectionForm::abandonRelayKeyLoad() {
  ++*relayKeyLoadGeneration_;
  loadingRelayKey_ = false;
  afterRelayKeyLoad_ = nullptr;
}

bool ConnectionForm::waitForRelayKeyLoad(std::function<void()> then) {
  if (!loadingRelayKey_) return false;
  afterRelayKeyLoad_ = std::move(then);
  return true;
}

void ConnectionForm::setConsoleIP(const QString &value) {
  publish(consoleIP_, value, &ConnectionForm::consoleIPChanged);
}

void ConnectionForm::setConsoleName(const QString &value) {
  publish(consoleName_, value, &ConnectionForm::consoleNameChanged);
}

void ConnectionForm::setCustomSendPort(const QString &value) {
  publish(customSendPort_, value, &ConnectionForm::customSendPortChanged);
}

void ConnectionForm::setCustomListenPort(const QString &value) {
  publish(customListenPort_, value, &ConnectionForm::customListenPortChanged);
}

void ConnectionForm::setConnectionTransport(OSCTransport value) {
  publish(connectionTransport_, value, &ConnectionForm::connectionTransportChanged);
}

void ConnectionForm::setTcpFraming(OSCTCPFraming value) {
  publish(tcpFraming_, value, &ConnectionForm::tcpFramingChanged);
}

void ConnectionForm::setUsesMacRelay(bool value) {
  publish(usesMacRelay_, value, &ConnectionForm::usesMacRelayChanged);
}

void ConnectionForm::setRelayPairingCode(const QString &value) {
  publish(relayPairingCode_, value, &ConnectionForm::relayPairingCodeChanged);
}

void ConnectionForm::setSelectedConnectionProfileID(const std::optional<QUuid> &value) {
  publish(selectedConnectionProfileID_, value, &ConnectionForm::selectedConnectionProfileIDChanged);
  persistSelectedConnectionProfileID();
}

void ConnectionForm::setInteractionMode(InteractionMode value) {
  publish(interactionMode_, value, &ConnectionForm::interactionModeChanged);
  persistInteractionMode();
}

}  // namespace tarnik
