#pragma once

#include "foundation/OSCTransportKinds.h"
#include "link/OSCEndpoint.h"

#include <QString>

#include <optional>

namespace tarnik {

// Where a side session (Live control, park, a patch write) connects: the console the main
// connection uses, with its framing and relay pairing code.
struct SideSessionRoute {
  OSCEndpoint endpoint;
  OSCTCPFraming framing = OSCTCPFraming::packetLength;
  std::optional<QString> relayKey;
};

}  // namespace tarnik
