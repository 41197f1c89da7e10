#include "link/OSCPacket.h"

#include <cstring>

namespace tarnik {

namespace {

constexpr char bundleMarker[8] = {'#', 'b', 'u', 'n', 'd', 'l', 'e', '\0'};
constexpr qsizetype bundleHeaderSize = 16;  // marker and time tag

// Appends the bundle's messages depth-first to messages; false on any fault, in which case
// the caller drops the whole list.
bool appendBundleMessages(QByteArrayView bundle, int depth, QList<OSCMessage> &messages) {
  if (!OSCPacket::isBundle(bundle) || bundle.size() < bundleHeaderSize) return false;
  const qsizetype messagesBefore = messages.size();
  qsizetype cursor = bundleHeaderSize;  // the time tag is never read
  qsizetype budget = OSCPacket::maximumBundleElements;
  while (cursor != bundle.size()) {
    if (budget-- == 0) return false;
    const std::optional<quint32> size = OSCMessage::readInt32(bundle, cursor);
    if (!size || *size == 0 || *size > OSCPacket::maximumPacketSize) return false;
    if (qsizetype(*size) > bundle.size() - cursor) return false;
    const QByteArrayView element = bundle.sliced(cursor, *size);
    cursor += *size;
    if (depth + 1 > OSCPacket::maximumBundleNesting) return false;
    if (OSCPacket::isBundle(element)) {
      if (!appendBundleMessages(element, depth + 1, messages)) return false;
    } else {
      std::optional<OSCMessage> message = OSCMessage::decode(element);
      if (!message) return false;
      messages.append(std::move(*message));
    }
  }
  return messages.size() > messagesBefore;
}

}  // namespace

bool OSCPacket::isBundle(QByteArrayView packet) {
  return packet.size() >= 8 && std::memcmp(packet.data(), bundleMarker, 8) == 0;
}

std::optional<QList<OSCMessage>> OSCPacket::decode(QByteArrayView packet) {
  if (packet.isEmpty() || packet.size() > maximumPacketSize) return std::nullopt;
  if (OSCPacket::isBundle(packet)) return decodeBundle(packet, 0);
  std::optional<OSCMessage> message = OSCMessage::decode(packet);
  if (!message) return std::nullopt;
  QList<OSCMessage> messages(1);
  messages[0] = std::move(*message);
  return messages;
}

std::optional<QList<OSCMessage>> OSCPacket::decodeBundle(QByteArrayView bundle, int depth) {
  QList<OSCMessage> messages;
  if (!appendBundleMessages(bundle, depth, messages)) return std::nullopt;
  return messages;
}

}  // namespace tarnik
