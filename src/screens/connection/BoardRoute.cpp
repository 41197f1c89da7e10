#include "screens/connection/BoardRoute.h"

namespace tarnik {

bool canUseBoardRoute(bool consoleReachable,
                      const std::optional<ConsoleConnectionProfile> &activeSettings,
                      const QString &pairingKey) {
  if (!consoleReachable || !activeSettings) {
    return false;
  }
  if (activeSettings->transport != OSCTransport::tcp) {
    return false;
  }
  if (activeSettings->usesMacRelay.value_or(false)) {
    return false;
  }
  return !pairingKey.isEmpty();
}

}  // namespace tarnik
