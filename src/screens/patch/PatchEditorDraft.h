#pragma once

#include "model/Channel.h"
#include "model/PatchDraft.h"

#include <optional>

namespace tarnik {

// What the patch editor's fields and switches hold: the draft, and whether the two thru
// fields are shown. The switches are kept apart from the draft's values because a thru
// field may be shown while still empty.
struct PatchEditorForm {
  PatchDraft draft{};
  bool includesChannelThru = false;
  bool includesAddressThru = false;

  friend bool operator==(const PatchEditorForm &, const PatchEditorForm &) = default;
};

// The form an editor opens with: a dimmer range on universe 1 for a new patch, or the
// channel's number, label and the addresses its parts occupy, in universe and start order.
PatchEditorForm initialPatchEditorForm(const std::optional<Channel> &channel);

// Another operation drops both thru values and, unless it is a fixture, the chosen mode;
// the channel, label, universe, start and the parts to replace stay.
void chooseOperation(PatchEditorForm &form, PatchOperation operation);

// A thru switched on starts as a copy of its start; switched off, it is forgotten.
void setIncludesChannelThru(PatchEditorForm &form, bool on);
void setIncludesAddressThru(PatchEditorForm &form, bool on);

// The existing-patch switch: every part of the channel, or none.
void setReplacesExistingParts(PatchEditorForm &form, const Channel &channel, bool on);

}  // namespace tarnik
