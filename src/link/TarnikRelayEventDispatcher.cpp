#include "link/TarnikRelayEventDispatcher.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimerEvent>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <sys/eventfd.h>

namespace tarnik {

namespace {

constexpr short readEvents = POLLIN | POLLHUP | POLLERR;
constexpr short writeEvents = POLLOUT | POLLERR;

short pollEventsOf(const QSocketNotifier &notifier) {
  switch (notifier.type()) {
    case QSocketNotifier::Read:
      return POLLIN;
    case QSocketNotifier::Write:
      return POLLOUT;
    case QSocketNotifier::Exception:
      return POLLPRI;
  }
  return 0;
}

bool isReportedTo(const QSocketNotifier &notifier, short revents) {
  switch (notifier.type()) {
    case QSocketNotifier::Read:
      return (revents & readEvents) != 0;
    case QSocketNotifier::Write:
      return (revents & writeEvents) != 0;
    case QSocketNotifier::Exception:
      return (revents & POLLPRI) != 0;
  }
  return false;
}

}  // namespace

TarnikRelayEventDispatcher::TarnikRelayEventDispatcher(QObject *parent)
    : QAbstractEventDispatcher(parent), wakeDescriptor_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

TarnikRelayEventDispatcher::~TarnikRelayEventDispatcher() {
  if (wakeDescriptor_ >= 0) {
    ::close(wakeDescriptor_);
  }
}

bool TarnikRelayEventDispatcher::processEvents(QEventLoop::ProcessEventsFlags flags) {
  interrupted_.store(false);
  eventsPosted_.store(false);
  QCoreApplication::sendPostedEvents();
  if (interrupted_.load()) {
    return false;
  }

  const bool withNotifiers = !flags.testFlag(QEventLoop::ExcludeSocketNotifiers);
  const bool withTimers = !flags.testFlag(QEventLoop::X11ExcludeTimers);
  polled_.assign(1, {wakeDescriptor_, POLLIN, 0});
  if (withNotifiers) {
    for (QSocketNotifier *notifier : notifiers_) {
      polled_.push_back({static_cast<int>(notifier->socket()), pollEventsOf(*notifier), 0});
    }
  }

  // sleeping_ goes up before eventsPosted_ is read, and wakeUp() does the opposite, so
  // either this loop sees the posted event or wakeUp() sees it asleep and writes.
  sleeping_.store(true);
  int timeout = 0;
  if (flags.testFlag(QEventLoop::WaitForMoreEvents) && !eventsPosted_.load()) {
    timeout = withTimers ? pollTimeout() : -1;
  }
  int ready = 0;
  do {
    ready = ::poll(polled_.data(), polled_.size(), timeout);
  } while (ready < 0 && errno == EINTR);
  sleeping_.store(false);

  bool processed = false;
  if (ready > 0 && (polled_.front().revents & POLLIN) != 0) {
    eventfd_t count = 0;
    eventfd_read(wakeDescriptor_, &count);
  }
  if (ready > 0 && withNotifiers) {
    processed = activateNotifiers(polled_);
  }
  if (withTimers && !timers_.empty()) {
    processed = fireDueTimers() || processed;
  }
  return processed;
}

bool TarnikRelayEventDispatcher::activateNotifiers(const std::vector<pollfd> &polled) {
  // A notifier may switch off or delete another one while it is handled, so the reports are
  // collected first and each is checked again just before it is delivered.
  std::vector<QSocketNotifier *> reported;
  for (size_t index = 1; index < polled.size(); ++index) {
    if (polled[index].revents != 0 && isReportedTo(*notifiers_[index - 1], polled[index].revents)) {
      reported.push_back(notifiers_[index - 1]);
    }
  }
  for (QSocketNotifier *notifier : reported) {
    if (std::find(notifiers_.begin(), notifiers_.end(), notifier) != notifiers_.end()) {
      QEvent event(QEvent::SockAct);
      QCoreApplication::sendEvent(notifier, &event);
    }
  }
  return !reported.empty();
}

bool TarnikRelayEventDispatcher::fireDueTimers() {
  const Clock::time_point now = Clock::now();
  std::vector<int> due;
  for (Timer &timer : timers_) {
    if (timer.due <= now) {
      due.push_back(timer.id);
      // The next turn counts from now, so a late loop does not fire a burst to catch up.
      timer.due = now + std::max(timer.interval, std::chrono::milliseconds(0));
    }
  }
  for (int id : due) {
    const auto timer = std::find_if(timers_.begin(), timers_.end(),
                                    [id](const Timer &candidate) { return candidate.id == id; });
    if (timer != timers_.end()) {
      QTimerEvent event(id);
      QCoreApplication::sendEvent(timer->object, &event);
    }
  }
  return !due.empty();
}

int TarnikRelayEventDispatcher::pollTimeout() const {
  if (timers_.empty()) {
    return -1;
  }
  const auto nearest =
      std::min_element(timers_.begin(), timers_.end(),
                       [](const Timer &left, const Timer &right) { return left.due < right.due; });
  const auto wait = nearest->due - Clock::now();
  if (wait <= Clock::duration::zero()) {
    return 0;
  }
  // Rounded up, so the loop never wakes just before a timer is due and spins.
  return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wait).count());
}

void TarnikRelayEventDispatcher::registerSocketNotifier(QSocketNotifier *notifier) {
  notifiers_.push_back(notifier);
}

void TarnikRelayEventDispatcher::unregisterSocketNotifier(QSocketNotifier *notifier) {
  std::erase(notifiers_, notifier);
}

void TarnikRelayEventDispatcher::registerTimer(int timerId, qint64 interval,
                                               Qt::TimerType timerType, QObject *object) {
  const std::chrono::milliseconds milliseconds(interval);
  timers_.push_back({timerId, milliseconds, timerType, object, Clock::now() + milliseconds});
}

bool TarnikRelayEventDispatcher::unregisterTimer(int timerId) {
  return std::erase_if(timers_, [timerId](const Timer &timer) { return timer.id == timerId; }) > 0;
}

bool TarnikRelayEventDispatcher::unregisterTimers(QObject *object) {
  return std::erase_if(timers_, [object](const Timer &timer) { return timer.object == object; }) >
         0;
}

QList<QAbstractEventDispatcher::TimerInfo> TarnikRelayEventDispatcher::registeredTimers(
    QObject *object) const {
  QList<TimerInfo> result;
  for (const Timer &timer : timers_) {
    if (timer.object == object) {
      result.append(TimerInfo(timer.id, static_cast<int>(timer.interval.count()), timer.type));
    }
  }
  return result;
}

int TarnikRelayEventDispatcher::remainingTime(int timerId) {
  const auto timer =
      std::find_if(timers_.begin(), timers_.end(),
                   [timerId](const Timer &candidate) { return candidate.id == timerId; });
  if (timer == timers_.end()) {
    return -1;
  }
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(timer->due - Clock::now());
  return static_cast<int>(std::max<qint64>(left.count(), 0));
}

void TarnikRelayEventDispatcher::wakeUp() {
  eventsPosted_.store(true);
  if (sleeping_.load()) {
    eventfd_write(wakeDescriptor_, 1);
  }
}

void TarnikRelayEventDispatcher::interrupt() {
  interrupted_.store(true);
  eventsPosted_.store(true);
  eventfd_write(wakeDescriptor_, 1);
}

}  // namespace tarnik
