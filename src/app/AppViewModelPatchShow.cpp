#include "app/AppViewModel.h"

#include <algorithm>

// What the patch write asks of the show mirror: the channel a single read refreshed, whether
// a sync runs, and the debounced refresh it schedules or drops.

namespace tarnik {

void AppViewModel::publishChannelReadback(qint64 channel, const PatchPart &part) {
  const auto entry = std::ranges::find(std::as_const(channels_), channel, &Channel::number);
  if (entry == channels_.cend()) return;
  QList<Channel> channels = channels_;
  Channel &updated = channels[entry - channels_.cbegin()];
  updated.level = part.snapshotLevel;
  updated.levelSnapshotAt = timing_->date();
  publish(channels_, std::move(channels), &AppViewModel::channelsChanged);
}

bool AppViewModel::isSyncing() const { return static_cast<bool>(syncGeneration_); }

void AppViewModel::scheduleRefresh(const std::optional<QString> &reason) {
  if (reason) return scheduleNotificationRefresh(*reason);
  scheduleNotificationRefresh();
}

void AppViewModel::dropScheduledRefresh() {
  notificationRefreshWorkItem_.cancel();
  refreshNeededAfterSync_ = false;
}

}  // namespace tarnik
