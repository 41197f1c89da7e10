#pragma once

#include "model/ConsoleConnectionProfile.h"

#include <QString>

#include <optional>

namespace tarnik {

// Whether the phone relay and the controller may use the console route: a reachable
// console, active settings over TCP that do not already go through a relay, and a pairing
// code. Checked in that order.
bool canUseBoardRoute(bool consoleReachable,
                      const std::optional<ConsoleConnectionProfile> &activeSettings,
                      const QString &pairingKey);

}  // namespace tarnik
