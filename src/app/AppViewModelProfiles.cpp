#include "app/AppViewModel.h"
#include "foundation/TextRules.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tarnik {

void AppViewModel::restoreLastConnectedProfile() {
  // Whatever cannot be used is left as stored and nothing is said: the user simply finds
  // the model waiting, disconnected.
  const std::optional<ConsoleConnectionProfile> profile = connectionForm_->lastConnectedProfile();
  if (!profile) return;
  // What it puts back as it read it is no change: a start begins no pass over the settings.
  applyConnectionProfile(*profile, SettingsStore::SetBy::start);
  connect(SettingsStore::SetBy::start);
}

void AppViewModel::applyConnectionProfile(const ConsoleConnectionProfile &profile,
                                          SettingsStore::SetBy by) {
  resetConnectionTest();
  connectionForm_->selectProfile(profile, by);
}

void AppViewModel::saveConnectionProfile() {
  // A second press while the code is being stored would save the same profile twice.
  if (connectionForm_->isStoringRelayKey()) return;
  const std::optional<ConsoleConnectionProfile> profile = makeConnectionSettings();
  if (!profile) {
    connectionTester_->reportStatus(
        connectionSettingsIssue().value_or(u"Invalid connection settings"_s));
    return;
  }
  if (!profile->usesMacRelay.value_or(false)) {
    connectionForm_->storeSelectedProfile(*profile);
    return;
  }
  // The code goes to the keychain first, so a saved relay profile always has its code.
  connectionForm_->storeRelayKey(
      trimmedText(relayPairingCode()), profile->id, [this, profile = *profile](const auto &stored) {
        if (!stored) {
          connectionTester_->reportStatus(u"Could not save pairing code in Keychain: "_s +
                                          stored.error().description());
          return;
        }
        connectionForm_->storeSelectedProfile(profile);
      });
}

void AppViewModel::startNewConnection() {
  resetConnectionTest();
  connectionForm_->clear();
}

void AppViewModel::applyBuiltInProfile(BuiltInProfile which) {
  const QList<ConsoleConnectionProfile> examples = builtInConnectionProfiles();
  applyConnectionProfile(which == BuiltInProfile::first ? examples.at(0) : examples.at(1));
  // Saving an example then makes a profile of its own rather than one with the example's id.
  setSelectedConnectionProfileID(std::nullopt);
}

void AppViewModel::connectToDiscoveredConsole(const DiscoveredConsole &console) {
  const std::optional<quint16> destinationPort = ConnectionForm::portNumber(customSendPort());
  if (!destinationPort) {
    mirror_->reportStatus(u"Destination port must be 1–65535."_s);
    return;
  }
  quint16 listenPort = 0;
  if (console.transport == OSCTransport::udp) {
    const std::optional<quint16> port = ConnectionForm::portNumber(customListenPort());
    if (!port) {
      mirror_->reportStatus(u"UDP listen port must be 1–65535."_s);
      return;
    }
    listenPort = *port;
  }

  resetConnectionTest();
  // A console found on the network is not one to come back to at the next start.
  connectionForm_->forgetLastConnected();
  // Nor does an earlier press still waiting for the keychain connect after this.
  connectionForm_->abandonRelayKeyWaits();
  releaseOwnedFlash(u"Reconnect"_s);
  supervisor_->prepareServiceRoute(console.endpoint);
  resetSessionState(u"Connecting…"_s);

  ConsoleConnectionProfile settings;
  settings.id = QUuid::createUuid();
  settings.name = console.name;
  settings.host = console.endpoint.description();
  settings.transport = console.transport;
  settings.destinationPort = *destinationPort;
  settings.udpListenPort = listenPort;
  settings.tcpFraming = tcpFraming();
  supervisor_->followService(console.endpoint, settings, std::nullopt);
}

void AppViewModel::testConnection() {
  resetConnectionTest();
  const std::optional<ConsoleConnectionProfile> profile = makeConnectionSettings();
  if (!profile) {
    connectionTester_->reportStatus(
        connectionSettingsIssue().value_or(u"Invalid connection settings"_s));
    return;
  }
  // A UDP test listens on its listen port, which the active UDP session already holds.
  const std::optional<ConsoleConnectionProfile> &active = activeConnectionSettings();
  if (wantsConnection() && active && active->transport == OSCTransport::udp &&
      profile->transport == OSCTransport::udp && active->udpListenPort == profile->udpListenPort) {
    connectionTester_->reportStatus(
        u"Disconnect the active UDP session before testing this listen port. TCP tests use "
        u"an independent socket."_s);
    return;
  }
  connectionTester_->start(*profile, trimmedText(relayPairingCode()));
}

}  // namespace tarnik
