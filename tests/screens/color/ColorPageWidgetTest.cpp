// The colour card on a channel's page against the console double: the native colour read and
// shown, a drag's final colour read back as the console's, and when the container shows it.

#include "ColorPageTestSupport.h"
#include "screens/kit/CheckedRounding.h"

#include <QMouseEvent>

namespace tarnik::testing {
namespace {

using namespace Qt::StringLiterals;

using ColorPageWidget = ColorPageTest;

TEST_F(ColorPageWidget, ADragsFinalColourIsReadBackAndShownAsTheConsoles) {
  ASSERT_TRUE(prepareColorFixture());
  EXPECT_EQ(text(u"fixture.color.saturation.value"_s), u"60%"_s);
  const auto mouse = [&](QEvent::Type type, QPoint at, bool held) {
    QMouseEvent event(type, at, wheel()->mapToGlobal(at), Qt::LeftButton,
                      held ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(wheel(), &event);
  };
  mouse(QEvent::MouseButtonPress, wheelPoint(0, 50), true);
  mouse(QEvent::MouseMove, wheelPoint(45, 70), true);
  EXPECT_EQ(status(), u"Adjusting color"_s);
  mouse(QEvent::MouseButtonRelease, wheelPoint(90, 80), false);
  const double hue = wheel()->color().hue;
  EXPECT_NEAR(hue, 90, 1);
  ASSERT_TRUE(waitUntil([&] {
    settle();
    return status() == u"Color readback from Eos"_s;
  }));
  EXPECT_FLOAT_EQ(console.fixtures[5].hue, float(hue));
  EXPECT_EQ(receivedColors().size(), 2);  // the first at once, the last on release
  EXPECT_EQ(model->fixtureControls().state(5)->nativeColor->hue, double(float(hue)));
  EXPECT_EQ(text(u"fixture.color.hue.value"_s), wholeNumberText(hue) + u"°"_s);
}

TEST_F(ColorPageWidget, ViewerModeDisablesTheCardAndANewSessionDropsIt) {
  ASSERT_TRUE(prepareColorFixture());
  model->setInteractionMode(InteractionMode::viewer);
  settle();
  EXPECT_FALSE(wheel()->isEnabled());
  EXPECT_EQ(text(u"fixture.color.hue.value"_s), u"30°"_s);
  model->setInteractionMode(InteractionMode::editor);
  settle();
  EXPECT_TRUE(wheel()->isEnabled());
  model->fixtureControls().resetSession();
  ASSERT_TRUE(waitUntil([&] {
    settle();
    return !shows(u"fixture.color.wheel"_s);
  }));
}

}  // namespace
}  // namespace tarnik::testing
