#pragma once

// Stands in for the thread pool under a keyed task, so a test decides when each job runs and
// in which order the results come back. Jobs run on the test's own thread; their results
// still arrive one turn of the event loop later, as they would from the pool.

#include "screens/kit/KeyedTask.h"

#include <QList>

namespace tarnik::testing {

class ManualTaskExecutor : public KeyedTaskExecutor {
 public:
  void execute(std::function<void()> job) override { jobs_.append(std::move(job)); }

  // Runs the job at this place among those still waiting, in the order they were started.
  void run(qsizetype index) { jobs_.takeAt(index)(); }

 private:
  QList<std::function<void()>> jobs_;
};

}  // namespace tarnik::testing
