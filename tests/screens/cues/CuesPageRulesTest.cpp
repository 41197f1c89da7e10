// The Cues page's decisions as plain rules.

#include "screens/live/CuesPageRules.h"
#include "support/QtPrinting.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

TEST(CuesPageRules, TheEmptyStateTakesItsTitleFromLoadingAndItsTextFromReachability) {
  struct Case {
    bool loading, reachable;
    CueEmptyState shown;
  };
  const Case cases[] = {
      {true,
       true,
       {u"arrow.triangle.2.circlepath"_s, u"Loading Cues"_s, u"Pulling cue data from Eos."_s}},
      {true,
       false,
       {u"arrow.triangle.2.circlepath"_s, u"Loading Cues"_s,
        u"Connect to Eos to load cue data."_s}},
      {false, true, {u"list.number"_s, u"No Cues Loaded"_s, u"Pulling cue data from Eos."_s}},
      {false,
       false,
       {u"list.number"_s, u"No Cues Loaded"_s, u"Connect to Eos to load cue data."_s}},
  };
  for (const Case &c : cases)
    EXPECT_EQ(cueEmptyState(c.loading, c.reachable), c.shown) << c.loading << c.reachable;
}

TEST(CuesPageRules, ConfirmGates) {
  // Record asks for a number and a reachable console only; the model judges the rest.
  EXPECT_TRUE(recordCueEnabled(u"abc"_s, true));
  EXPECT_TRUE(recordCueEnabled(u" 7 "_s, true));
  EXPECT_FALSE(recordCueEnabled(u" \n\t"_s, true));
  EXPECT_FALSE(recordCueEnabled(u"7"_s, false));
  // A breaker wants both texts and control.
  EXPECT_TRUE(sceneBreakConfirmEnabled(u"12"_s, u"Act 2"_s, true));
  EXPECT_FALSE(sceneBreakConfirmEnabled(u"12"_s, u"  "_s, true));
  EXPECT_FALSE(sceneBreakConfirmEnabled(u" "_s, u"Act 2"_s, true));
  EXPECT_FALSE(sceneBreakConfirmEnabled(u"12"_s, u"Act 2"_s, false));
}

TEST(CuesPageRules, BreakerSheetsAndDialogs) {
  const SceneBreakEditor add{SceneBreakEditor::Add{u"7"_s}};
  const SceneBreakEditor rename{SceneBreakEditor::Rename{{u"12"_s, u"Act 2"_s}}};
  EXPECT_EQ(sceneBreakSheetTitle(add), u"Add Breaker"_s);
  EXPECT_EQ(sceneBreakConfirmTitle(add), u"Add"_s);
  EXPECT_EQ(sceneBreakStartNumber(add), u"7"_s);
  EXPECT_EQ(sceneBreakStartLabel(add), QString());
  EXPECT_EQ(sceneBreakSheetTitle(rename), u"Rename Breaker"_s);
  EXPECT_EQ(sceneBreakConfirmTitle(rename), u"Save"_s);
  EXPECT_EQ(sceneBreakStartNumber(rename), u"12"_s);
  EXPECT_EQ(sceneBreakStartLabel(rename), u"Act 2"_s);

  EXPECT_EQ(breakerActionsTitle({u"12"_s, u"<b>Act</b> %1"_s}), u"<b>Act</b> %1"_s);
  EXPECT_EQ(breakerActionsTitle({u"12"_s, {}}), u"Breaker"_s);
  EXPECT_EQ(breakerActionsMessage({u"12.5"_s, u"x"_s}), u"Cue 12.5"_s);
  EXPECT_EQ(breakerDeleteMessage({u"12"_s, u"x"_s}), u"This removes the breaker above cue 12."_s);
}

}  // namespace
}  // namespace tarnik
