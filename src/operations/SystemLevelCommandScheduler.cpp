#include "operations/SystemLevelCommandScheduler.h"

#include <QMetaObject>
#include <QPointer>

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <sys/timerfd.h>

namespace tarnik {

namespace {

double bootTimeNow() {
  timespec now{};
  ::clock_gettime(CLOCK_BOOTTIME, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Rounded up, so the timer never fires before the action is due. An all-zero value would
// disarm the timer instead of firing it.
itimerspec absoluteExpiry(double due) {
  // About 30,000 years: far beyond any delay, still well inside the kernel's range.
  constexpr double latestSecond = 1e12;
  const double seconds = std::clamp(due, 0.0, latestSecond);
  const auto whole = static_cast<std::int64_t>(std::floor(seconds));
  auto nanoseconds = static_cast<std::int64_t>(std::ceil((seconds - whole) * 1e9));
  itimerspec expiry{};
  expiry.it_value.tv_sec = static_cast<time_t>(whole + nanoseconds / 1'000'000'000);
  expiry.it_value.tv_nsec = static_cast<long>(nanoseconds % 1'000'000'000);
  if (expiry.it_value.tv_sec == 0 && expiry.it_value.tv_nsec == 0) expiry.it_value.tv_nsec = 1;
  return expiry;
}

}  // namespace

SystemLevelCommandScheduler::SystemLevelCommandScheduler() {
  timerDescriptor_ = ::timerfd_create(CLOCK_BOOTTIME, TFD_NONBLOCK | TFD_CLOEXEC);
  // Without its timer no deadline of a console operation would ever fire; running on would
  // leave sessions waiting forever.
  if (timerDescriptor_ < 0)
    qFatal("SystemLevelCommandScheduler cannot create its CLOCK_BOOTTIME timer: %s",
           std::strerror(errno));
  notifier_ = std::make_unique<QSocketNotifier>(timerDescriptor_, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                   [this] { timerFired(); });
}

SystemLevelCommandScheduler::~SystemLevelCommandScheduler() {
  notifier_.reset();
  ::close(timerDescriptor_);
}

std::unique_ptr<LevelCommandScheduledAction> SystemLevelCommandScheduler::schedule(
    double delaySeconds, std::function<void()> action) {
  auto handle =
      actions_.add(bootTimeNow() + effectiveSchedulingDelay(delaySeconds), std::move(action));
  wakeForNextDue();
  return handle;
}

void SystemLevelCommandScheduler::timerFired() {
  std::uint64_t expirations = 0;
  // Reading clears the descriptor's readiness; nothing to read means another wake-up
  // already did.
  [[maybe_unused]] const auto ignored = ::read(timerDescriptor_, &expirations, sizeof expirations);
  armedDue_.reset();
  runDueActions();
}

void SystemLevelCommandScheduler::runDueActions() {
  const QPointer<QSocketNotifier> alive(notifier_.get());
  actions_.runDue(bootTimeNow());
  if (!alive) return;  // an action destroyed this scheduler
  wakeForNextDue();
}

void SystemLevelCommandScheduler::wakeForNextDue() {
  const std::optional<double> next = actions_.nextDue();
  if (next && *next <= bootTimeNow()) {
    // Due already: run on the next turn of the event loop, never inside schedule().
    if (!runQueued_) {
      runQueued_ = true;
      QMetaObject::invokeMethod(
          notifier_.get(),
          [this] {
            runQueued_ = false;
            runDueActions();
          },
          Qt::QueuedConnection);
    }
    return;
  }
  armTimer(next);
}

void SystemLevelCommandScheduler::armTimer(std::optional<double> due) {
  if (due == armedDue_) return;
  const itimerspec expiry = due ? absoluteExpiry(*due) : itimerspec{};
  ::timerfd_settime(timerDescriptor_, TFD_TIMER_ABSTIME, &expiry, nullptr);
  armedDue_ = due;
}

}  // namespace tarnik
