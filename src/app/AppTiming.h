#pragma once

#include <functional>
#include <utility>

namespace tarnik {

// Where the application model reads the time and arms its delayed work. The model never
// starts a timer or reads a clock of its own: it goes through this, so that the windows of
// its flows (sync deadline, debounce, reconnect back-off, heartbeat) run on virtual time in
// tests. Everything is called and run on the GUI thread.
class AppTiming {
 public:
  // One armed piece of work, single or repeating. Releasing, replacing or cancelling the
  // handle means the work never runs again; an empty handle holds nothing. A handle that
  // fired keeps holding its item until it is cleared, so "is one scheduled?" is a question
  // about the handle, as it is for the fields that keep them. Cancelling from inside the
  // work itself is allowed.
  class WorkItem {
   public:
    WorkItem() = default;
    explicit WorkItem(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    WorkItem(WorkItem &&other) noexcept : cancel_(std::exchange(other.cancel_, nullptr)) {}
    WorkItem &operator=(WorkItem &&other) noexcept {
      if (this != &other) {
        cancel();
        cancel_ = std::exchange(other.cancel_, nullptr);
      }
      return *this;
    }
    WorkItem(const WorkItem &) = delete;
    WorkItem &operator=(const WorkItem &) = delete;
    ~WorkItem() { cancel(); }

    // Cancels the work and empties the handle.
    void cancel() {
      if (std::function<void()> cancel = std::exchange(cancel_, nullptr)) cancel();
    }
    explicit operator bool() const { return static_cast<bool>(cancel_); }

   private:
    std::function<void()> cancel_;
  };

  virtual ~AppTiming() = default;

  // Monotonic seconds: ages, freshness windows and deadlines.
  virtual double uptime() = 0;
  // Wall-clock seconds since 2001-01-01 00:00:00 UTC: only what is shown or stored.
  virtual double date() = 0;

  // Runs the work once, about delaySeconds from now (at once for zero or less).
  [[nodiscard]] virtual WorkItem schedule(double delaySeconds, std::function<void()> work) = 0;
  // Runs the work every intervalSeconds until the handle cancels it.
  [[nodiscard]] virtual WorkItem repeat(double intervalSeconds, std::function<void()> work) = 0;
};

}  // namespace tarnik
