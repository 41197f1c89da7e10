#pragma once

#include "foundation/UptimeClock.h"
#include "operations/CommandSendThrottle.h"
#include "operations/LevelCommandScheduling.h"

#include <functional>
#include <memory>

namespace tarnik {

// The colour counterpart of LevelCommandThrottler for a hue and saturation drag: at most one
// send per 1 / rate seconds, the first colour at once, never the same colour twice in a
// row, the final colour at once. Hue is limited to 0...360 degrees and saturation to
// 0...100 percent, unrounded; a pair holding a value that is not finite is dropped. GUI
// thread only.
class ColorCommandThrottler {
 public:
  using Send = std::function<void(double hue, double saturation)>;

  // As LevelCommandThrottler's: rate above 0, own SystemLevelCommandScheduler by default.
  explicit ColorCommandThrottler(double rate,
                                 std::shared_ptr<LevelCommandScheduling> scheduler = nullptr,
                                 UptimeSource uptime = systemUptime);

  // Starts a drag that sends through `send`; a drag still under way ends unsent.
  void begin(Send send);
  // Ignored outside a drag and when either value is not finite (which cancels nothing).
  void submit(double hue, double saturation);
  // Sends the final colour unless it was the last one sent, then ends the drag. A value that
  // is not finite ends the drag without sending, as cancel() does.
  void finish(double hue, double saturation);
  // Drops the waiting colour and its trailing send; the drag goes on.
  void cancelPending();
  // Ends the drag without sending anything more.
  void cancel();

 private:
  struct Value {
    double hue = 0;
    double saturation = 0;
    friend bool operator==(const Value &, const Value &) = default;
  };
  static Value limited(double hue, double saturation);

  CommandSendThrottle<Value> sends_;
};

}  // namespace tarnik
