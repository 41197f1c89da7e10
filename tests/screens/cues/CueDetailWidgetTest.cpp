// The cue detail screen's label: a long one is shown whole, never cut.

#include "SyncedCueConsole.h"
#include "screens/live/CueDetailView.h"
#include "screens/support/Screenshots.h"
#include "screens/support/WholeText.h"

#include <QLabel>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

TEST(CueDetailWidget, ALabelWithAWordWiderThanTheScreenWrapsInsideTheWord) {
  testing::SyncedCueConsole console;
  const QString label = u"Sunrise_over_the_harbour_with_fog_"_s.repeated(9);
  CueDetailView detail(*console.model, Cue{.number = u"5"_s, .label = label});
  detail.resize(420, 640);
  detail.show();
  testing::saveScreenshot(detail, u"cues-detail-long-label"_s);
  auto *shown = detail.findChild<QLabel *>(u"cues.detail.label"_s);
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->text(), label);
  EXPECT_TRUE(testing::showsWholeText(*shown, detail.width()));
}

}  // namespace
}  // namespace tarnik
