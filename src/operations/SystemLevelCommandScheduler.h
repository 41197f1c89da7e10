#pragma once

#include "operations/LevelCommandActionQueue.h"
#include "operations/LevelCommandScheduling.h"

#include <QSocketNotifier>

#include <memory>
#include <optional>

namespace tarnik {

// The standard scheduler. Delays count on the boot-time clock, which keeps running while
// the computer sleeps, so a deadline that passed during sleep fires on wake-up rather than
// a sleep's length late. One timer descriptor per scheduler, armed for the earliest pending
// action and watched from the GUI thread's event loop; an action already due (a delay of 0)
// runs through a queued invocation instead. Lives on the GUI thread, which must have a
// QCoreApplication.
class SystemLevelCommandScheduler final : public LevelCommandScheduling {
 public:
  SystemLevelCommandScheduler();
  ~SystemLevelCommandScheduler() override;
  SystemLevelCommandScheduler(const SystemLevelCommandScheduler &) = delete;
  SystemLevelCommandScheduler &operator=(const SystemLevelCommandScheduler &) = delete;

  std::unique_ptr<LevelCommandScheduledAction> schedule(double delaySeconds,
                                                        std::function<void()> action) override;

 private:
  void timerFired();
  void runDueActions();
  // Arms the timer for the earliest pending action, or queues a run when one is already due.
  void wakeForNextDue();
  void armTimer(std::optional<double> due);

  LevelCommandActionQueue actions_;
  int timerDescriptor_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::optional<double> armedDue_;
  bool runQueued_ = false;
};

}  // namespace tarnik
