// The words and values of the Go buttons and the cue detail, as plain rules.

#include "screens/live/CueDetailContent.h"
#include "screens/live/CuePlaybackTexts.h"
#include "screens/live/GoButtonLook.h"
#include "screens/live/SlotSpring.h"
#include "support/QtPrinting.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

TEST(GoButtonTexts, TitleAndSubtitleFollowTheNextCue) {
  struct Case {
    std::optional<Cue> next;
    QString title;
    QString subtitle;
  };
  const Case cases[] = {
      {std::nullopt, u"Go"_s, {}},
      {Cue{.number = u"12"_s, .label = u"Cue 12"_s}, u"Go Cue 12"_s, {}},
      {Cue{.number = u"12"_s, .label = u"Cue 12 Finale"_s}, u"Go Cue 12"_s, u"Finale"_s},
      {Cue{.number = u"12"_s, .label = u"  "_s}, u"Go Cue 12"_s, {}},
      {Cue{.number = u"3.5"_s, .label = u"cue 3.5 Storm"_s}, u"Go Cue 3.5"_s, u"cue 3.5 Storm"_s},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(goTitle(c.next), c.title);
    EXPECT_EQ(goTitlePrefix(c.next) + goTitleNumber(c.next), c.title);
    EXPECT_EQ(goSubtitle(c.next), c.subtitle) << c.title.toStdString();
  }
}

TEST(GoButtonLook, TheBandShowsWhileARunIsUnderWayAndStaysInsideTheButton) {
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  constexpr double inf = std::numeric_limits<double>::infinity();
  struct Case {
    std::optional<double> progress;
    double bandOpacity;
    double width;  // of the band in a fill 200 wide
  };
  const Case cases[] = {
      {std::nullopt, 0, 0}, {0.0, 1, 0},  {0.4, 1, 80},  {0.999, 1, 199.8}, {1.0, 0, 200},
      {nan, 0, 0},          {-0.2, 1, 0}, {1.7, 0, 200}, {inf, 0, 0},       {-inf, 0, 0},
  };
  for (const Case &c : cases) {
    const GoFillLook look = goFillLook(c.progress, true);
    const std::string shown = c.progress ? std::to_string(*c.progress) : "none";
    EXPECT_EQ(look.bandOpacity, c.bandOpacity) << shown;
    EXPECT_NEAR(goBandWidth(look, 200), c.width, 1e-9) << shown;
  }
  EXPECT_EQ(goFillLook(0.5, true).fillOpacity, 0.95);
  EXPECT_EQ(goFillLook(0.5, false).fillOpacity, 0.35);
}

TEST(SlotSpring, RisesWithoutOvershootAndSettlesWithinTheSlide) {
  EXPECT_EQ(slotSpringPosition(0), 0);
  EXPECT_EQ(slotSpringPosition(-1), 0);
  EXPECT_NEAR(slotSpringPosition(0.28), 1 - (1 + 2 * M_PI) * std::exp(-2 * M_PI), 1e-12);
  EXPECT_NEAR(slotSpringPosition(0.28), 0.986, 0.001);
  EXPECT_GE(slotSpringPosition(slotSpringSettleSeconds), 0.999);
  double previous = 0;
  // Rising all the way and never past rest (near the end only the doubles' last bits move).
  for (int step = 1; step <= 2000; ++step) {
    const double x = slotSpringPosition(step * 0.001);
    ASSERT_TRUE(step < 1000 ? x > previous : x >= previous) << step;
    ASSERT_LE(x, 1.0) << step;
    previous = x;
  }
}

QStringList labels(const QList<CueDetailRow> &rows) {
  QStringList texts;
  for (const CueDetailRow &row : rows) texts.append(row.label + u'=' + row.value);
  return texts;
}

TEST(CueDetailContent, TilesAndTimingShowFormattedTimes) {
  const CueDetailContent content = cueDetailContent(Cue{.number = u"5"_s,
                                                        .label = u"House Cue 5 half"_s,
                                                        .upTime = u"3"_s,
                                                        .downTime = u"2.5"_s,
                                                        .colorTime = u" "_s,
                                                        .hang = u"1.0s"_s});
  EXPECT_EQ(content.title, u"Cue 5"_s);
  EXPECT_EQ(content.label, u"House  half"_s);
  EXPECT_EQ(labels(content.tiles), (QStringList{u"Duration=-"_s, u"Up=3s"_s, u"Down=2.5s"_s}));
  // A blank is a value as stored: the row is there and shows "-".
  EXPECT_EQ(labels(content.timing), (QStringList{u"Color Time=-"_s, u"Hang=1s"_s}));
  EXPECT_FALSE(content.showsFlags);
  EXPECT_TRUE(content.sequence.isEmpty());
}

