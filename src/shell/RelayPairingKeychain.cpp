#include "shell/RelayPairingKeychain.h"

namespace tarnik {

namespace {
const QString account = QStringLiteral("server");
}  // namespace

RelayPairingKeychain RelayPairingKeychain::relaySecurity() {
  return {
      [] { return TarnikRelaySecurity::loadPairingCode(account); },
      [](const QString &code) { return TarnikRelaySecurity::storePairingCode(code, account); },
      [] { return TarnikRelaySecurity::makePairingCode(); },
  };
}

}  // namespace tarnik
