#pragma once

#include "link/OSCArgument.h"
#include "model/Channel.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace tarnik {

// A patch row of a patch list reply has this many fields; the reply carries them in slices.
inline constexpr qsizetype patchReplyFieldCount = 21;

// One patch row as the console lists it, staged until every row of a channel is known.
struct PatchPart {
  qint64 channelNumber = 0;
  qint64 partNumber = 0;
  QString label{};
  QString manufacturer{};
  QString model{};
  QString startAddress{};  // as the console reports it
  QString endAddress{};
  std::optional<qint64> partCount{};
  QString intensityAddress{};
  QString uid{};
  qint64 snapshotLevel = 0;  // the channel level read with the row, 0 to 100

  friend bool operator==(const PatchPart &, const PatchPart &) = default;
};

// An absolute DMX address as "universe/address" with 512 addresses per universe (513 is
// "2/1"); the empty text for 0 or below.
QString absoluteAddressText(qint64 absoluteAddress);

// An address sent as text: trimmed; a "universe/address" text is kept, a decimal integer is
// taken as an absolute address, anything else is kept trimmed.
QString addressTextFromString(const QString &text);

// The address in the field at the index: an int as an absolute address, a float truncated
// toward zero first, a string as above; the empty text for any other kind, an unreadable
// float, or an index outside the fields.
QString addressFieldText(const QList<OSCArgument> &fields, qsizetype index);

// The staged row of a completed record. Nothing for a short record or a channel below 1.
std::optional<PatchPart> makePatchPart(const QList<OSCArgument> &fields, qint64 channelNumber,
                                       qint64 partNumber);

// The channel made of its staged rows, its level snapshot taken at `now` (seconds since
// 2001-01-01).
Channel makeChannel(qint64 channelNumber, QList<PatchPart> rows, double now);

}  // namespace tarnik