TEST(CueDetailContent, SectionsAppearOnlyWithTheirFields) {
  struct Case {
    Cue cue;
    QString label;
    bool showsFlags;
    QStringList flags;
    QStringList sequence;
  };
  const Case cases[] = {
      {Cue{.number = u"5"_s, .label = u"Cue 5"_s}, u"No label"_s, false, {}, {}},
      {Cue{.number = u"5"_s, .label = u"cue 5"_s, .mark = u" "_s},
       u"cue 5"_s,
       true,
       {u"Mark="_s},
       {}},
      {Cue{.number = u"5"_s, .label = u"Cue 5 Blackout"_s, .fx = u"1"_s},
       u"Blackout"_s,
       false,
       {},
       {}},
      {Cue{.number = u"5"_s,
           .mark = u"M"_s,
           .block = u"B"_s,
           .assert = u"A"_s,
           .preheat = u"P"_s,
           .allFade = u"F"_s,
           .moves = u"V"_s,
           .release = u"R"_s,
           .link = u"7"_s,
           .loop = u" 2"_s,
           .curve = u"Linear"_s,
           .rate = u"50"_s,
           .fx = u"x"_s,
           .execute = u"Macro 3"_s},
       u"No label"_s,
       true,
       {u"Block="_s, u"Assert="_s, u"Mark="_s, u"Preheat="_s, u"AllFade="_s, u"Moves="_s,
        u"Release="_s},
       {u"Link=7"_s, u"Loop= 2"_s, u"Curve=Linear"_s, u"Rate=50"_s, u"Execute=Macro 3"_s}},
  };
  for (const Case &c : cases) {
    const CueDetailContent content = cueDetailContent(c.cue);
    EXPECT_EQ(content.label, c.label);
    EXPECT_TRUE(content.timing.isEmpty());
    EXPECT_EQ(content.showsFlags, c.showsFlags) << c.label.toStdString();
    EXPECT_EQ(labels(content.flags), c.flags);
    EXPECT_EQ(labels(content.sequence), c.sequence);
  }
}

TEST(CueDetailContent, ProgressBelongsOnlyToTheSameNumberText) {
  const Cue five{.number = u"5"_s};
  EXPECT_EQ(cueDetailProgress(five, u"5"_s, 0.4), 0.4);
  EXPECT_EQ(cueDetailProgress(five, u"5"_s, std::nullopt), std::nullopt);
  EXPECT_EQ(cueDetailProgress(five, u"5.0"_s, 0.4), std::nullopt);
  EXPECT_EQ(cueDetailProgress(five, u"6"_s, 0.4), std::nullopt);
  EXPECT_EQ(cueDetailProgress(five, u" 5"_s, 0.4), std::nullopt);
  // So the fill of cue 5 shows no band while the console reports "5.0".
  EXPECT_EQ(goFillLook(cueDetailProgress(five, u"5.0"_s, 0.4), true).bandOpacity, 0);
}

TEST(CueDetailContent, TheFootFollowsModeControlAndReachability) {
  const Cue seven{.number = u"7"_s};
  struct Case {
    bool viewer, canControl, reachable;
    bool note, go, enabled, offline;
  };
  const Case cases[] = {
      {true, false, false, true, false, false, false},
      {false, true, true, false, true, true, false},
      {false, false, false, false, true, false, true},
      {false, false, true, false, true, false, false},
  };
  for (const Case &c : cases) {
    const CueDetailActionState state =
        cueDetailActionState(seven, c.viewer, c.canControl, c.reachable);
    EXPECT_EQ(state.showsViewerNote, c.note);
    EXPECT_EQ(state.showsGo, c.go);
    EXPECT_EQ(state.goEnabled, c.enabled);
    EXPECT_EQ(state.showsOffline, c.offline);
    EXPECT_EQ(state.goTitle, c.go ? u"Go to Cue 7"_s : QString());
  }
}

}  // namespace
}  // namespace tarnik
