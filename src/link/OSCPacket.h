#pragma once

#include "link/OSCMessage.h"

#include <QByteArrayView>
#include <QList>

#include <optional>

namespace tarnik {

// Decoding of received OSC packets: one message, or a bundle flattened depth-first into its
// messages in order. Any fault anywhere discards the whole packet.
struct OSCPacket {
  // The largest packet the link decodes, sends or frames, and the largest bundle element.
  static constexpr qsizetype maximumPacketSize = 1'048'576;
  static constexpr qsizetype maximumBundleElements = 4'096;
  static constexpr int maximumBundleNesting = 8;

  static std::optional<QList<OSCMessage>> decode(QByteArrayView packet);
  // True when the packet starts with the bundle marker, so decode() reads it as a bundle.
  static bool isBundle(QByteArrayView packet);
  // depth is 0 for a bundle that is the whole packet.
  static std::optional<QList<OSCMessage>> decodeBundle(QByteArrayView bundle, int depth);
};

}  // namespace tarnik
