#pragma once

#include "operations/LevelCommandScheduling.h"

#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>

namespace tarnik {

// The pending actions of one scheduler, earliest due first and, among equal due times, in
// the order they were added. Due times are seconds on whatever clock the scheduler keeps
// (the boot-time clock, or a test's virtual clock). Both schedulers keep their actions here,
// so cancellation and the order of running have one spelling.
//
// Handles refer to the queue weakly: cancelling after the queue is gone does nothing.
// Destroying the queue drops every pending action unrun, also from inside one of its own
// actions.
class LevelCommandActionQueue {
 public:
  LevelCommandActionQueue();
  ~LevelCommandActionQueue();
  LevelCommandActionQueue(const LevelCommandActionQueue &) = delete;
  LevelCommandActionQueue &operator=(const LevelCommandActionQueue &) = delete;

  std::unique_ptr<LevelCommandScheduledAction> add(double due, std::function<void()> action);

  std::optional<double> nextDue() const;
  qsizetype size() const;

  // Runs, earliest first, the actions due at `now` that were added before this call. An
  // action added while they run waits for the next call even when it is already due, so a
  // delay of 0 never runs inside the turn that scheduled it.
  void runDue(double now);

  // Defined where the handles are: they reach the entries through it.
  struct Storage;

 private:
  std::shared_ptr<Storage> storage_;
};

}  // namespace tarnik
