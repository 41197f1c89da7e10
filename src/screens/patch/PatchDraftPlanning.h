#pragma once

#include "model/PatchDraft.h"
#include "model/PatchPlan.h"

#include <functional>
#include <optional>

namespace tarnik {

// The editor's draft planned against the published patch, kept until either of them
// changes. Planning reads every mirrored part, so on a large show it is done once per edit
// or patch change, never once per redraw.
class PatchDraftPlanning {
 public:
  using Planner = std::function<PatchPlan(const PatchDraft &)>;

  explicit PatchDraftPlanning(Planner planner);

  // The draft's plan, made anew only when the draft differs from the last one planned or
  // the patch changed since.
  const PatchPlan &plan(const PatchDraft &draft);
  // The published patch changed: the kept plan no longer holds.
  void patchChanged() { plannedDraft_.reset(); }

 private:
  const Planner planner_;
  std::optional<PatchDraft> plannedDraft_;
  PatchPlan plan_;
};

}  // namespace tarnik
