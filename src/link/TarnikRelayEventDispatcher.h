#pragma once

#include <QAbstractEventDispatcher>

#include <poll.h>

#include <atomic>
#include <chrono>
#include <vector>

namespace tarnik {

// The event loop of the relay's pump thread: one poll() over the sockets' notifiers and a
// wake-up eventfd, plus a short list of timers. GLib's loop, the default on Linux, passes
// every turn through its sources and writes to its wake-up descriptor whenever a notifier
// is switched on or off, as a pump does whenever a peer reads slower than the other sends;
// for a small command that came to a few per cent of its round trip. Here switching a
// notifier only edits a list, and an event posted from the loop's own thread costs no
// system call either.
class TarnikRelayEventDispatcher : public QAbstractEventDispatcher {
  Q_OBJECT

 public:
  explicit TarnikRelayEventDispatcher(QObject *parent = nullptr);
  ~TarnikRelayEventDispatcher() override;

  bool processEvents(QEventLoop::ProcessEventsFlags flags) override;

  void registerSocketNotifier(QSocketNotifier *notifier) override;
  void unregisterSocketNotifier(QSocketNotifier *notifier) override;

  void registerTimer(int timerId, qint64 interval, Qt::TimerType timerType,
                     QObject *object) override;
  bool unregisterTimer(int timerId) override;
  bool unregisterTimers(QObject *object) override;
  QList<TimerInfo> registeredTimers(QObject *object) const override;
  int remainingTime(int timerId) override;

  // Both may be called from any thread.
  void wakeUp() override;
  void interrupt() override;

 private:
  using Clock = std::chrono::steady_clock;
  struct Timer {
    int id;
    std::chrono::milliseconds interval;
    Qt::TimerType type;
    QObject *object;
    Clock::time_point due;
  };

  bool activateNotifiers(const std::vector<pollfd> &polled);
  bool fireDueTimers();
  int pollTimeout() const;

  std::vector<QSocketNotifier *> notifiers_;
  std::vector<pollfd> polled_;  // kept between turns, so a turn allocates nothing
  std::vector<Timer> timers_;
  int wakeDescriptor_ = -1;
  // Set by wakeUp(); the loop clears it before it delivers posted events.
  std::atomic<bool> eventsPosted_{false};
  // True while the loop is in, or about to enter, poll(); only then does a wake-up need
  // the descriptor.
  std::atomic<bool> sleeping_{false};
  std::atomic<bool> interrupted_{false};
};

}  // namespace tarnik
