#include "app/AppViewModel.h"
#include "foundation/JsonCoding.h"
#include "foundation/NumberRules.h"
#include "foundation/TextRules.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

// A port field as the discovered-console route reads it; 0 is never a port.
std::optional<quint16> portNumber(const QString &text) {
  const std::optional<quint16> port = parseStrictInteger<quint16>(text);
  if (!port || *port == 0) return std::nullopt;
  return port;
}

}  // namespace

void AppViewModel::restoreLastConnectedProfile() {
  // Whatever cannot be used is left as stored and nothing is said: the user simply finds
  // the model waiting, disconnected.
  if (!defaults_->contains(lastConnectedProfileKey)) return;
  const auto stored = decodeJsonText<ConsoleConnectionProfile>(
      defaults_->value(lastConnectedProfileKey).toString().toUtf8());
  if (!stored) return;
  const auto profile = stored->validated();
  if (!profile) return;
  applyConnectionProfile(*profile);
  connect();
}

void AppViewModel::applyConnectionProfile(const ConsoleConnectionProfile &profile) {
  resetConnectionTest();
  setSelectedConnectionProfileID(profile.id);
  fillConnectionForm(profile);
}

void AppViewModel::saveConnectionProfile() {
  const std::optional<ConsoleConnectionProfile> profile = makeConnectionSettings();
  if (!profile) {
    publish(testConnectionStatus_,
            connectionSettingsIssue().value_or(u"Invalid connection settings"_s),
            &AppViewModel::testConnectionStatusChanged);
    return;
  }
  // The code goes to the keychain first, so a saved relay profile always has its code.
  if (profile->usesMacRelay.value_or(false)) {
    if (const auto stored =
            storeRelayKey_(trimmedText(relayPairingCode_), relayKeyAccount(profile->id));
        !stored) {
      publish(testConnectionStatus_,
              u"Could not save pairing code in Keychain: "_s + stored.error().description(),
              &AppViewModel::testConnectionStatusChanged);
      return;
    }
  }
  storeSelectedProfile(*profile);
}

void AppViewModel::storeSelectedProfile(const ConsoleConnectionProfile &profile) {
  QList<ConsoleConnectionProfile> profiles = savedConnectionProfiles_;
  const auto same = std::ranges::find(profiles, profile.id, &ConsoleConnectionProfile::id);
  if (same != profiles.end()) {
    *same = profile;
  } else {
    profiles.append(profile);
  }
  publish(savedConnectionProfiles_, std::move(profiles),
          &AppViewModel::savedConnectionProfilesChanged);
  setSelectedConnectionProfileID(profile.id);
  persistConnectionProfiles();
}

void AppViewModel::startNewConnection() {
  resetConnectionTest();
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

void AppViewModel::applyBuiltInProfile(BuiltInProfile which) {
  const QList<ConsoleConnectionProfile> examples = builtInConnectionProfiles();
  applyConnectionProfile(which == BuiltInProfile::first ? examples.at(0) : examples.at(1));
  // Saving an example then makes a profile of its own rather than one with the example's id.
  setSelectedConnectionProfileID(std::nullopt);
}

void AppViewModel::connectToDiscoveredConsole(const DiscoveredConsole &console) {
  const std::optional<quint16> destinationPort = portNumber(customSendPort_);
  if (!destinationPort) {
    publish(dataStatusMessage_, u"Destination port must be 1–65535."_s,
            &AppViewModel::dataStatusMessageChanged);
    return;
  }
  quint16 listenPort = 0;
  if (console.transport == OSCTransport::udp) {
    const std::optional<quint16> port = portNumber(customListenPort_);
    if (!port) {
      publish(dataStatusMessage_, u"UDP listen port must be 1–65535."_s,
              &AppViewModel::dataStatusMessageChanged);
      return;
    }
    listenPort = *port;
  }

  resetConnectionTest();
  // A console found on the network is not one to come back to at the next start.
  defaults_->remove(lastConnectedProfileKey);
  releaseOwnedFlash(u"Reconnect"_s);
  activeRelayKey_.reset();
  oscManager_->relayPairingKey.reset();
  reconnectWorkItem_.cancel();
  reconnectAttempt_ = 0;
  reconnectFailureStatus_.reset();
  wantsConnection_ = true;
  resumeEndpoint_ = console.endpoint;
  isSuspended_ = false;
  resetSessionState(u"Connecting…"_s);
  activeConsoleEndpoint_ = console.endpoint;

  ConsoleConnectionProfile settings;
  settings.id = QUuid::createUuid();
  settings.name = console.name;
  settings.host = console.endpoint.description();
  settings.transport = console.transport;
  settings.destinationPort = *destinationPort;
  settings.udpListenPort = listenPort;
  settings.tcpFraming = tcpFraming_;
  activeConnectionSettings_ = settings;

  oscManager_->transport = console.transport;
  oscManager_->tcpFraming = tcpFraming_;
  oscManager_->connect(console.endpoint);
  if (console.transport == OSCTransport::udp) oscManager_->startListening(listenPort);
}

}  // namespace tarnik
