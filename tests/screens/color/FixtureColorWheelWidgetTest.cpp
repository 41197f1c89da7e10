// The painted wheel: where its colours run, its faded look when disabled, the reports it gives
// for sent mouse events, and its one accessible element.

#include "screens/patch/FixtureColorWheel.h"
#include "screens/support/Screenshots.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>

#include <cmath>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

struct WheelHarness {
  WheelHarness() {
    wheel.resize(260, 260);
    QObject::connect(&wheel, &FixtureColorWheel::started, [this] { log.append(u"begin"_s); });
    QObject::connect(&wheel, &FixtureColorWheel::changed, [this](double hue, double saturation) {
      log.append(u"change %1 %2"_s.arg(qRound(hue)).arg(qRound(saturation)));
    });
    QObject::connect(&wheel, &FixtureColorWheel::committed, [this](double hue, double saturation) {
      log.append(u"commit %1 %2"_s.arg(qRound(hue)).arg(qRound(saturation)));
    });
  }
  void mouse(QEvent::Type type, QPointF at, bool held) {
    QMouseEvent event(type, at, wheel.mapToGlobal(at), Qt::LeftButton,
                      held ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&wheel, &event);
  }

  FixtureColorValue color{45, 50};
  FixtureColorWheel wheel{{.color = [this] { return color; },
                           .setColor = [this](FixtureColorValue value) { color = value; }}};
  QStringList log;
};

double hueDistance(const QColor &pixel, double hue) {
  const double difference = std::fmod(std::abs(pixel.hsvHueF() * 360 - hue), 360);
  return std::min(difference, 360 - difference);
}

TEST(FixtureColorWheelWidget, HueRunsClockwiseFromRedOnTheRightAndTheCentreIsWhite) {
  WheelHarness harness;  // the knob sits between right and below, clear of every read
  const QImage drawn = harness.wheel.grab().toImage();
  const double reach = 0.9 * 130;
  const struct {
    QPointF at;
    double hue;
  } reads[] = {
      {{130 + reach, 130}, 0},    // red
      {{130, 130 + reach}, 90},   // yellow-green
      {{130 - reach, 130}, 180},  // cyan
      {{130, 130 - reach}, 270},  // violet
  };
  for (const auto &read : reads) {
    const QColor pixel = drawn.pixelColor(read.at.toPoint());
    EXPECT_LE(hueDistance(pixel, read.hue), 10) << read.hue << " read " << pixel.hsvHue();
    EXPECT_GT(pixel.hsvSaturationF(), 0.8) << read.hue;
  }
  const QColor centre = drawn.pixelColor(130, 130);
  EXPECT_GE(std::min({centre.red(), centre.green(), centre.blue()}), 250);
  saveScreenshot(harness.wheel, u"color-wheel"_s);
}

TEST(FixtureColorWheelWidget, DisabledItIsDrawnWholeAtAnOpacityOf062) {
  WheelHarness harness;
  const QImage enabled = harness.wheel.grab().toImage();
  harness.wheel.setEnabled(false);
  const QImage disabled = harness.wheel.grab().toImage();
  const QColor ground = enabled.pixelColor(1, 1);  // the square's corner, outside the disc
  for (const QPoint at : {QPoint(130, 130), QPoint(247, 130), QPoint(130, 20), QPoint(176, 176)}) {
    const QColor lit = enabled.pixelColor(at);
    const QColor faded = disabled.pixelColor(at);
    const auto expected = [&](int full, int under) { return 0.62 * full + 0.38 * under; };
    EXPECT_NEAR(faded.red(), expected(lit.red(), ground.red()), 2) << at.x() << "," << at.y();
    EXPECT_NEAR(faded.green(), expected(lit.green(), ground.green()), 2) << at.x();
    EXPECT_NEAR(faded.blue(), expected(lit.blue(), ground.blue()), 2) << at.x();
  }
  saveScreenshot(harness.wheel, u"color-wheel-disabled"_s);
}

TEST(FixtureColorWheelWidget, OnlyAPressInsideTheCircleOfAnEnabledWheelStartsADrag) {
  WheelHarness corner;
  corner.mouse(QEvent::MouseButtonPress, {5, 5}, true);
  corner.mouse(QEvent::MouseMove, {130, 130}, true);
  corner.mouse(QEvent::MouseButtonRelease, {130, 130}, false);
  EXPECT_TRUE(corner.log.isEmpty());

  WheelHarness disabled;
  disabled.wheel.setEnabled(false);
  disabled.mouse(QEvent::MouseButtonPress, {195, 130}, true);
  disabled.mouse(QEvent::MouseButtonRelease, {195, 130}, false);
  EXPECT_TRUE(disabled.log.isEmpty());

  WheelHarness stopped;  // a drag starts inside, goes on outside, and ends without a word
  stopped.mouse(QEvent::MouseButtonPress, {195, 130}, true);
  stopped.mouse(QEvent::MouseMove, {130, 500}, true);
  stopped.wheel.setEnabled(false);
  stopped.wheel.setEnabled(true);
  stopped.mouse(QEvent::MouseMove, {130, 195}, true);
  stopped.mouse(QEvent::MouseButtonRelease, {130, 195}, false);
  EXPECT_EQ(stopped.log, QStringList({u"begin"_s, u"change 0 50"_s, u"change 90 100"_s}));
}

TEST(FixtureColorWheelWidget, ItIsOneElementWithTheColourAsItsValueAndNoAction) {
  WheelHarness harness;
  harness.color = {119.6, 45.2};
  QAccessibleInterface *element = QAccessible::queryAccessibleInterface(&harness.wheel);
  ASSERT_TRUE(element);
  EXPECT_EQ(element->text(QAccessible::Name), u"Fixture color"_s);
  EXPECT_EQ(element->text(QAccessible::Value), u"Hue 120 degrees, saturation 45 percent"_s);
  EXPECT_EQ(element->text(QAccessible::Description),
            u"Adjust hue and saturation with the controls below."_s);
  EXPECT_EQ(element->childCount(), 0);
  EXPECT_EQ(element->actionInterface()->actionNames(), QStringList());
  harness.wheel.setEnabled(false);
  EXPECT_EQ(element->text(QAccessible::Description), u"Color control is read only."_s);
}

}  // namespace
}  // namespace tarnik::testing
