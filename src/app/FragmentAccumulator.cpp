#include "app/FragmentAccumulator.h"

#include <algorithm>

namespace tarnik {

bool FragmentAccumulator::insert(qint64 startField, const QList<OSCArgument> &values) {
  if (startField < 0 || values.isEmpty() || startField > totalFieldCount) return false;
  // Both sides are non-negative here, so the difference cannot overflow.
  if (totalFieldCount - startField < values.size()) return false;
  if (fields.empty()) fields.reserve(std::size_t(std::min<qint64>(totalFieldCount, 64)));
  // The run is ascending, so one search finds where it starts and the rest walks on.
  auto place = std::ranges::lower_bound(fields, startField, {}, &Field::first);
  for (qsizetype k = 0; k < values.size(); ++k, ++place) {
    const qint64 index = startField + k;
    if (place != fields.end() && place->first == index) {
      place->second = values[k];
    } else {
      place = fields.emplace(place, index, values[k]);
    }
  }
  return true;
}

std::optional<QList<OSCArgument>> FragmentAccumulator::completedFields() const {
  if (totalFieldCount < 1) return std::nullopt;
  // The list is sized from the fields actually held, never from the announced count.
  if (fields.size() != static_cast<quint64>(totalFieldCount)) return std::nullopt;
  QList<OSCArgument> ordered;
  ordered.reserve(static_cast<qsizetype>(fields.size()));
  qint64 expected = 0;
  for (const auto &[index, value] : fields) {
    if (index != expected++) return std::nullopt;
    ordered.append(value);
  }
  return ordered;
}

std::optional<QList<OSCArgument>> accumulateRecordSlice(
    QHash<QString, FragmentAccumulator> &fragments, const QString &key, qint64 totalFieldCount,
    qint64 start, const QList<OSCArgument> &arguments) {
  auto accumulator = fragments.find(key);
  const bool isNew = accumulator == fragments.end();
  if (isNew) {
    accumulator = fragments.insert(key, FragmentAccumulator{totalFieldCount, {}});
  } else if (accumulator->totalFieldCount != totalFieldCount) {
    return std::nullopt;
  }
  if (!accumulator->insert(start, arguments)) {
    if (isNew) fragments.erase(accumulator);
    return std::nullopt;
  }
  return accumulator->completedFields();
}

}  // namespace tarnik
