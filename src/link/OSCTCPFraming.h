#pragma once

// The framing choice itself lives in foundation, beside the transport, because stored
// connection profiles carry it too; this adds what the link needs on top.
#include "foundation/OSCTransportKinds.h"

#include <QStringView>

#include <optional>

namespace tarnik {

// The framing whose raw value ("packetLength" or "slip") this is; nothing for any other text.
std::optional<OSCTCPFraming> oscTCPFramingFromRawValue(QStringView raw);

}  // namespace tarnik
