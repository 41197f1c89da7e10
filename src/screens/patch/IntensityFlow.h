#pragma once

#include "operations/LevelCommandThrottler.h"
#include "screens/patch/IntensityControlModel.h"

#include <functional>
#include <memory>

namespace tarnik {

// A channel page's intensity drag, apart from its widgets: the level the scrubber shows and
// edits, whether a drag runs, and the rate-limited sends behind it. Sends go through the
// throttler to the model's intensity write, each checked again at the moment it leaves; a
// drag that loses control, the connection or the page ends with nothing more sent and the
// level put back to the one shown.
class IntensityFlow {
 public:
  // `displayed` reads the level the page shows now (pending, read back, or snapshot), and
  // `awaitingReadback` whether that level is a write still waiting for the console's readback.
  IntensityFlow(IntensityControlModel model, std::unique_ptr<LevelCommandThrottler> throttler,
                std::function<qint64()> displayed, std::function<bool()> awaitingReadback);

  double intensity() const { return intensity_; }
  void setIntensity(double value) { intensity_ = value; }
  bool isAdjusting() const { return isAdjusting_; }
  void setAdjusting(bool adjusting) { isAdjusting_ = adjusting; }

  // The scrubber's four reports. The channel is taken at begin: a send that leaves later
  // still addresses the channel that was dragged. An end with no write awaiting its readback
  // puts the level back to the one shown, the console's.
  void begin(int channel);
  void update(double value);
  void end(double value);
  void cancel();

  // Puts the level back to the one shown.
  void resync();
  // A new shown level moves the scrubber unless the user is dragging it.
  void follow(qint64 displayed);

 private:
  IntensityControlModel model_;
  std::unique_ptr<LevelCommandThrottler> throttler_;
  std::function<qint64()> displayed_;
  std::function<bool()> awaitingReadback_;
  double intensity_ = 0;
  bool isAdjusting_ = false;
};

}  // namespace tarnik
