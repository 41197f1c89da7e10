#include "model/PatchIndex.h"

#include "foundation/TextRules.h"

#include <algorithm>
#include <tuple>

namespace tarnik {

PatchIndex::PatchIndex(QList<EosPatchPart> parts) {
  std::ranges::stable_sort(parts, {}, &EosPatchPart::id);
  records_.reserve(std::size_t(parts.size()));
  for (const EosPatchPart &part : std::as_const(parts)) {
    Record record{.id = part.id()};
    if (!trimmedText(part.address).isEmpty() || !trimmedText(part.addressEnd).isEmpty()) {
      const std::optional<EosDMXRange> range = part.occupiedRange();
      record.occupancy = range ? Occupancy::range : Occupancy::unknown;
      record.range = range.value_or(EosDMXRange{});
    }
    if (!records_.empty() && records_.back().id == record.id) {
      records_.back() = record;
      duplicates_.append(record.id);
    } else {
      records_.push_back(record);
    }
  }

  for (std::size_t position = 0; position < records_.size(); ++position) {
    const Record &record = records_[position];
    if (record.occupancy == Occupancy::unknown) unknownRanges_.push_back(position);
    if (record.occupancy != Occupancy::range) continue;
    byAddress_.push_back({.universe = record.range.universe,
                          .start = record.range.start,
                          .end = record.range.end,
                          .record = position});
  }
  std::ranges::sort(byAddress_, {},
                    [](const Placed &placed) { return std::tuple(placed.universe, placed.start); });
  for (std::size_t index = 0; index < byAddress_.size(); ++index) {
    Placed &placed = byAddress_[index];
    const bool continuesUniverse = index > 0 && byAddress_[index - 1].universe == placed.universe;
    placed.furthestEnd =
        continuesUniverse ? std::max(byAddress_[index - 1].furthestEnd, placed.end) : placed.end;
  }
}

std::optional<std::size_t> PatchIndex::position(const EosPatchPart::ID &id) const {
  const auto found = std::ranges::lower_bound(records_, id, {}, &Record::id);
  if (found == records_.end() || found->id != id) return std::nullopt;
  return std::size_t(found - records_.begin());
}

void PatchIndex::appendOverlapping(qint64 universe, qint64 first, qint64 last,
                                   std::vector<std::size_t> &positions) const {
  // Every range that starts after `last` misses; of those before, walk back until none can
  // reach `first` any more.
  auto after = std::ranges::upper_bound(
      byAddress_, std::tuple(universe, last), {},
      [](const Placed &placed) { return std::tuple(placed.universe, placed.start); });
  while (after != byAddress_.begin()) {
    const Placed &placed = *--after;
    if (placed.universe != universe || placed.furthestEnd < first) return;
    if (placed.end >= first) positions.push_back(placed.record);
  }
}

}  // namespace tarnik
