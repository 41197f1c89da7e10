#pragma once

#include <functional>

namespace tarnik {

class AppViewModel;

// The two things the intensity flow asks of the application model: whether the channel may
// be driven now, and the write of a level to the channel's intensity parameter.
struct IntensityControlModel {
  std::function<bool()> isControllable;
  std::function<void(int channel, double level)> setIntensity;

  // Both closures hold the model through a QPointer: once it is gone, nothing is
  // controllable and nothing is sent.
  static IntensityControlModel of(AppViewModel &model);
};

}  // namespace tarnik
