#pragma once

#include "link/OSCArgument.h"
#include "link/OSCPacket.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <bitset>
#include <optional>
#include <utility>
#include <vector>

namespace tarnik {

// Collects the fields of one console record that arrives as several list-reply slices, in
// any order and possibly overlapping, until every field is present.
struct FragmentAccumulator {
  // The fields kept: more than any record the model reads has. Fields past them (newer
  // console software) are only counted, so a record in flight takes the same memory
  // whatever count it announces.
  static constexpr qint64 keptFieldCount = 64;
  // The largest count a record may announce: every argument takes at least its one type-tag
  // byte, so no packet carries more fields than this.
  static constexpr qint64 maximumFieldCount = OSCPacket::maximumPacketSize;
  // Separate runs of counted fields past the kept ones; slices that would leave more gaps
  // than this are refused, which bounds the memory an overlapping or scattered record takes.
  static constexpr std::size_t maximumCountedRuns = 16;

  qint64 totalFieldCount = 0;  // as the console announced it
  // Field k at position k for the kept fields, sized on the first slice that fits. A list,
  // so that a completed record is handed out without copying a field; a sync reads
  // thousands of records slice by slice.
  QList<OSCArgument> fields{};
  std::bitset<keptFieldCount> received{};
  qint64 receivedCount = 0;  // of the kept fields
  // The fields past the kept ones that have arrived, as sorted, disjoint [first, end) runs.
  std::vector<std::pair<qint64, qint64>> countedRuns{};

  // Stores values[k] at field startField + k, replacing what is there. Refuses without a
  // change when the announced count is above maximumFieldCount, the start is negative, the
  // run is empty, the run does not fit inside totalFieldCount, or it would leave more than
  // maximumCountedRuns runs; the bound is checked without overflow, so a start near the
  // 64-bit limit is refused, never wrapped.
  bool insert(qint64 startField, const QList<OSCArgument> &values);

  // The kept fields (all of them, up to keptFieldCount) in order once every field of the
  // record is present; nothing before that, and nothing ever for a count below 1.
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
