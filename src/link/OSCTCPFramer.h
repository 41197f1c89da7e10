#pragma once

#include "foundation/OSCTransportKinds.h"
#include "link/OSCPacket.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <expected>
#include <functional>
#include <optional>

namespace tarnik {

struct OSCTCPFramerError {
  enum class Kind { invalidFrameLength, invalidSLIPEscape, bufferLimitExceeded };
  Kind kind;
  qint64 length = 0;  // invalidFrameLength only
  quint8 byte = 0;    // invalidSLIPEscape only

  static OSCTCPFramerError invalidFrameLength(qint64 length);
  static OSCTCPFramerError invalidSLIPEscape(quint8 byte);
  static OSCTCPFramerError bufferLimitExceeded();

  // "invalidFrameLength(0)", "invalidSLIPEscape(65)", "bufferLimitExceeded".
  QString text() const;

  friend bool operator==(const OSCTCPFramerError &, const OSCTCPFramerError &) = default;
};

// Splits a received TCP byte stream into OSC packets, and frames outgoing packets.
class OSCTCPFramer {
 public:
  // Two largest frames with their length prefixes.
  static constexpr qsizetype maximumPacketLengthBuffer = 2 * (OSCPacket::maximumPacketSize + 4);

  explicit OSCTCPFramer(OSCTCPFraming framing);

  OSCTCPFraming framing() const { return framing_; }

  // The packets these bytes completed, in order. On an error the framer has been reset and
  // packets completed earlier in the same call are dropped.
  std::expected<QList<QByteArray>, OSCTCPFramerError> append(QByteArrayView bytes);
  // As append(), but hands each packet to take as it is cut, without a copy where the
  // framing allows; a view lasts for its call only.
  std::optional<OSCTCPFramerError> appendEach(QByteArrayView bytes,
                                              const std::function<void(QByteArrayView)> &take);
  // Forgets any partial frame; the framing is kept.
  void reset();

  static std::expected<QByteArray, OSCTCPFramerError> frame(QByteArrayView packet,
                                                            OSCTCPFraming framing);

  // Bytes held for frames not yet complete (packet-length: still prefixed; SLIP: decoded).
  qsizetype bufferedSize() const { return buffer_.size(); }

 private:
  std::optional<OSCTCPFramerError> appendPacketLength(
      QByteArrayView bytes, const std::function<void(QByteArrayView)> &take);
  std::expected<QList<QByteArray>, OSCTCPFramerError> appendSLIP(QByteArrayView bytes);
  std::expected<QList<QByteArray>, OSCTCPFramerError> fail(OSCTCPFramerError error);

  OSCTCPFraming framing_;
  QByteArray buffer_;
  bool slipEscapePending_ = false;
};

}  // namespace tarnik
