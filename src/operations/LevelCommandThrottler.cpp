#include "operations/LevelCommandThrottler.h"

#include <algorithm>
#include <cmath>

namespace tarnik {

namespace {

// Not for NaN, which the callers drop first.
int levelFor(double value) {
  if (value >= 100) return 100;
  return static_cast<int>(std::round(std::max(value, 0.0)));
}

}  // namespace

LevelCommandThrottler::LevelCommandThrottler(double rate,
                                             std::shared_ptr<LevelCommandScheduling> scheduler,
                                             UptimeSource uptime)
    : sends_("LevelCommandThrottler", rate, std::move(scheduler), std::move(uptime)) {}

void LevelCommandThrottler::begin(Send send) { sends_.begin(std::move(send)); }

void LevelCommandThrottler::submit(double value) {
  if (std::isnan(value)) return;
  sends_.submit(levelFor(value));
}

void LevelCommandThrottler::finish(double value) {
  if (std::isnan(value)) {
    sends_.stop();
    return;
  }
  sends_.finish(levelFor(value));
}

void LevelCommandThrottler::cancelPending() { sends_.cancelPending(); }

void LevelCommandThrottler::stop() { sends_.stop(); }

}  // namespace tarnik
