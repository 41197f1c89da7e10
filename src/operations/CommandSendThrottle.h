#pragma once

#include "foundation/UptimeClock.h"
#include "operations/LevelCommandScheduling.h"
#include "operations/SystemLevelCommandScheduler.h"

#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace tarnik {

// The pacing that the level and colour throttlers share, over values their owners have
// already brought into range: during one drag (begin to finish) the first value goes out at
// once, later ones at most once per minimum interval, the newest waiting value goes out
// when the interval is up, a value equal to the last one sent never goes out, and the final
// value goes out at once. A trailing send belongs to the drag it was scheduled in.
//
// The send operation may begin, finish or stop this throttle, or destroy its owner: it is
// always the last thing a call does.
template <typename Value>
class CommandSendThrottle {
 public:
  using Send = std::function<void(Value)>;

  // A rate that is not above 0 sends per second (NaN included) is a programming error.
  CommandSendThrottle(const char *ownerName, double rate,
                      std::shared_ptr<LevelCommandScheduling> scheduler, UptimeSource uptime)
      : minimumInterval_(intervalForRate(ownerName, rate)),
        scheduler_(scheduler ? std::move(scheduler)
                             : std::make_shared<SystemLevelCommandScheduler>()),
        uptime_(uptime ? std::move(uptime) : UptimeSource(systemUptime)) {}
  CommandSendThrottle(const CommandSendThrottle &) = delete;
  CommandSendThrottle &operator=(const CommandSendThrottle &) = delete;

  void begin(Send send) {
    stop();
    ++sessionID_;
    isActive_ = true;
    send_ = std::move(send);
  }

  void submit(const Value &value) {
    if (!isActive_) return;
    if (value == lastSentValue_) {
      // Back at the value last sent: whatever waits would only move away from it again.
      cancelPending();
      return;
    }
    const double now = uptime_();
    if (!lastSentAt_) {
      deliver(value, now);
      return;
    }
    const double elapsed = now - *lastSentAt_;
    if (elapsed >= minimumInterval_) {
      cancelPending();
      deliver(value, now);
      return;
    }
    pendingValue_ = value;
    // An already scheduled trailing send keeps its time and carries the newest value.
    if (!scheduledAction_) {
      scheduledAction_ = scheduler_->schedule(
          minimumInterval_ - elapsed, [this, session = sessionID_] { flushPending(session); });
    }
  }

  void finish(const Value &value) {
    if (!isActive_) return;
    const bool differs = value != lastSentValue_;
    Send send = std::move(send_);
    stop();
    if (differs && send) send(value);
  }

  void cancelPending() {
    scheduledAction_.reset();
    pendingValue_.reset();
  }

  // Ends the drag without sending anything more.
  void stop() {
    cancelPending();
    isActive_ = false;
    send_ = nullptr;
    lastSentValue_.reset();
    lastSentAt_.reset();
  }

 private:
  static double intervalForRate(const char *ownerName, double rate) {
    if (!(rate > 0)) qFatal("%s needs a rate above 0 sends per second, not %g", ownerName, rate);
    return 1.0 / rate;
  }

  void flushPending(int session) {
    if (!isActive_ || session != sessionID_) return;
    scheduledAction_.reset();
    if (!pendingValue_) return;
    const Value value = *std::exchange(pendingValue_, std::nullopt);
    if (value == lastSentValue_) return;
    deliver(value, uptime_());
  }

  void deliver(const Value &value, double now) {
    lastSentValue_ = value;
    lastSentAt_ = now;
    // A copy: the send may replace the operation while it runs.
    const Send send = send_;
    if (send) send(value);
  }

  const double minimumInterval_;
  const std::shared_ptr<LevelCommandScheduling> scheduler_;
  const UptimeSource uptime_;
  std::unique_ptr<LevelCommandScheduledAction> scheduledAction_;
  Send send_;
  std::optional<Value> pendingValue_;
  std::optional<Value> lastSentValue_;
  std::optional<double> lastSentAt_;
  int sessionID_ = 0;
  bool isActive_ = false;
};

}  // namespace tarnik
