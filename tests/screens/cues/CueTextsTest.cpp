// The texts of a cue row and of the sync card.

#include "foundation/ReferenceDate.h"
#include "screens/live/CueSyncTexts.h"
#include "screens/live/CueTexts.h"
#include "support/QtPrinting.h"

#include <QDateTime>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

TEST(CueTexts, TheDisplayLabelDropsTheCuesOwnNumberOnly) {
  const struct {
    QString number;
    QString label;
    QString shown;
  } rows[] = {
      {u"12"_s, u"Cue 12 — Finale"_s, u"— Finale"_s},
      {u"12"_s, u"Cue 12Cue 12"_s, u"No label"_s},
      {u"12"_s, u"Cue 1"_s, u"Cue 1"_s},
      {u"5"_s, u"House Cue 5 half"_s, u"House  half"_s},
      {u"5"_s, u"cue 5 Intro"_s, u"cue 5 Intro"_s},
      {u"5"_s, u" \n "_s, u"No label"_s},
      // Followed by a digit, or by "." and a digit, the text names another cue.
      {u"1"_s, u"Cue 12 Finale"_s, u"Cue 12 Finale"_s},
      {u"1"_s, u"Cue 1.5 look"_s, u"Cue 1.5 look"_s},
      {u"1"_s, u"Cue 1. Opening"_s, u". Opening"_s},
      {u"1"_s, u"Cue 1"_s, u"No label"_s},
      {u"1"_s, u"Cue 1.5 then Cue 1"_s, u"Cue 1.5 then"_s},
      {u"1"_s, u"Cue 1."_s, u"."_s},
  };
  for (const auto &row : rows) {
    const Cue cue{.number = row.number, .label = row.label};
    EXPECT_EQ(cueRowLabelText(cue), row.shown) << row.label.toStdString();
  }
  EXPECT_EQ(cueDisplayLabel(Cue{.number = u"1"_s, .label = u"Cue 1"_s}), QString());
  EXPECT_EQ(cueRowTitle(Cue{.number = u"2.5 "_s}), u"Cue 2.5 "_s);
}

TEST(CueTexts, TheCardShowsTheNameAsPublishedAndCountsWithoutTranslation) {
  EXPECT_EQ(cueSyncShowName(u"  "_s), u"  "_s);
  EXPECT_EQ(cueSyncShowName({}), u"Show Name"_s);
  EXPECT_EQ(cueCountText(0), u"0 cues"_s);
  EXPECT_EQ(cueCountText(1), u"1 cues"_s);
  EXPECT_EQ(cueCountText(20000), u"20000 cues"_s);
}

TEST(CueTexts, TheStatusIsTheDataStatusWhileReachableElseOfflineWithTheLastTime) {
  const double at =
      QDateTime(QDate(2026, 12, 7), QTime(21, 41, 30), QTimeZone::utc()).toSecsSinceEpoch() -
      static_cast<double>(referenceDateUnixSeconds);
  EXPECT_EQ(cueSyncStatusText(true, u"Synced"_s, at), u"Synced"_s);
  EXPECT_EQ(cueSyncStatusText(true, {}, at), QString());
  EXPECT_EQ(cueSyncStatusText(false, u"Synced"_s, std::nullopt), u"Offline"_s);
  // The machine's zone is UTC for these tests (the environment sets TZ).
  EXPECT_EQ(cueSyncStatusText(false, u"Synced"_s, at, std::nullopt, QLocale(u"en_US"_s)),
            u"Offline · 9:41\u202FPM"_s);
  EXPECT_EQ(cueSyncStatusText(false, u"Synced"_s, at, std::nullopt, QLocale(u"de_DE"_s)),
            u"Offline · 21:41"_s);
  // Why the connection was dropped stays in sight after the reconnects have stopped.
  const QString failure = u"Console returned an invalid item count — cached data retained"_s;
  const QString stopped = failure + u" — automatic reconnect stopped after 5 attempts"_s;
  EXPECT_EQ(cueSyncStatusText(false, stopped, at, failure, QLocale(u"de_DE"_s)),
            u"Offline · 21:41 — "_s + failure);
  EXPECT_EQ(cueSyncStatusText(false, stopped, std::nullopt, failure), u"Offline — "_s + failure);
  EXPECT_EQ(cueSyncStatusText(true, u"Synced"_s, at, failure), u"Synced"_s);
}

}  // namespace
}  // namespace tarnik
