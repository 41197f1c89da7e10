#pragma once

#include "link/OSCArgument.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>
#include <utility>
#include <vector>

namespace tarnik {

// Collects the fields of one console record that arrives as several list-reply slices, in
// any order and possibly overlapping, until every field is present.
struct FragmentAccumulator {
  qint64 totalFieldCount = 0;  // as the console announced it
  // The fields received so far, by field index, ascending. Kept flat: a record has a few
  // dozen fields, and a sync reads thousands of records slice by slice.
  using Field = std::pair<qint64, OSCArgument>;
  std::vector<Field> fields{};

  // Stores values[k] at field startField + k, replacing what is there. Refuses without a
  // change when the start is negative, the run is empty, or the run does not fit inside
  // totalFieldCount; the bound is checked without overflow, so a start near the 64-bit limit
  // is refused, never wrapped.
  bool insert(qint64 startField, const QList<OSCArgument> &values);

  // Fields 0 to totalFieldCount - 1 in order once every one is present; nothing before that,
  // and nothing ever for a count below 1.
  std::optional<QList<OSCArgument>> completedFields() const;
};

// Puts one reply's slice into the record's accumulator under `key` and gives the whole
// record once every field is in. A slice that does not fit the record, or a record
// announced with another size than the one started, is dropped and leaves the table as it was.
std::optional<QList<OSCArgument>> accumulateRecordSlice(
    QHash<QString, FragmentAccumulator> &fragments, const QString &key, qint64 totalFieldCount,
    qint64 start, const QList<OSCArgument> &arguments);

}  // namespace tarnik
