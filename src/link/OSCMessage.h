#pragma once

#include "link/OSCArgument.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace tarnik {

// One OSC 1.0 message: an address and its arguments.
struct OSCMessage {
  QString address;
  QList<OSCArgument> arguments;

  // The bytes of one OSC packet holding this message. Empty when the message cannot be
  // written: a blob of 2^31 bytes or more, or a text (address or string argument) holding
  // U+0000, which would end the field early and shift every field behind it.
  QByteArray encoded() const;

  // The UTF-8 bytes of the text, one NUL, then NUL padding up to a multiple of 4.
  static QByteArray encodePaddedString(const QString &text);

  // Decodes exactly one message; anything malformed or left over gives nothing.
  static std::optional<OSCMessage> decode(QByteArrayView bytes);

  // Field readers over bytes starting at the cursor. On success the cursor has moved past
  // the field; on failure it is left where it was.
  static std::optional<QString> readPaddedString(QByteArrayView bytes, qsizetype &cursor);
  static std::optional<quint32> readInt32(QByteArrayView bytes, qsizetype &cursor);
  static std::optional<QByteArray> readBlob(QByteArrayView bytes, qsizetype &cursor);

  // Canonically equivalent addresses and pairwise equal arguments.
  friend bool operator==(const OSCMessage &lhs, const OSCMessage &rhs);
};

}  // namespace tarnik

// Holds nothing that points into itself, so lists may move it with memmove.
Q_DECLARE_TYPEINFO(tarnik::OSCMessage, Q_RELOCATABLE_TYPE);
