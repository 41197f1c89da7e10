// The colour card on a channel's page against the console double: when the container shows it
// and lets it change colour.

#include "ColorPageTestSupport.h"

namespace tarnik::testing {
namespace {

using namespace Qt::StringLiterals;

using ColorPageWidget = ColorPageTest;

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
