#include "screens/patch/PatchDraftPlanning.h"

namespace tarnik {

PatchDraftPlanning::PatchDraftPlanning(Planner planner) : planner_(std::move(planner)) {}

const PatchPlan &PatchDraftPlanning::plan(const PatchDraft &draft) {
  if (plannedDraft_ != draft) {
    plan_ = planner_(draft);
    plannedDraft_ = draft;
  }
  return plan_;
}

}  // namespace tarnik
