#include "link/OSCTCPFramer.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <utility>

namespace tarnik {

namespace {

constexpr unsigned char slipEnd = 0xC0;
constexpr unsigned char slipEscape = 0xDB;
constexpr unsigned char slipEscapedEnd = 0xDC;
constexpr unsigned char slipEscapedEscape = 0xDD;

bool isSLIPSpecial(char byte) {
  const auto value = static_cast<unsigned char>(byte);
  return value == slipEnd || value == slipEscape;
}

}  // namespace

OSCTCPFramerError OSCTCPFramerError::invalidFrameLength(qint64 length) {
  return {Kind::invalidFrameLength, length, 0};
}

OSCTCPFramerError OSCTCPFramerError::invalidSLIPEscape(quint8 byte) {
  return {Kind::invalidSLIPEscape, 0, byte};
}

OSCTCPFramerError OSCTCPFramerError::bufferLimitExceeded() {
  return {Kind::bufferLimitExceeded, 0, 0};
}

QString OSCTCPFramerError::text() const {
  switch (kind) {
    case Kind::invalidFrameLength:
      return QStringLiteral("invalidFrameLength(%1)").arg(length);
    case Kind::invalidSLIPEscape:
      return QStringLiteral("invalidSLIPEscape(%1)").arg(byte);
    case Kind::bufferLimitExceeded:
      return QStringLiteral("bufferLimitExceeded");
  }
  Q_UNREACHABLE();
}

OSCTCPFramer::OSCTCPFramer(OSCTCPFraming framing) : framing_(framing) {}

void OSCTCPFramer::reset() {
  buffer_.clear();
  slipEscapePending_ = false;
}

std::expected<QList<QByteArray>, OSCTCPFramerError> OSCTCPFramer::fail(OSCTCPFramerError error) {
  reset();
  return std::unexpected(error);
}

std::expected<QList<QByteArray>, OSCTCPFramerError> OSCTCPFramer::append(QByteArrayView bytes) {
  if (bytes.isEmpty()) return QList<QByteArray>{};
  if (framing_ == OSCTCPFraming::slip) return appendSLIP(bytes);
  QList<QByteArray> packets;
  if (std::optional<OSCTCPFramerError> error = appendPacketLength(
          bytes, [&packets](QByteArrayView packet) { packets.append(packet.toByteArray()); })) {
    return std::unexpected(*error);
  }
  return packets;
}

std::optional<OSCTCPFramerError> OSCTCPFramer::appendEach(
    QByteArrayView bytes, const std::function<void(QByteArrayView)> &take) {
  if (bytes.isEmpty()) return std::nullopt;
  if (framing_ == OSCTCPFraming::packetLength) return appendPacketLength(bytes, take);
  auto packets = appendSLIP(bytes);
  if (!packets) return packets.error();
  for (const QByteArray &packet : *packets) take(packet);
  return std::nullopt;
}

std::optional<OSCTCPFramerError> OSCTCPFramer::appendPacketLength(
    QByteArrayView bytes, const std::function<void(QByteArrayView)> &take) {
  // Checked before anything is taken, so a peer cannot grow the buffer by sending frames
  // faster than they are read.
  if (buffer_.size() + bytes.size() > maximumPacketLengthBuffer) {
    reset();
    return OSCTCPFramerError::bufferLimitExceeded();
  }

  // With nothing buffered, frames are cut straight from the input and only an unfinished
  // tail is kept.
  const bool fromInput = buffer_.isEmpty();
  if (!fromInput) buffer_.append(bytes);
  const QByteArrayView stream = fromInput ? bytes : QByteArrayView(buffer_);

  // Every length is checked before the first packet is handed on: a bad frame drops the
  // packets before it in the same bytes too.
  qsizetype complete = 0;
  while (stream.size() - complete >= 4) {
    const quint32 length = qFromBigEndian<quint32>(stream.data() + complete);
    if (length == 0 || length > OSCPacket::maximumPacketSize) {
      reset();
      return OSCTCPFramerError::invalidFrameLength(length);
    }
    if (stream.size() - complete - 4 < qsizetype(length)) break;
    complete += 4 + qsizetype(length);
  }
  for (qsizetype offset = 0; offset < complete;) {
    const quint32 length = qFromBigEndian<quint32>(stream.data() + offset);
    take(stream.sliced(offset + 4, length));
    offset += 4 + qsizetype(length);
  }
  if (fromInput) {
    buffer_ = stream.sliced(complete).toByteArray();
  } else {
    buffer_.remove(0, complete);
  }
  return std::nullopt;
}

std::expected<QList<QByteArray>, OSCTCPFramerError> OSCTCPFramer::appendSLIP(QByteArrayView bytes) {
  QList<QByteArray> packets;
  const char *next = bytes.data();
  const char *const end = next + bytes.size();
  while (next != end) {
    if (slipEscapePending_) {
      const auto partner = static_cast<unsigned char>(*next++);
      char data = 0;
      if (partner == slipEscapedEscape) {
        data = char(slipEscape);
      } else if (partner == slipEscapedEnd) {
        data = char(slipEnd);
      } else {
        return fail(OSCTCPFramerError::invalidSLIPEscape(partner));
      }
      slipEscapePending_ = false;
      if (buffer_.size() >= OSCPacket::maximumPacketSize)
        return fail(OSCTCPFramerError::bufferLimitExceeded());
      buffer_.append(data);
      continue;
    }
    // Copy each run of plain data bytes at once.
    const char *runEnd = next;
    while (runEnd != end && !isSLIPSpecial(*runEnd)) ++runEnd;
    if (runEnd != next) {
      if (buffer_.size() + (runEnd - next) > OSCPacket::maximumPacketSize)
        return fail(OSCTCPFramerError::bufferLimitExceeded());
      buffer_.append(next, runEnd - next);
      next = runEnd;
      continue;
    }
    if (static_cast<unsigned char>(*next++) == slipEscape) {
      slipEscapePending_ = true;
    } else if (!buffer_.isEmpty()) {
      // END closes a frame; an END with nothing before it (the one that opens a frame)
      // closes nothing.
      packets.append(std::exchange(buffer_, QByteArray()));
    }
  }
  return packets;
}

std::expected<QByteArray, OSCTCPFramerError> OSCTCPFramer::frame(QByteArrayView packet,
                                                                 OSCTCPFraming framing) {
  if (packet.isEmpty() || packet.size() > OSCPacket::maximumPacketSize) {
    return std::unexpected(OSCTCPFramerError::invalidFrameLength(packet.size()));
  }
  if (framing == OSCTCPFraming::packetLength) {
    QByteArray framed(4 + packet.size(), Qt::Uninitialized);
    qToBigEndian(quint32(packet.size()), framed.data());
    std::memcpy(framed.data() + 4, packet.data(), packet.size());
    return framed;
  }
  const qsizetype specials = std::count_if(packet.begin(), packet.end(), isSLIPSpecial);
  QByteArray framed(packet.size() + specials + 2, Qt::Uninitialized);
  char *out = framed.data();
  *out++ = char(slipEnd);
  for (char byte : packet) {
    if (static_cast<unsigned char>(byte) == slipEnd) {
      *out++ = char(slipEscape);
      *out++ = char(slipEscapedEnd);
    } else if (static_cast<unsigned char>(byte) == slipEscape) {
      *out++ = char(slipEscape);
      *out++ = char(slipEscapedEscape);
    } else {
      *out++ = byte;
    }
  }
  *out = char(slipEnd);
  return framed;
}

}  // namespace tarnik
