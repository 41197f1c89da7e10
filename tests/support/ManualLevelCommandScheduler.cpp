#include "support/ManualLevelCommandScheduler.h"

#include <algorithm>

namespace tarnik::testing {

std::unique_ptr<LevelCommandScheduledAction> ManualLevelCommandScheduler::schedule(
    double delaySeconds, std::function<void()> action) {
  return actions_.add(now_ + effectiveSchedulingDelay(delaySeconds), std::move(action));
}

UptimeSource ManualLevelCommandScheduler::uptime() const {
  return [this] { return now_; };
}

void ManualLevelCommandScheduler::advance(double seconds) {
  const double target = now_ + effectiveSchedulingDelay(seconds);
  while (const std::optional<double> due = actions_.nextDue()) {
    if (*due > target) break;
    now_ = std::max(now_, *due);
    actions_.runDue(now_);
  }
  now_ = target;
}

}  // namespace tarnik::testing
