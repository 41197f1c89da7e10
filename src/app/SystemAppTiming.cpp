#include "app/SystemAppTiming.h"

#include "foundation/ReferenceDate.h"
#include "foundation/UptimeClock.h"

#include <QPointer>
#include <QTimer>

#include <cmath>
#include <limits>

namespace tarnik {

namespace {

// Whole milliseconds, rounded up so that nothing fires before its time; what QTimer cannot
// hold (NaN, below zero, beyond its int range) is brought into it.
int timerMilliseconds(double seconds, int minimum) {
  const double milliseconds = std::ceil(seconds * 1000.0);
  if (!(milliseconds >= minimum)) return minimum;
  if (milliseconds >= static_cast<double>(std::numeric_limits<int>::max()))
    return std::numeric_limits<int>::max();
  return static_cast<int>(milliseconds);
}

}  // namespace

double SystemAppTiming::uptime() { return systemUptime(); }

double SystemAppTiming::date() { return referenceSecondsNow(); }

AppTiming::WorkItem SystemAppTiming::schedule(double delaySeconds, std::function<void()> work) {
  return arm(delaySeconds, false, std::move(work));
}

AppTiming::WorkItem SystemAppTiming::repeat(double intervalSeconds, std::function<void()> work) {
  return arm(intervalSeconds, true, std::move(work));
}

AppTiming::WorkItem SystemAppTiming::arm(double seconds, bool repeating,
                                         std::function<void()> work) {
  auto *timer = new QTimer(&timers_);
  timer->setSingleShot(!repeating);
  // A coarse timer may fire up to 5 % early, which would cut a freshness window short.
  timer->setTimerType(Qt::PreciseTimer);
  // A repeating timer of zero would spin the event loop.
  timer->setInterval(timerMilliseconds(seconds, repeating ? 1 : 0));
  QObject::connect(timer, &QTimer::timeout, timer, [timer, repeating, work = std::move(work)] {
    // The work may release its own handle, so the timer goes later, never under its feet.
    if (!repeating) timer->deleteLater();
    work();
  });
  timer->start();
  return WorkItem([timer = QPointer<QTimer>(timer)] {
    if (!timer) return;
    timer->stop();
    timer->deleteLater();
  });
}

}  // namespace tarnik
