// The Live page's rules as plain values: the command line, the show name, the pad width, the
// header's status and flashlight, the bar's colours.

#include "screens/live/LivePresentation.h"
#include "support/QtPrinting.h"

#include <gtest/gtest.h>
#include <limits>

namespace tarnik::testing {
namespace {

using namespace Qt::StringLiterals;
namespace P = LivePresentation;

TEST(LivePresentation, TheCommandLineWinsThenTheActiveCueNumberThenTheCueText) {
  struct Case {
    QString line, number, cue, shown;
    bool feedback;
  };
  const QList<Case> cases{
      {u"  Chan 1 At 5 \n"_s, u"12"_s, u""_s, u"Chan 1 At 5"_s, true},
      {u" \n\t "_s, u"12"_s, u""_s, u"Q12"_s, false},
      {u""_s, u"Cue 12"_s, u""_s, u"Q12"_s, false},
      {u""_s, u"cue   12"_s, u""_s, u"Q12"_s, false},
      {u""_s, u"q5"_s, u""_s, u"q5"_s, false},
      {u""_s, u"Q 5"_s, u""_s, u"Q 5"_s, false},
      {u""_s, u"Cue"_s, u""_s, u"QCue"_s, false},
      {u""_s, u"  "_s, u"3 Opening"_s, u"Q3 Opening"_s, false},
      {u""_s, u""_s, u" \n"_s, u"No command feedback"_s, false},
      // Counted as a reader counts: a "q" with a combining mark is not a "q".
      {u""_s, u"q\u0301 1"_s, u""_s, u"Qq\u0301 1"_s, false},
      // Only blanks and tabs go after "Cue ": the line break is the console's.
      {u""_s, u"Cue \t7\nA"_s, u""_s, u"Q7\nA"_s, false},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(P::commandLineText(c.line, c.number, c.cue), c.shown) << c.number.toStdString();
    EXPECT_EQ(P::hasConsoleFeedback(c.line), c.feedback) << c.line.toStdString();
  }
}

TEST(LivePresentation, TheShowNameIsTrimmedOrFallsBack) {
  EXPECT_EQ(P::showName(u" Gala "_s), u"Gala"_s);
  EXPECT_EQ(P::showName(u" \n "_s), u"No show loaded"_s);
  EXPECT_EQ(P::showName(QString()), u"No show loaded"_s);
}

TEST(LivePresentation, ThePadWidthLeavesTheTwoPaddingsAndNeverGoesBelowZero) {
  EXPECT_EQ(P::keypadWidth(400), 382);
  EXPECT_EQ(P::keypadWidth(18), 0);
  EXPECT_EQ(P::keypadWidth(5), 0);
  EXPECT_EQ(P::keypadWidth(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(LivePresentation, TheStatusTakesTheFirstRuleThatHolds) {
  struct Case {
    bool reachable, syncing, connected;
    QString description, text;
    LiveTint dot;
  };
  const QList<Case> cases{
      {true, true, true, u"Connected"_s, u"Eos responsive, show data syncing"_s, LiveTint::green},
      {true, false, false, u"Disconnected"_s, u"Eos responsive"_s, LiveTint::green},
      {false, true, true, u"Connected"_s, u"Waiting for Eos response"_s, LiveTint::yellow},
      {false, false, false, u"Connecting to 127.0.0.1:3032"_s, u"Connecting to 127.0.0.1:3032"_s,
       LiveTint::yellow},
      {false, false, false, u"Waiting to connect — no route"_s, u"Waiting to connect — no route"_s,
       LiveTint::yellow},
      {false, false, false, u"AWAITING"_s, u"AWAITING"_s, LiveTint::yellow},
      {false, false, false, u"Disconnected"_s, u"Disconnected"_s, LiveTint::red},
      {false, true, false, u""_s, u"Disconnected"_s, LiveTint::red},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(P::connectionStatusText(c.reachable, c.syncing, c.connected, c.description), c.text)
        << c.description.toStdString();
    EXPECT_EQ(P::statusDotColor(c.reachable, c.connected, c.description), c.dot)
        << c.description.toStdString();
  }
  EXPECT_EQ(P::statusAccessibleName(u"Eos responsive"_s), u"Connection status: Eos responsive"_s);
  EXPECT_EQ(P::showAccessibleName(QString()), u"Show: "_s);
}

TEST(LivePresentation, TheFlashlightShowsItsStateAndWhyItIsUnavailable) {
  const P::TorchLook litUnavailable = P::torchLook(true, false);
  EXPECT_EQ(litUnavailable.symbol, u"flashlight.on.fill"_s);
  EXPECT_EQ(litUnavailable.color, (TintedColor{LiveTint::yellow, 1}));
  EXPECT_EQ(litUnavailable.accessibleName, u"Turn flashlight off"_s);
  EXPECT_EQ(litUnavailable.hint, u"Explains why the flashlight is unavailable"_s);

  const P::TorchLook off = P::torchLook(false, false);
  EXPECT_EQ(off.symbol, u"flashlight.off.fill"_s);
  EXPECT_EQ(off.color, (TintedColor{LiveTint::white, 0.28}));
  EXPECT_EQ(off.accessibleName, u"Turn flashlight on"_s);

  const P::TorchLook ready = P::torchLook(false, true);
  EXPECT_EQ(ready.color, (TintedColor{LiveTint::white, 0.72}));
  EXPECT_EQ(ready.hint, u"Controls the iPhone flashlight"_s);
}

TEST(LivePresentation, TheBarsTextAndBorderFollowTheirOwnFlags) {
  EXPECT_EQ(P::commandLineTextColor(true), (TintedColor{LiveTint::amberAccent, 1}));
  EXPECT_EQ(P::commandLineTextColor(false), (TintedColor{LiveTint::white, 0.68}));
  EXPECT_EQ(P::commandLineBorderColor(true), (TintedColor{LiveTint::amberAccent, 0.92}));
  EXPECT_EQ(P::commandLineBorderColor(false), (TintedColor{LiveTint::blueAccent, 0.92}));
}

}  // namespace
}  // namespace tarnik::testing
