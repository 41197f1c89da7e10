#include "model/PatchPlanner.h"

#include <algorithm>
#include <set>

namespace tarnik {

namespace {

using Issue = PatchValidationIssue;
using Kind = PatchValidationIssue::Kind;

constexpr qint64 lastDMXAddress = 512;

// True when first + count - 1 lies past DMX 512; a sum beyond 64 bits lies past it too.
bool runsPastLastAddress(qint64 first, qint64 count) {
  qint64 last = 0;
  if (__builtin_add_overflow(first, count - 1, &last)) return true;
  return last > lastDMXAddress;
}

PatchPlan rejected(Issue issue) { return {{}, {issue}}; }

PatchPlannedPart singleAddressPart(qint64 channel, qint64 part, const PatchDraft &draft,
                                   qint64 universe, qint64 address) {
  return {channel, part, draft.label, std::nullopt, EosDMXRange{universe, address, address}};
}

// Expands a request that passed its own checks into parts, or into the issues that stop it.
PatchPlan expand(const PatchDraft &draft, qint64 channel, qint64 universe, qint64 address,
                 qint64 channelMaximum) {
  PatchPlan plan;
  switch (draft.operation) {
    case PatchOperation::fixture: {
      if (!draft.fixture) return rejected(Issue::of(Kind::missingFixture));
      const PatchFixtureChoice &choice = *draft.fixture;
      if (!choice.isSourceBacked()) plan.issues.append(Issue::of(Kind::fixtureNotSourceBacked));
      if (!choice.footprint) {
        plan.issues.append(Issue::of(Kind::unknownFixtureFootprint));
      } else if (*choice.footprint < 1) {
        plan.issues.append(Issue::nonpositiveFixtureFootprint(*choice.footprint));
      } else if (runsPastLastAddress(address, *choice.footprint)) {
        plan.issues.append(Issue::crossUniverse(universe, address, *choice.footprint));
      } else {
        plan.parts.append({channel, 1, draft.label, choice,
                           EosDMXRange{universe, address, address + *choice.footprint - 1}});
      }
      return plan;
    }
    case PatchOperation::dimmerAddressRange: {
      const qint64 thru = draft.addressThru.value_or(address);
      if (thru < address) return rejected(Issue::of(Kind::invalidCount));
      if (thru > lastDMXAddress)
        return rejected(Issue::crossUniverse(universe, address, thru - address + 1));
      for (qint64 offset = 0; address + offset <= thru; ++offset) {
        plan.parts.append(
            singleAddressPart(channel, offset + 1, draft, universe, address + offset));
      }
      return plan;
    }
    case PatchOperation::channelRange: {
      const qint64 thru = draft.channelThru.value_or(channel);
      if (thru < channel) return rejected(Issue::of(Kind::invalidCount));
      if (thru > channelMaximum) return rejected(Issue::channelOutOfBounds(thru, channelMaximum));
      const qint64 count = thru - channel + 1;
      if (runsPastLastAddress(address, count))
        return rejected(Issue::crossUniverse(universe, address, count));
      for (qint64 offset = 0; offset < count; ++offset) {
        plan.parts.append(
            singleAddressPart(channel + offset, 1, draft, universe, address + offset));
      }
      return plan;
    }
  }
  return plan;
}

// Appends what stands between the planned parts and the console's current patch, record by
// record in identity order. Only the records the plan touches can have anything to say: those
// at a planned identity or address, and those whose addresses cannot be read.
void compareWithCurrentPatch(PatchPlan &plan, const PatchDraft &draft, const PatchIndex &current) {
  for (const EosPatchPart::ID &id : current.duplicates())
    plan.issues.append(Issue::aboutPart(Kind::duplicateExistingPart, id));

  std::set<EosPatchPart::ID> planned;
  for (const PatchPlannedPart &part : plan.parts) planned.insert(part.id());

  for (const EosPatchPart::ID &id : draft.partsToReplace) {
    if (!current.position(id)) {
      plan.issues.append(Issue::aboutPart(Kind::replacementTargetNotFound, id));
    } else if (!planned.contains(id)) {
      plan.issues.append(Issue::aboutPart(Kind::replacementTargetMismatch, id));
    }
  }

  std::vector<std::size_t> touched = current.unknownRanges();
  for (const EosPatchPart::ID &id : planned) {
    if (const std::optional<std::size_t> position = current.position(id))
      touched.push_back(*position);
  }
  for (const PatchPlannedPart &part : plan.parts) {
    const EosDMXRange &wanted = part.occupiedRange;
    current.appendOverlapping(wanted.universe, wanted.start, wanted.end, touched);
  }
  std::ranges::sort(touched);
  touched.erase(std::ranges::unique(touched).begin(), touched.end());

  using Occupancy = PatchIndex::Occupancy;
  for (const std::size_t position : touched) {
    const PatchIndex::Record &record = current.records()[position];
    const bool isPlanned = planned.contains(record.id);
    // A part the user agreed to replace frees its addresses.
    if (isPlanned && draft.partsToReplace.contains(record.id)) continue;
    if (isPlanned)
      plan.issues.append(Issue::aboutPart(Kind::replacementRequiresExplicitIntent, record.id));
    if (record.occupancy == Occupancy::none) continue;
    if (record.occupancy == Occupancy::unknown) {
      plan.issues.append(Issue::aboutPart(Kind::unknownExistingRange, record.id));
      continue;
    }
    const EosDMXRange &taken = record.range;
    for (const PatchPlannedPart &plannedPart : plan.parts) {
      const EosDMXRange &wanted = plannedPart.occupiedRange;
      if (wanted.universe != taken.universe || wanted.start > taken.end || taken.start > wanted.end)
        continue;
      const EosDMXRange overlap{taken.universe, std::max(wanted.start, taken.start),
                                std::min(wanted.end, taken.end)};
      plan.issues.append(Issue::occupiedRange(plannedPart.id(), record.id, overlap));
    }
  }
}

}  // namespace

PatchPlan PatchPlanner::plan(const PatchDraft &draft, const QList<EosPatchPart> &existing,
                             qint64 channelMaximum, qint64 universeMaximum) {
  return plan(draft, PatchIndex(existing), channelMaximum, universeMaximum);
}

PatchPlan PatchPlanner::plan(const PatchDraft &draft, const PatchIndex &current,
                             qint64 channelMaximum, qint64 universeMaximum) {
  if (channelMaximum <= 0 || universeMaximum <= 0) return rejected(Issue::of(Kind::invalidBounds));
  if (!draft.channelStart) return rejected(Issue::of(Kind::missingChannel));
  const qint64 channel = *draft.channelStart;
  if (channel < 1 || channel > channelMaximum)
    return rejected(Issue::channelOutOfBounds(channel, channelMaximum));
  if (!draft.universe) return rejected(Issue::of(Kind::missingUniverse));
  const qint64 universe = *draft.universe;
  if (universe < 1 || universe > universeMaximum)
    return rejected(Issue::universeOutOfBounds(universe, universeMaximum));
  if (!draft.addressStart) return rejected(Issue::of(Kind::missingAddress));
  const qint64 address = *draft.addressStart;
  if (address < 1 || address > lastDMXAddress) return rejected(Issue::addressOutOfBounds(address));

  PatchPlan plan = expand(draft, channel, universe, address, channelMaximum);
  if (!plan.parts.isEmpty()) compareWithCurrentPatch(plan, draft, current);
  return plan;
}

}  // namespace tarnik
