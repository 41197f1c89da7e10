#include "operations/ColorCommandThrottler.h"

#include <algorithm>
#include <cmath>

namespace tarnik {

namespace {

bool bothFinite(double hue, double saturation) {
  return std::isfinite(hue) && std::isfinite(saturation);
}

}  // namespace

ColorCommandThrottler::ColorCommandThrottler(double rate,
                                             std::shared_ptr<LevelCommandScheduling> scheduler,
                                             UptimeSource uptime)
    : sends_("ColorCommandThrottler", rate, std::move(scheduler), std::move(uptime)) {}

ColorCommandThrottler::Value ColorCommandThrottler::limited(double hue, double saturation) {
  return {std::max(std::min(hue, 360.0), 0.0), std::max(std::min(saturation, 100.0), 0.0)};
}

void ColorCommandThrottler::begin(Send send) {
  if (!send) {
    sends_.begin(nullptr);
    return;
  }
  sends_.begin([send = std::move(send)](Value value) { send(value.hue, value.saturation); });
}

void ColorCommandThrottler::submit(double hue, double saturation) {
  if (!bothFinite(hue, saturation)) return;
  sends_.submit(limited(hue, saturation));
}

void ColorCommandThrottler::finish(double hue, double saturation) {
  if (!bothFinite(hue, saturation)) {
    sends_.stop();
    return;
  }
  sends_.finish(limited(hue, saturation));
}

void ColorCommandThrottler::cancelPending() { sends_.cancelPending(); }

void ColorCommandThrottler::cancel() { sends_.stop(); }

}  // namespace tarnik
