// Decodes arbitrary bytes as one received OSC packet. Whatever decodes must encode again,
// decode to an equal message, and, for a packet that is a single message, give back the
// very bytes it came from.

#include "link/OSCPacket.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <variant>

using namespace tarnik;

namespace {

bool holdsNaN(const OSCMessage &message) {
  for (const OSCArgument &argument : message.arguments) {
    if (const float *value = std::get_if<float>(&argument.value); value && std::isnan(*value))
      return true;
  }
  return false;
}

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QByteArrayView packet(data, qsizetype(size));
  const std::optional<QList<OSCMessage>> messages = OSCPacket::decode(packet);
  if (!messages) return 0;
  require(!messages->isEmpty());
  const bool isBundle = packet.startsWith(QByteArrayView("#bundle", 8));
  require(isBundle || messages->size() == 1);
  for (const OSCMessage &message : *messages) {
    // Decoded texts end at their NUL and decoded blobs are small, so every decoded message
    // can be written again.
    const QByteArray encoded = message.encoded();
    require(!encoded.isEmpty());
    if (!isBundle) require(encoded == packet);
    const std::optional<OSCMessage> again = OSCMessage::decode(encoded);
    require(again.has_value());
    require(again->encoded() == encoded);
    if (!holdsNaN(message)) require(*again == message);
  }
  return 0;
}
