#include "support/ManualAppTiming.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace tarnik::testing {

ManualAppTiming::ManualAppTiming(double uptime, double date)
    : startUptime_(uptime), startDate_(date) {}

ManualAppTiming::Nanoseconds ManualAppTiming::toNanoseconds(double seconds) {
  return seconds > 0 ? std::llround(seconds * 1e9) : 0;
}

double ManualAppTiming::toSeconds(Nanoseconds nanoseconds) {
  return static_cast<double>(nanoseconds) / 1e9;
}

double ManualAppTiming::uptime() { return startUptime_ + toSeconds(elapsed_); }

double ManualAppTiming::date() { return startDate_ + dateStep_ + toSeconds(elapsed_); }

AppTiming::WorkItem ManualAppTiming::schedule(double delaySeconds, std::function<void()> work) {
  return arm(delaySeconds, 0, std::move(work));
}

AppTiming::WorkItem ManualAppTiming::repeat(double intervalSeconds, std::function<void()> work) {
  const Nanoseconds interval = toNanoseconds(intervalSeconds);
  // A beat of zero would make advance() run forever.
  if (interval <= 0) throw std::invalid_argument("a repeating interval must be positive");
  return arm(intervalSeconds, interval, std::move(work));
}

AppTiming::WorkItem ManualAppTiming::arm(double delaySeconds, Nanoseconds interval,
                                         std::function<void()> work) {
  auto item = std::make_shared<Item>(
      Item{elapsed_ + toNanoseconds(delaySeconds), interval, ++lastOrder_, std::move(work)});
  items_.push_back(item);
  // The handle only marks its item, so it may outlive this timing.
  return WorkItem([weak = std::weak_ptr<Item>(item)] {
    if (const std::shared_ptr<Item> cancelled = weak.lock()) cancelled->cancelled = true;
  });
}

std::shared_ptr<ManualAppTiming::Item> ManualAppTiming::nextDue(Nanoseconds limit) const {
  std::shared_ptr<Item> next;
  for (const std::shared_ptr<Item> &item : items_) {
    if (item->cancelled || item->due > limit) continue;
    if (!next || item->due < next->due || (item->due == next->due && item->order < next->order))
      next = item;
  }
  return next;
}

void ManualAppTiming::advance(double seconds) {
  const Nanoseconds target = elapsed_ + toNanoseconds(seconds);
  while (const std::shared_ptr<Item> item = nextDue(target)) {
    std::erase_if(items_, [](const std::shared_ptr<Item> &armed) { return armed->cancelled; });
    elapsed_ = std::max(item->due, elapsed_);
    if (item->interval > 0) {
      item->due += item->interval;
      item->order = ++lastOrder_;
    } else {
      std::erase(items_, item);
    }
    // The local copy keeps the work alive while it cancels or replaces its own handle.
    const std::function<void()> work = item->work;
    work();
  }
  elapsed_ = target;
}

QList<double> ManualAppTiming::pendingDelays() const {
  QList<double> delays;
  for (const std::shared_ptr<Item> &item : items_) {
    if (!item->cancelled) delays.append(toSeconds(item->due - elapsed_));
  }
  std::ranges::sort(delays);
  return delays;
}

}  // namespace tarnik::testing
