// The level scrubber as a person and an assistive tool use it: what it reports for sent
// mouse events, its accessible element, and what it draws.

#include "ScrubberTestSupport.h"
#include "screens/support/Screenshots.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

// Track 200 long: x = 12 + 2 * level.
TEST(LevelScrubberWidget, ADragBeginsChangesAndCommitsOnce) {
  ScrubberHarness harness;
  harness.press(12);
  harness.move(112);
  harness.move(400);
  EXPECT_TRUE(harness.dragging);
  harness.release(400);
  EXPECT_EQ(harness.log, QStringList({u"begin"_s, u"change 0"_s, u"change 50"_s, u"change 100"_s,
                                      u"commit 100"_s}));
  EXPECT_FALSE(harness.dragging);
  harness.release(400);  // a second release belongs to no drag
  EXPECT_EQ(harness.log.size(), 5);
}

TEST(LevelScrubberWidget, DisabledItReportsNothingAndDisabledMidDragItCancelsOnce) {
  ScrubberHarness disabled;
  disabled.scrubber->setEnabled(false);
  disabled.press(50);
  disabled.move(100);
  disabled.release(100);
  EXPECT_EQ(disabled.log, QStringList());
  EXPECT_FALSE(disabled.dragging);
  EXPECT_EQ(disabled.level, 0);

  ScrubberHarness harness;
  harness.press(62);
  harness.scrubber->setEnabled(false);
  harness.scrubber->setEnabled(false);
  EXPECT_FALSE(harness.dragging);
  harness.scrubber->setEnabled(true);
  harness.release(62);
  EXPECT_EQ(harness.log, QStringList({u"begin"_s, u"change 25"_s, u"cancel"_s}));
}

TEST(LevelScrubberWidget, ArrowKeysAndTheAccessibleActionsStepByFive) {
  ScrubberHarness harness;
  harness.level = 42.5;
  QAccessibleInterface *element = QAccessible::queryAccessibleInterface(harness.scrubber.get());
  ASSERT_TRUE(element);
  EXPECT_EQ(element->text(QAccessible::Name), u"Intensity"_s);
  EXPECT_EQ(element->text(QAccessible::Value), u"43 percent"_s);
  QAccessibleActionInterface *actions = element->actionInterface();
  ASSERT_TRUE(actions);
  EXPECT_EQ(actions->actionNames(), QStringList({QAccessibleActionInterface::increaseAction(),
                                                 QAccessibleActionInterface::decreaseAction()}));

  harness.level = 97;
  actions->doAction(QAccessibleActionInterface::increaseAction());
  EXPECT_EQ(harness.log, QStringList({u"begin"_s, u"change 100"_s, u"commit 100"_s}));
  harness.log.clear();
  actions->doAction(QAccessibleActionInterface::increaseAction());
  QTest::keyClick(harness.scrubber.get(), Qt::Key_Up);
  EXPECT_EQ(harness.log, QStringList());
  QTest::keyClick(harness.scrubber.get(), Qt::Key_Left);
  QTest::keyClick(harness.scrubber.get(), Qt::Key_Down);
  EXPECT_EQ(harness.level, 90);
  EXPECT_FALSE(harness.dragging);
  harness.scrubber->setEnabled(false);
  actions->doAction(QAccessibleActionInterface::decreaseAction());
  EXPECT_EQ(harness.level, 90);
}

int lastGreenColumn(const QImage &image, int row) {
  int last = -1;
  for (int x = 0; x < image.width(); ++x) {
    const QColor pixel = image.pixelColor(x, row);
    if (pixel.green() > 150 && pixel.red() < 120) last = x;
  }
  return last;
}

TEST(LevelScrubberWidget, TheFillEndsAtTheLevelUnderTheKnob) {
  // The knob covers the fill's end, so the track is read without it, then the whole control.
  QImage track(224, 24, QImage::Format_ARGB32);
  track.fill(Qt::black);
  QPainter painter(&track);
  LevelScrubber::paintTrack(painter, QRectF(0, 0, 224, 24), 50, true);
  painter.end();
  EXPECT_NEAR(lastGreenColumn(track, 12), 111, 1);

  ScrubberHarness harness;
  harness.level = 50;
  const QImage drawn = harness.scrubber->grab().toImage();
  EXPECT_EQ(drawn.pixelColor(112, 12), QColor(Qt::white));  // the knob's centre
  EXPECT_NEAR(lastGreenColumn(drawn, 12), 112 - 13, 1);     // green up to its rim
  harness.level = 150;
  EXPECT_EQ(lastGreenColumn(harness.scrubber->grab().toImage(), 12), 224 - 25);
  saveScreenshot(*harness.scrubber, u"channel-scrubber"_s);
}

}  // namespace
}  // namespace tarnik::testing
