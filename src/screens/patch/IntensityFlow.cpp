#include "screens/patch/IntensityFlow.h"

#include "screens/kit/CheckedRounding.h"

namespace tarnik {

IntensityFlow::IntensityFlow(IntensityControlModel model,
                             std::unique_ptr<LevelCommandThrottler> throttler,
                             std::function<qint64()> displayed,
                             std::function<bool()> awaitingReadback)
    : model_(std::move(model)),
      throttler_(std::move(throttler)),
      displayed_(std::move(displayed)),
      awaitingReadback_(std::move(awaitingReadback)) {}

void IntensityFlow::begin(int channel) {
  if (!model_.isControllable()) return;
  throttler_->begin([model = model_, channel](int level) {
    // Control may have gone between the drag's start and a trailing send.
    if (model.isControllable()) model.setIntensity(channel, double(level));
  });
}

void IntensityFlow::update(double value) {
  if (!model_.isControllable()) {
    cancel();
    return;
  }
  throttler_->submit(value);
}

void IntensityFlow::end(double value) {
  if (!model_.isControllable()) {
    cancel();
    return;
  }
  throttler_->finish(value);
  isAdjusting_ = false;
  // The readback may have come while the person still held the scrubber, which the shown
  // level does not follow, and a level the store refused to send awaits none: unless a write
  // still awaits its readback, the level to show is the console's.
  if (!awaitingReadback_()) resync();
}

void IntensityFlow::cancel() {
  throttler_->cancelPending();
  throttler_->stop();
  isAdjusting_ = false;
  resync();
}

void IntensityFlow::resync() { intensity_ = double(displayed_()); }

void IntensityFlow::follow(qint64 displayed) {
  if (isAdjusting_) return;
  if (roundedWholeNumber(intensity_) != displayed) intensity_ = double(displayed);
}

}  // namespace tarnik
