#pragma once

#include "app/AppTiming.h"

#include <QObject>

namespace tarnik {

// The application's timing: the system's monotonic and wall clocks, and one precise QTimer
// per work item. The timers are children of this object, so none outlives it.
class SystemAppTiming final : public AppTiming {
 public:
  double uptime() override;
  double date() override;
  WorkItem schedule(double delaySeconds, std::function<void()> work) override;
  WorkItem repeat(double intervalSeconds, std::function<void()> work) override;

 private:
  WorkItem arm(double seconds, bool repeating, std::function<void()> work);

  QObject timers_;
};

}  // namespace tarnik
