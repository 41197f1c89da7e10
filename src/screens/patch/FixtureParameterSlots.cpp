#include "screens/patch/FixtureParameterSlots.h"

#include "model/EosDMXRange.h"
#include "operations/FixtureControlState.h"

#include <algorithm>

namespace tarnik {

namespace {

std::optional<EosDMXRange> absoluteRange(const EosDMXRange &range) {
  const std::optional<qint64> start = absoluteDMXSlot(range.universe, range.start);
  const std::optional<qint64> end = absoluteDMXSlot(range.universe, range.end);
  if (!start || !end) return std::nullopt;
  return EosDMXRange{range.universe, *start, *end};
}

FixtureParameterPartDMX::Value intensityValue(const EosPatchPart &part) {
  using Value = FixtureParameterPartDMX::Value;
  if (!part.intensityAddress) return Value::unknown();
  const std::optional<EosDMXRange> range = EosDMXRange::parse(*part.intensityAddress);
  if (!range || range->start != range->end) return Value::unknown();
  const std::optional<qint64> slot = absoluteDMXSlot(range->universe, range->start);
  return slot ? Value::slotList({*slot}) : Value::unknown();
}

}  // namespace

FixtureParameterPartDMX::Value resolveParameterPartDMX(const QString &parameterName,
                                                       const EosPatchPart &part,
                                                       const FixtureParameterSlotMap *slotMap) {
  using Value = FixtureParameterPartDMX::Value;
  if (isIntensityParameterName(parameterName)) return intensityValue(part);
  if (!slotMap) return Value::unknown();
  const std::optional<EosDMXRange> occupied = part.occupiedRange();
  if (!occupied) return Value::unknown();
  if (slotMap->totalFootprint && *slotMap->totalFootprint != occupied->end - occupied->start + 1)
    return Value::unknown();

  QList<int> offsets;
  for (const FixtureParameterSlotMapping &mapping : slotMap->mappings)
    if (mapping.parameter.name == parameterName) offsets.append(mapping.relativeOffsets);
  if (!offsets.isEmpty() && std::ranges::all_of(offsets, [](int offset) { return offset < 0; }))
    return Value::virtualSlot();

  const std::optional<EosDMXRange> absolute = absoluteRange(*occupied);
  if (!absolute) return Value::unknown();
  std::optional<QList<qint64>> found =
      slotMap->absoluteSlots(parameterName, absolute->start, absolute->end);
  // A name whose mappings carry no offsets has no slot to show; it stays unknown rather
  // than showing an empty DMX line.
  if (!found || found->isEmpty()) return Value::unknown();
  return Value::slotList(std::move(*found));
}

FixtureParameterDMXByName resolveFixtureParameterDMX(const QStringList &parameterNames,
                                                     const QList<EosPatchPart> &parts,
                                                     const FixtureParameterSlotMaps &slotMaps) {
  FixtureParameterDMXByName dmxByName;
  if (parts.isEmpty()) return dmxByName;
  for (const QString &name : parameterNames) {
    QList<FixtureParameterPartDMX> entries;
    entries.reserve(parts.size());
    for (const EosPatchPart &part : parts) {
      const auto slotMap = slotMaps.find(part.id());
      entries.append({part.partNumber,
                      resolveParameterPartDMX(
                          name, part, slotMap == slotMaps.end() ? nullptr : &slotMap->second)});
    }
    dmxByName.insert(name, std::move(entries));
  }
  return dmxByName;
}

bool catalogResolvedAnyParameter(const FixtureParameterDMXByName &dmxByName) {
  for (auto entry = dmxByName.cbegin(); entry != dmxByName.cend(); ++entry) {
    if (isIntensityParameterName(entry.key())) continue;
    for (const FixtureParameterPartDMX &partDMX : entry.value())
      if (partDMX.value.kind != FixtureParameterPartDMX::Value::Kind::unknown) return true;
  }
  return false;
}

}  // namespace tarnik
