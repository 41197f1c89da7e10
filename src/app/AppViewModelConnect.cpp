#include "app/AppViewModel.h"
#include "foundation/TextRules.h"

using namespace Qt::StringLiterals;

namespace tarnik {

void AppViewModel::connect() { connect(SettingsStore::SetBy::person); }

void AppViewModel::connect(SettingsStore::SetBy by) {
  // A press while the pairing code is still on its way to the keychain is the same press
  // again: the first one goes on when the keychain answers.
  if (connectionForm_->isStoringRelayKey()) return;
  // The selected relay profile's code is still being read: the press goes on once it is in.
  if (connectionForm_->waitForRelayKeyLoad([this, by] { connect(by); })) return;
  const std::optional<ConsoleConnectionProfile> settings = makeConnectionSettings();
  if (!settings) {
    mirror_->reportStatus(connectionSettingsIssue().value_or(u"Invalid connection settings"_s));
    return;
  }

  const auto connectWith = [this, by,
                            settings = *settings](const std::optional<QString> &relayKey) {
    resetConnectionTest();
    // Whether or not the flash could be released, the user asked to connect.
    releaseOwnedFlash(u"Reconnect"_s);
    connectionForm_->rememberLastConnected(settings, by);
    supervisor_->connectTo(settings, relayKey);
  };
  if (!settings->usesMacRelay.value_or(false)) {
    connectWith(std::nullopt);
    return;
  }
  // The relay's code goes into the keychain before anything changes: a code that cannot be
  // kept leaves the running connection, if any, as it is.
  const QString relayKey = trimmedText(relayPairingCode());
  connectionForm_->storeRelayKey(
      relayKey, settings->id, [this, relayKey, connectWith](const auto &stored) {
        if (!stored) {
          mirror_->reportStatus(u"Could not save pairing code in Keychain: "_s +
                                stored.error().description());
          return;
        }
        connectWith(relayKey);
      });
}

}  // namespace tarnik
