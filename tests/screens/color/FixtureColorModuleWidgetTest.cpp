// The colour card as a person and an assistive tool use it, over a recording store on virtual
// time: what it shows in each state, the sliders' drags and keyboard steps, and its pictures.

#include "ColorCardTestSupport.h"
#include "screens/cards/ChannelCardsTestSupport.h"
#include "screens/patch/ColorSliderTrack.h"
#include "screens/patch/FixtureColorModule.h"
#include "screens/patch/FixtureColorWheel.h"
#include "screens/support/Screenshots.h"
#include "support/QtPrinting.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>
#include <limits>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

class FixtureColorModuleWidget : public ::testing::Test, public RecordingColorStore {
 protected:
  FixtureColorModuleWidget() {
    card = new FixtureColorModule(store, channelFive(), true, throttler());
    (new QVBoxLayout(ground.get()))->addWidget(pageCard(FixtureColorModule::title(), card));
    ground->resize(380, ground->sizeHint().height());
    ground->show();
    QCoreApplication::processEvents();
  }
  void push(bool canControl = true) { card->setInputs(channelFive(), canControl); }
  template <typename Widget = QWidget>
  Widget *find(const QString &name) {
    return ground->findChild<Widget *>(name);
  }
  QString text(const QString &name) { return find<QLabel>(name)->text(); }
  ColorSliderTrack *track(const QString &which) {
    return find<ColorSliderTrack>(u"fixture.color."_s + which + u".slider"_s);
  }
  bool shows(const QString &name) { return find(name)->isVisibleTo(ground.get()); }
  void picture(const QString &name) {
    ground->resize(ground->width(), ground->sizeHint().height());
    saveScreenshot(*ground, u"color-card-"_s + name);
  }

  std::unique_ptr<QWidget> ground = channelPageGround();
  FixtureColorModule *card;
};

TEST_F(FixtureColorModuleWidget, ItShowsTheNativeColourAndSaysWhenTheConsoleHasConfirmed) {
  EXPECT_EQ(text(u"fixture.color.hue.value"_s), u"10°"_s);
  EXPECT_EQ(text(u"fixture.color.saturation.value"_s), u"20%"_s);
  EXPECT_EQ(text(u"fixture.color.status"_s), u"Color readback from Eos"_s);
  EXPECT_FALSE(shows(u"fixture.color.notice"_s));
  EXPECT_TRUE(find(u"fixture.color.wheel"_s)->isEnabled());
  picture(u"enabled"_s);

  // A drag on the saturation slider: sent on release, then awaited.
  ColorSliderTrack *saturation = track(u"saturation"_s);
  saturation->setSliderDown(true);
  saturation->setSliderPosition(5550);
  EXPECT_EQ(text(u"fixture.color.status"_s), u"Adjusting color"_s);
  saturation->setSliderDown(false);
  ASSERT_FALSE(sends.isEmpty());
  EXPECT_EQ(sends.last().hue, 10);
  EXPECT_EQ(sends.last().saturation, 55.5);
  push();
  EXPECT_EQ(text(u"fixture.color.status"_s), u"Color sent · awaiting Eos"_s);
  EXPECT_EQ(text(u"fixture.color.saturation.value"_s), u"56%"_s);
  picture(u"waiting"_s);

  // The readback moves every control; what the card puts on them is never sent.
  const qsizetype sent = sends.size();
  readBack(200.4, 40);
  push();
  EXPECT_EQ(text(u"fixture.color.hue.value"_s), u"200°"_s);
  EXPECT_EQ(track(u"hue"_s)->value(), 20040);
  EXPECT_EQ(text(u"fixture.color.status"_s), u"Color readback from Eos"_s);
  clock->advance(1);
  EXPECT_EQ(sends.size(), sent);
}

TEST_F(FixtureColorModuleWidget, OnAWidePageTheStatusSitsRightUnderTheWheel) {
  // The page's card is far wider than the wheel may grow; the wheel's row must still be
  // only as tall as the wheel.
  ground->resize(900, ground->heightForWidth(900));
  QCoreApplication::processEvents();
  const QWidget *wheel = find(u"fixture.color.wheel"_s);
  const QWidget *status = find(u"fixture.color.status"_s);
  EXPECT_EQ(wheel->width(), wheel->height());
  EXPECT_LE(wheel->width(), 260);
  const int gap = status->mapTo(ground.get(), QPoint()).y() -
                  wheel->mapTo(ground.get(), QPoint(0, wheel->height())).y();
  EXPECT_LT(gap, 80) << "the wheel's row is " << gap << " px taller than the wheel";
  picture(u"wide"_s);
}

