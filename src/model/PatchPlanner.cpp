#include "model/PatchPlanner.h"

#include "foundation/TextRules.h"

#include <algorithm>
#include <map>
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

// Appends what stands between the planned parts and the console's current patch.
void compareWithCurrentPatch(PatchPlan &plan, const PatchDraft &draft,
                             QList<EosPatchPart> existing) {
  std::ranges::stable_sort(existing, {}, &EosPatchPart::id);
  std::map<EosPatchPart::ID, EosPatchPart> current;
  for (EosPatchPart &part : existing) {
    const EosPatchPart::ID id = part.id();
    const auto [slot, inserted] = current.insert_or_assign(id, std::move(part));
    if (!inserted) plan.issues.append(Issue::aboutPart(Kind::duplicateExistingPart, id));
  }

  std::set<EosPatchPart::ID> planned;
  for (const PatchPlannedPart &part : plan.parts) planned.insert(part.id());

  for (const EosPatchPart::ID &id : draft.partsToReplace) {
    if (!current.contains(id)) {
      plan.issues.append(Issue::aboutPart(Kind::replacementTargetNotFound, id));
    } else if (!planned.contains(id)) {
      plan.issues.append(Issue::aboutPart(Kind::replacementTargetMismatch, id));
    }
  }

  for (const auto &[id, part] : current) {
    const bool isPlanned = planned.contains(id);
    // A part the user agreed to replace frees its addresses.
    if (isPlanned && draft.partsToReplace.contains(id)) continue;
    if (isPlanned)
      plan.issues.append(Issue::aboutPart(Kind::replacementRequiresExplicitIntent, id));
    if (trimmedText(part.address).isEmpty() && trimmedText(part.addressEnd).isEmpty()) continue;
    const std::optional<EosDMXRange> taken = part.occupiedRange();
    if (!taken) {
      plan.issues.append(Issue::aboutPart(Kind::unknownExistingRange, id));
      continue;
    }
    for (const PatchPlannedPart &plannedPart : plan.parts) {
      const EosDMXRange &wanted = plannedPart.occupiedRange;
      if (wanted.universe != taken->universe || wanted.start > taken->end ||
          taken->start > wanted.end)
        continue;
      const EosDMXRange overlap{taken->universe, std::max(wanted.start, taken->start),
                                std::min(wanted.end, taken->end)};
      plan.issues.append(Issue::occupiedRange(plannedPart.id(), id, overlap));
    }
  }
}

}  // namespace

PatchPlan PatchPlanner::plan(const PatchDraft &draft, const QList<EosPatchPart> &existing,
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
  if (!plan.parts.isEmpty()) compareWithCurrentPatch(plan, draft, existing);
  return plan;
}

}  // namespace tarnik
