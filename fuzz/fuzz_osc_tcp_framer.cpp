// Feeds arbitrary bytes to a TCP framer. The first byte picks the framing and how the rest
// is cut into inputs; the same stream fed one byte at a time must give the same packets
// (fewer only where an error dropped them) and the same first error, the buffer must stay within
// its bound, and every packet must come back unchanged through frame() and a fresh framer.

#include "link/OSCTCPFramer.h"

#include <cstdint>
#include <cstdlib>

using namespace tarnik;

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

struct Outcome {
  QList<QByteArray> packets;
  std::optional<OSCTCPFramerError> error;
};

template <typename NextCut>
Outcome feed(OSCTCPFraming framing, QByteArrayView stream, NextCut nextCut) {
  const qsizetype bound = framing == OSCTCPFraming::packetLength
                              ? OSCTCPFramer::maximumPacketLengthBuffer
                              : OSCPacket::maximumPacketSize;
  OSCTCPFramer framer(framing);
  Outcome outcome;
  for (qsizetype at = 0; at < stream.size();) {
    const qsizetype length = std::min(nextCut(), stream.size() - at);
    const auto result = framer.append(stream.sliced(at, length));
    at += length;
    if (!result) {
      require(framer.bufferedSize() == 0);
      outcome.error = result.error();
      return outcome;
    }
    require(framer.bufferedSize() <= bound);
    for (const QByteArray &packet : *result) {
      require(!packet.isEmpty() && packet.size() <= OSCPacket::maximumPacketSize);
      outcome.packets += packet;
    }
  }
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 1) return 0;
  const OSCTCPFraming framing = (data[0] & 1) ? OSCTCPFraming::slip : OSCTCPFraming::packetLength;
  const qsizetype cutSeed = (data[0] >> 1) + 1;
  const QByteArrayView stream(data + 1, qsizetype(size - 1));

  qsizetype step = 0;
  const Outcome chunked = feed(framing, stream, [&] { return (step++ * 7 + cutSeed) % 61 + 1; });
  const Outcome bytewise = feed(framing, stream, [] { return qsizetype(1); });
  require(chunked.error == bytewise.error);
  // Packets finished in the same input as an error are dropped with it.
  if (chunked.error) {
    require(chunked.packets.size() <= bytewise.packets.size());
    require(bytewise.packets.first(chunked.packets.size()) == chunked.packets);
  } else {
    require(chunked.packets == bytewise.packets);
  }

  for (const QByteArray &packet : chunked.packets) {
    const auto framed = OSCTCPFramer::frame(packet, framing);
    require(framed.has_value());
    OSCTCPFramer fresh(framing);
    require(fresh.append(*framed) == QList<QByteArray>{packet});
  }
  return 0;
}