TEST_F(FixtureColorModuleWidget, KeysStepTheColourAndSendItOnce) {
  ColorSliderTrack *hue = track(u"hue"_s);
  hue->setFocus();
  QTest::keyClick(hue, Qt::Key_Right);
  ASSERT_EQ(sends.size(), 1);
  EXPECT_EQ(sends[0].hue, 11);
  EXPECT_EQ(sends[0].saturation, 20);
  EXPECT_EQ(text(u"fixture.color.hue.value"_s), u"11°"_s);
  EXPECT_EQ(text(u"fixture.color.status"_s), u"Color sent · awaiting Eos"_s);
  QTest::keyClick(hue, Qt::Key_PageUp);
  ASSERT_EQ(sends.size(), 2);
  EXPECT_EQ(sends[1].hue, 21);

  // A step the store refuses puts the console's colour back at once.
  accepting = false;
  readBack(21, 20);
  push();
  QTest::keyClick(hue, Qt::Key_End);
  EXPECT_EQ(sends.size(), 2);
  EXPECT_EQ(hue->value(), 2100);
  EXPECT_EQ(text(u"fixture.color.hue.value"_s), u"21°"_s);
  EXPECT_EQ(text(u"fixture.color.status"_s), u"Color readback from Eos"_s);

  QAccessibleInterface *element = QAccessible::queryAccessibleInterface(hue);
  EXPECT_EQ(element->text(QAccessible::Name), u"Hue"_s);
  EXPECT_EQ(element->text(QAccessible::Value), u"21°"_s);
}

TEST_F(FixtureColorModuleWidget, ViewerModeMidDragSendsNothingMoreAndShowsTheStoresColour) {
  ColorSliderTrack *hue = track(u"hue"_s);
  hue->setSliderDown(true);
  hue->setSliderPosition(9000);
  hue->setSliderPosition(9100);  // waits for its turn
  push(false);
  clock->advance(1);
  EXPECT_EQ(sends.size(), 1);
  EXPECT_FALSE(hue->isSliderDown());
  EXPECT_FALSE(hue->isEnabled());
  EXPECT_FALSE(find(u"fixture.color.wheel"_s)->isEnabled());
  EXPECT_EQ(text(u"fixture.color.hue.value"_s), u"10°"_s);
  EXPECT_EQ(text(u"fixture.color.status"_s), u"Color readback from Eos"_s);
  picture(u"disabled"_s);
}

TEST_F(FixtureColorModuleWidget, AFailedReadOffersToReadAgainEvenWithoutControl) {
  colorReadStarts = false;
  store.requestColorRead(5);
  push(false);
  EXPECT_EQ(text(u"fixture.color.notice"_s),
            u"Eos color readback is unavailable. Try reading it again."_s);
  EXPECT_TRUE(shows(u"fixture.color.read"_s));
  EXPECT_FALSE(track(u"hue"_s)->isEnabled());
  picture(u"failed"_s);
  colorReads.clear();
  colorReadStarts = true;
  QTest::mouseClick(find<QPushButton>(u"fixture.color.read"_s), Qt::LeftButton);
  EXPECT_EQ(colorReads, QList<int>{5});
  push(false);  // reading again, with the last colour known: no notice
  EXPECT_FALSE(shows(u"fixture.color.notice"_s));
  EXPECT_FALSE(shows(u"fixture.color.read"_s));
}

TEST(ColorSliderTrackWidget, AValueWithoutAWholeNumberIsNeverWrittenAsOne) {
  ColorSliderTrack track(360, u"°"_s);
  track.showValue(180.4);
  EXPECT_EQ(track.valueText(), u"180°"_s);
  track.showValue(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(track.valueText(), u"-°"_s);
  EXPECT_EQ(track.value(), 0);
  track.showValue(1e300);
  EXPECT_EQ(track.value(), 36000);
}

}  // namespace
}  // namespace tarnik::testing
