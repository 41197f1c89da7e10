#include "screens/patch/IntensityControlModel.h"

#include "app/AppViewModel.h"

#include <QPointer>

namespace tarnik {

IntensityControlModel IntensityControlModel::of(AppViewModel &model) {
  const QPointer<AppViewModel> held(&model);
  return {
      .isControllable =
          [held] { return held && held->canControlFixtures() && held->isFixtureControlReady(); },
      .setIntensity =
          [held](int channel, double level) {
            if (held) held->setIntensity(channel, level);
          },
  };
}

}  // namespace tarnik
