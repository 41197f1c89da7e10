#pragma once

#include "screens/patch/IntensityReadings.h"
#include "screens/patch/LevelScrubber.h"

#include <QWidget>

namespace tarnik {

class ChannelControlModule;

// Whether and how a channel's intensity shows: the control card, a card saying the fixture's
// capability is still being checked, the cached level of a plain dimmer with the scrubber
// disabled, or nothing at all.
class FixtureIntensityControlModule : public QWidget {
  Q_OBJECT

 public:
  explicit FixtureIntensityControlModule(LevelScrubber::Bindings bindings,
                                         QWidget *parent = nullptr);

  LevelScrubber *scrubber() const;
  void showState(IntensityModuleChoice choice, double intensity, bool canControl, bool isAdjusting,
                 bool isAwaitingReadback);

 private:
  ChannelControlModule *control_;
  QWidget *checking_;
};

}  // namespace tarnik
