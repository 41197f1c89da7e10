#include "app/AppViewModel.h"

// What the patch write asks of the show mirror: the channel a single read refreshed, whether
// a sync runs, and the debounced refresh it schedules or drops.

namespace tarnik {

void AppViewModel::publishChannelReadback(qint64 channel, const PatchPart &part) {
  mirror_->updateChannelLevel(channel, part.snapshotLevel);
}

bool AppViewModel::isSyncing() const { return mirror_->isSyncing(); }

void AppViewModel::scheduleRefresh(const std::optional<QString> &reason) {
  if (reason) return mirror_->scheduleRefresh(*reason);
  mirror_->scheduleRefresh();
}

void AppViewModel::dropScheduledRefresh() { mirror_->cancelRefresh(); }

}  // namespace tarnik
