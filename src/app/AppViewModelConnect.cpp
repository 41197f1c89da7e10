#include "app/AppViewModel.h"
#include "foundation/TextRules.h"

using namespace Qt::StringLiterals;

namespace tarnik {

void AppViewModel::connect() {
  const std::optional<ConsoleConnectionProfile> settings = makeConnectionSettings();
  if (!settings) {
    mirror_->reportStatus(connectionSettingsIssue().value_or(u"Invalid connection settings"_s));
    return;
  }

  // The relay's code goes into the keychain before anything changes: a code that cannot be
  // kept leaves the running connection, if any, as it is.
  std::optional<QString> relayKey;
  if (settings->usesMacRelay.value_or(false)) {
    relayKey = trimmedText(relayPairingCode());
    if (const auto stored = connectionForm_->storeRelayKey(*relayKey, settings->id); !stored) {
      mirror_->reportStatus(u"Could not save pairing code in Keychain: "_s +
                            stored.error().description());
      return;
    }
  }

  resetConnectionTest();
  // Whether or not the flash could be released, the user asked to connect.
  releaseOwnedFlash(u"Reconnect"_s);
  connectionForm_->rememberLastConnected(*settings);
  supervisor_->connectTo(*settings, relayKey);
}

}  // namespace tarnik
