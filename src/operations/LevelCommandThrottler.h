#pragma once

#include "foundation/UptimeClock.h"
#include "operations/CommandSendThrottle.h"
#include "operations/LevelCommandScheduling.h"

#include <functional>
#include <memory>

namespace tarnik {

// Turns the stream of levels from an intensity drag into at most one send per 1 / rate
// seconds: the first level at once, the newest waiting level when the interval is up, never
// the same level twice in a row, and the final level at once. Levels are whole percentages:
// a value is raised to 0, rounded half up and capped at 100 (+inf gives 100, -inf 0). A
// value that is not a number is dropped rather than read as full: a broken control must
// never drive a fixture to 100. GUI thread only.
class LevelCommandThrottler {
 public:
  using Send = std::function<void(int level)>;

  // rate: sends per second, above 0 (anything else stops the process). Without a scheduler
  // the throttler makes its own SystemLevelCommandScheduler; time is read from `uptime`.
  explicit LevelCommandThrottler(double rate,
                                 std::shared_ptr<LevelCommandScheduling> scheduler = nullptr,
                                 UptimeSource uptime = systemUptime);

  // Starts a drag that sends through `send`; a drag still under way ends unsent.
  void begin(Send send);
  // Ignored outside a drag and for NaN (which cancels nothing either).
  void submit(double value);
  // Sends the final level unless it was the last one sent, then ends the drag. NaN ends the
  // drag without sending, as stop() does.
  void finish(double value);
  // Drops the waiting level and its trailing send; the drag goes on.
  void cancelPending();
  // Ends the drag without sending anything more (an abandoned or no longer allowed drag).
  void stop();

 private:
  CommandSendThrottle<int> sends_;
};

}  // namespace tarnik
