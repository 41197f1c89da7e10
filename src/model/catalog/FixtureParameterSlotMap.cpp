#include "model/catalog/FixtureParameterSlotMap.h"

#include <QSet>

namespace tarnik {

QHash<QString, QList<int>> FixtureParameterSlotMap::offsetsByParameterName() const {
  QHash<QString, QList<int>> offsets;
  QHash<QString, QSet<int>> seen;
  for (const FixtureParameterSlotMapping &mapping : mappings) {
    QList<int> &kept = offsets[mapping.parameter.name];
    QSet<int> &keptSet = seen[mapping.parameter.name];
    for (const int offset : mapping.relativeOffsets) {
      if (keptSet.contains(offset)) continue;
      keptSet.insert(offset);
      kept.append(offset);
    }
  }
  return offsets;
}

std::optional<QList<qint64>> FixtureParameterSlotMap::absoluteSlots(QStringView parameterName,
                                                                    qint64 start,
                                                                    qint64 end) const {
  if (start < 1 || end < start) return std::nullopt;
  const QHash<QString, QList<int>> offsets = offsetsByParameterName();
  const auto found = offsets.constFind(parameterName.toString());
  if (found == offsets.constEnd()) return std::nullopt;
  QList<qint64> absolute;
  absolute.reserve(found->size());
  for (const int offset : *found) {
    // Compared as a distance from start before adding, so a part patched near the top of
    // the 64-bit range cannot overflow the sum.
    if (offset < 1 || offset - 1 > end - start) return std::nullopt;
    absolute.append(start + (offset - 1));
  }
  return absolute;
}

}  // namespace tarnik
