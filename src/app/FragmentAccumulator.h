#pragma once

#include "link/OSCArgument.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <bitset>
#include <optional>

namespace tarnik {

// Collects the fields of one console record that arrives as several list-reply slices, in
// any order and possibly overlapping, until every field is present.
struct FragmentAccumulator {
  // A console record has a few dozen fields; one announced with more is not one of them,
  // so an announced count never decides how much memory a reply takes.
  static constexpr qint64 maximumFieldCount = 64;

  qint64 totalFieldCount = 0;  // as the console announced it
  // Field k at position k, sized to the announced count on the first slice that fits. A
  // list, so that a completed record is handed out without copying a field; a sync reads
  // thousands of records slice by slice.
  QList<OSCArgument> fields{};
  std::bitset<maximumFieldCount> received{};
  qint64 receivedCount = 0;

  // Stores values[k] at field startField + k, replacing what is there. Refuses without a
  // change when the announced count is above maximumFieldCount, the start is negative, the
  // run is empty, or the run does not fit inside totalFieldCount; the bound is checked
  // without overflow, so a start near the 64-bit limit is refused, never wrapped.
  bool insert(qint64 startField, const QList<OSCArgument> &values);

  // Fields 0 to totalFieldCount - 1 in order once every one is present; nothing before that,
  // and nothing ever for a count below 1.
  std::optional<QList<OSCArgument>> completedFields() const;
};

// The table keys of a record: "1/<cue>/0" for a cue of list 1, part 0, and
// "<channel>/<part>" for a patch row. Each is built in one allocation, as a sync makes one
// per slice.
QString cueRecordKey(QStringView cueNumber);
QString patchRecordKey(qint64 channel, qint64 part);

// Puts one reply's slice into the record's accumulator under `key` and gives the whole
// record once every field is in. A slice that does not fit the record, or a record
// announced with another size than the one started, is dropped and leaves the table as it was.
std::optional<QList<OSCArgument>> accumulateRecordSlice(
    QHash<QString, FragmentAccumulator> &fragments, const QString &key, qint64 totalFieldCount,
    qint64 start, const QList<OSCArgument> &arguments);

}  // namespace tarnik
