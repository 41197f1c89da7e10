#pragma once

#include "foundation/UptimeClock.h"
#include "operations/LevelCommandActionQueue.h"
#include "operations/LevelCommandScheduling.h"

#include <QtGlobal>

namespace tarnik::testing {

// A scheduler on virtual time: nothing runs until the test calls advance(). now() starts at
// 0; advance(seconds) moves it forward, running every action that falls due on the way at
// its due time (now() reads that time while it runs), earliest first. An action that
// schedules another one due within the same advance sees it run in the same call; a delay
// of 0 runs on the next advance, advance(0) included, never inside schedule().
class ManualLevelCommandScheduler final : public LevelCommandScheduling {
 public:
  std::unique_ptr<LevelCommandScheduledAction> schedule(double delaySeconds,
                                                        std::function<void()> action) override;

  double now() const { return now_; }
  // The virtual clock as an uptime source, for owners that read the time themselves.
  UptimeSource uptime() const;
  void advance(double seconds);
  // Actions scheduled and neither run nor cancelled yet.
  qsizetype pendingCount() const { return actions_.size(); }

 private:
  double now_ = 0;
  LevelCommandActionQueue actions_;
};

}  // namespace tarnik::testing
