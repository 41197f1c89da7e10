#pragma once

// A channel's page over a model that drives the console double on TCP, with channel 5 a
// colour fixture (intensity, red, green and blue, hue 30 and saturation 60 on the console)
// and the colour card's sends on a virtual clock of their own.

#include "screens/channel/ChannelPageTestSupport.h"
#include "screens/patch/ColorSliderTrack.h"
#include "screens/patch/FixtureColorModule.h"
#include "screens/patch/FixtureColorWheel.h"

namespace tarnik::testing {

class ColorPageTest : public ChannelPageTest {
 protected:
  // Connected, Live controls ready, and channel 5's native colour read by the page itself.
  bool prepareColorFixture() {
    EosConsoleDouble::FixtureChannel wash;
    wash.manufacturer = QStringLiteral("Acme");
    wash.model = QStringLiteral("Wash");
    wash.emitters = {{QStringLiteral("Red"), 100, 0, 100},
                     {QStringLiteral("Green"), 50, 0, 100},
                     {QStringLiteral("Blue"), 40, 0, 100}};
    wash.hue = 30;
    wash.saturation = 60;
    console.fixtures[5] = wash;
    makePage();
    page->findChild<FixtureControlModules *>()->setColorThrottlerMaker([this] {
      return std::make_unique<ColorCommandThrottler>(10, colorClock, colorClock->uptime());
    });
    if (!connectAndPrepare()) return false;
    return waitUntil([&] {
      settle();
      return wheel() && wheel()->isEnabled() &&
             text(QStringLiteral("fixture.color.hue.value")) == u"30°";
    });
  }
  FixtureColorWheel *wheel() {
    return find<FixtureColorWheel>(QStringLiteral("fixture.color.wheel"));
  }
  // A point of the wheel, in its own coordinates, for a colour.
  QPoint wheelPoint(double hue, double saturation) {
    const auto disc = ColorWheelGeometry::discIn(QSizeF(wheel()->size()));
    return ColorWheelGeometry::knobCentre(disc, {hue, saturation}).toPoint();
  }
  QString status() { return text(QStringLiteral("fixture.color.status")); }
  // The hue and saturation of every colour the console received for channel 5.
  QList<std::pair<float, float>> receivedColors() {
    QList<std::pair<float, float>> colors;
    for (const OSCMessage &message : console.requests(QStringLiteral("/eos/chan/5/color/hs")))
      colors.append({std::get<float>(message.arguments.value(0).value),
                     std::get<float>(message.arguments.value(1).value)});
    return colors;
  }

  std::shared_ptr<ManualLevelCommandScheduler> colorClock =
      std::make_shared<ManualLevelCommandScheduler>();
};

}  // namespace tarnik::testing
