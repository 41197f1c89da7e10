#include "screens/patch/PatchEditorDraft.h"

#include <algorithm>

namespace tarnik {

PatchEditorForm initialPatchEditorForm(const std::optional<Channel> &channel) {
  PatchEditorForm form;
  form.draft.operation = PatchOperation::dimmerAddressRange;
  form.draft.universe = 1;
  if (!channel) return form;

  QList<EosDMXRange> ranges;
  for (const EosPatchPart &part : channel->parts) {
    if (const std::optional<EosDMXRange> range = part.occupiedRange()) ranges.append(*range);
  }
  std::ranges::stable_sort(ranges, [](const EosDMXRange &lhs, const EosDMXRange &rhs) {
    return std::pair(lhs.universe, lhs.start) < std::pair(rhs.universe, rhs.start);
  });
  if (!ranges.isEmpty()) {
    form.draft.universe = ranges.first().universe;
    form.draft.addressStart = ranges.first().start;
    if (ranges.size() > 1) form.draft.addressThru = ranges.last().end;
  } else if (const std::optional<Channel::ParsedAddress> parsed = channel->parsedAddress()) {
    form.draft.universe = parsed->universe;
    form.draft.addressStart = parsed->address;
  }
  form.draft.channelStart = channel->number;
  form.draft.label = channel->label;
  form.includesAddressThru = form.draft.addressThru.has_value();
  return form;
}

void chooseOperation(PatchEditorForm &form, PatchOperation operation) {
  if (form.draft.operation == operation) return;
  form.draft.operation = operation;
  form.draft.channelThru.reset();
  form.draft.addressThru.reset();
  form.includesChannelThru = false;
  form.includesAddressThru = false;
  if (operation != PatchOperation::fixture) form.draft.fixture.reset();
}

void setIncludesChannelThru(PatchEditorForm &form, bool on) {
  form.includesChannelThru = on;
  form.draft.channelThru = on ? form.draft.channelStart : std::nullopt;
}

void setIncludesAddressThru(PatchEditorForm &form, bool on) {
  form.includesAddressThru = on;
  form.draft.addressThru = on ? form.draft.addressStart : std::nullopt;
}

void setReplacesExistingParts(PatchEditorForm &form, const Channel &channel, bool on) {
  form.draft.partsToReplace.clear();
  if (!on) return;
  for (const EosPatchPart &part : channel.parts) form.draft.partsToReplace.insert(part.id());
}

}  // namespace tarnik
