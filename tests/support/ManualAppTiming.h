#pragma once

// Virtual time for the application model: the clocks stand still until a test moves them,
// and delayed work runs only inside advance(), in the order it falls due.

#include "app/AppTiming.h"

#include <QList>

#include <memory>
#include <vector>

namespace tarnik::testing {

class ManualAppTiming final : public AppTiming {
 public:
  // Both clocks start at arbitrary, fixed values and move together.
  explicit ManualAppTiming(double uptime = 1000.0, double date = 800'000'000.0);

  double uptime() override;
  double date() override;
  WorkItem schedule(double delaySeconds, std::function<void()> work) override;
  WorkItem repeat(double intervalSeconds, std::function<void()> work) override;

  // Moves both clocks forward by seconds, stopping at each armed item that falls due on the
  // way (the one armed first when two fall due together) and running it with the clocks
  // showing its time. Work armed while advancing runs too when it falls due in the span.
  void advance(double seconds);

  // Moves the wall clock alone, as a user or time service setting the system clock does;
  // the monotonic clock and the armed items are not affected.
  void stepDate(double seconds) { dateStep_ += seconds; }

  // Seconds from now until each armed item runs next, soonest first.
  QList<double> pendingDelays() const;

 private:
  // Virtual time counts whole nanoseconds, so that a delay reads back exactly as given.
  using Nanoseconds = qint64;
  static Nanoseconds toNanoseconds(double seconds);
  static double toSeconds(Nanoseconds nanoseconds);

  struct Item {
    Nanoseconds due = 0;
    Nanoseconds interval = 0;  // zero for a single run
    quint64 order = 0;
    std::function<void()> work;
    bool cancelled = false;
  };

  WorkItem arm(double delaySeconds, Nanoseconds interval, std::function<void()> work);
  std::shared_ptr<Item> nextDue(Nanoseconds limit) const;

  const double startUptime_;
  const double startDate_;
  double dateStep_ = 0;
  Nanoseconds elapsed_ = 0;
  quint64 lastOrder_ = 0;
  std::vector<std::shared_ptr<Item>> items_;
};

}  // namespace tarnik::testing
