#pragma once

#include <functional>
#include <memory>

namespace tarnik {

// A pending delayed action. cancel() stops it from running if it has not started yet; a
// second call, or a call after the action ran, does nothing. Destroying the handle cancels
// too, so an owner that drops or replaces its handle can never be surprised by a late run.
class LevelCommandScheduledAction {
 public:
  virtual ~LevelCommandScheduledAction() = default;
  virtual void cancel() = 0;
};

// Runs an action once after a delay in seconds, on the GUI thread, always on a later
// event-loop turn than the call that scheduled it (a delay of 0 included). Every delayed
// piece of work of the console operations goes through one of these, so an owner can be
// handed a scheduler on virtual time in tests.
//
// An action may cancel or schedule other actions, drop its own handle, or destroy its
// owner (and with it the scheduler) while it runs.
class LevelCommandScheduling {
 public:
  virtual ~LevelCommandScheduling() = default;
  virtual std::unique_ptr<LevelCommandScheduledAction> schedule(double delaySeconds,
                                                                std::function<void()> action) = 0;
};

// The delay a scheduler actually waits: negative delays and NaN count as 0.
double effectiveSchedulingDelay(double delaySeconds);

}  // namespace tarnik
