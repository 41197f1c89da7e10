// What the patch list decides from the model's state: which channels it shows and in which
// order, the banner, the content, the park-check explanation and the sync item's title.

#include "screens/patch/PatchListRules.h"
#include "screens/patch/PatchVisibleChannels.h"
#include "support/QtPrinting.h"

#include <QDateTime>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

const QLocale locales[] = {QLocale(u"en_US"_s), QLocale(u"de_DE"_s)};

FixtureControlState stateWith(int channel, FixtureParkState park) {
  FixtureControlState state = FixtureControlState::empty(channel);
  state.parkState = park;
  return state;
}

TEST(PatchVisibleChannels, FilterFirstThenOrderAndOnlyConfirmedParkedPassTheParkedFilter) {
  // The console may report a number twice; both rows stay.
  const QList<Channel> channels{
      {.number = 6, .level = 10, .label = u"Spare"_s},
      {.number = 1, .level = 20, .label = u"Café Wash"_s, .address = u"1/1"_s},
      {.number = 2, .level = 30, .label = u"Wash"_s},
      {.number = 3, .level = 40},
      {.number = 4, .level = 50},
      {.number = 5, .level = 60},
      {.number = 7, .level = 70, .label = u"Back wash"_s},
      {.number = 7, .level = 80, .label = u"Back wash"_s},
  };
  const std::map<int, FixtureControlState> states{
      {1, stateWith(1, FixtureParkState::parked())},
      {2, stateWith(2, FixtureParkState::pending(FixtureParkAction::park))},
      {3, stateWith(3, FixtureParkState::sentUnverified(FixtureParkAction::park))},
      {4, stateWith(4, FixtureParkState::unknown())},
      {5, stateWith(5, FixtureParkState::unparked())},
      {7, stateWith(7, FixtureParkState::parked())},
  };
  const struct {
    QString search;
    bool parkedOnly;
    PatchSortOption order;
    QList<qsizetype> expected;  // positions in `channels`
  } cases[] = {
      {u""_s, false, PatchSortOption::channel, {1, 2, 3, 4, 5, 0, 6, 7}},
      {u"   "_s, false, PatchSortOption::on, {7, 6, 5, 4, 3, 2, 1, 0}},
      {u""_s, true, PatchSortOption::channel, {1, 6, 7}},
      {u"WASH"_s, false, PatchSortOption::on, {7, 6, 2, 1}},
      {u" cafe "_s, true, PatchSortOption::channel, {1}},
      {u"wash"_s, true, PatchSortOption::on, {7, 6, 1}},
      {u"spare"_s, true, PatchSortOption::channel, {}},
      {u"u1"_s, false, PatchSortOption::channel, {1}},  // the address text "U1 • 001"
  };
  for (const QLocale &locale : locales) {
    const PatchSearchIndex index(channels, locale);
    for (const auto &row : cases) {
      // Element by element: QList's own == hands memcmp the null storage of an empty list
      // that never held anything, which the sanitized build reports.
      EXPECT_THAT(visiblePatchChannels(channels, index, row.search, row.parkedOnly, states,
                                       row.order, locale),
                  ::testing::ElementsAreArray(row.expected))
          << row.search.toStdString() << (row.parkedOnly ? " parked only" : "");
    }
  }
  EXPECT_TRUE(hasConfirmedParkedChannel(channels, states));
  EXPECT_FALSE(hasConfirmedParkedChannel(channels.mid(2, 4), states));
  EXPECT_FALSE(hasConfirmedParkedChannel(channels, {}));
  EXPECT_FALSE(isConfirmedParked(qint64(1) << 32 | 1, states));  // not channel 1
}

TEST(PatchVisibleChannels, ASearchMatchesInsideOneTextNeverAcrossTwo) {
  // Label "ab" and type "cd" lie side by side in the index; "bc" is in neither.
  const QList<Channel> channels{{.number = 40, .label = u"ab"_s, .type = u"cd"_s}};
  const PatchSearchIndex index(channels, locales[0]);
  for (const QString &query : {u"ab"_s, u"cd"_s, u"40"_s, u"B"_s})
    EXPECT_TRUE(index.matches(0, Channel::foldedForSearch(query, locales[0])))
        << query.toStdString();
  for (const QString &query : {u"bc"_s, u"40ab"_s, u"0a"_s})
    EXPECT_FALSE(index.matches(0, Channel::foldedForSearch(query, locales[0])))
        << query.toStdString();
}

TEST(PatchListRules, TheBannerSaysWhyTheDataMayNotBeCurrent) {
  using Kind = PatchBannerContent::Kind;
  const struct {
    const char *name;
    bool hasChannels, loading, reachable;
    QString status;
    std::optional<PatchBannerContent> expected;
  } cases[] = {
      {"empty patch", false, true, false, u"Sync failed"_s, std::nullopt},
      {"syncing wins over offline", true, true, false, u"Synced"_s,
       PatchBannerContent{Kind::syncing, {}}},
      {"offline", true, false, false, u"Synced"_s, PatchBannerContent{Kind::offline, {}}},
      {"synced", true, false, true, u"Synced"_s, std::nullopt},
      {"synced with blanks", true, false, true, u" Synced\n"_s, std::nullopt},
      {"only blanks", true, false, true, u"  \t"_s, std::nullopt},
      {"case counts", true, false, true, u"synced"_s,
       PatchBannerContent{Kind::attention, u"synced"_s}},
      {"trimmed text", true, false, true, u"  No show loaded\n"_s,
       PatchBannerContent{Kind::attention, u"No show loaded"_s}},
  };
  for (const auto &row : cases) {
    EXPECT_EQ(patchBannerContent(row.hasChannels, row.loading, row.reachable, row.status),
              row.expected)
        << row.name;
  }
}

TEST(PatchListRules, TheFirstMatchingContentFillsTheList) {
  using enum PatchListContent;
  const struct {
    bool hasChannels, hasVisible, parkedOnly, anyParked;
    PatchListContent expected;
  } cases[] = {
      {false, false, true, false, emptyPatch},
      {true, true, true, true, rows},
      {true, false, true, false, noConfirmedParkedChannels},
      {true, false, true, true, noSearchResults},
      {true, false, false, false, noSearchResults},
  };
  for (const auto &row : cases) {
    EXPECT_EQ(patchListContent(row.hasChannels, row.hasVisible, row.parkedOnly, row.anyParked),
              row.expected);
  }
  // Loading and reachability choose independently.
  const PatchEmptyState loadingOffline = emptyPatchState(true, false);
  EXPECT_EQ(loadingOffline.title, u"Loading Patch"_s);
  EXPECT_EQ(loadingOffline.symbolName, u"arrow.triangle.2.circlepath"_s);
  EXPECT_EQ(loadingOffline.description, u"Connect to Eos to load patch data."_s);
  const PatchEmptyState idleReachable = emptyPatchState(false, true);
  EXPECT_EQ(idleReachable.title, u"No Patch Loaded"_s);
  EXPECT_EQ(idleReachable.symbolName, u"lightbulb"_s);
  EXPECT_EQ(idleReachable.description, u"Pulling patch data from Eos."_s);
}

TEST(PatchListRules, TheParkCheckExplanationEndsOneSentenceOnce) {
  const QString refresh = u"Check Parked Channels to refresh the authoritative Eos result."_s;
  const struct {
    bool checking;
    QString status;
    QString expected;
  } cases[] = {
      {true, u"Checking parked channels…"_s,
       u"Checking parked channels… Results will appear after Eos finishes the isolated check."_s},
      {false, u"Park status not checked"_s,
       u"Park status has not been confirmed. Check Parked Channels before concluding that "
       u"nothing is parked."_s},
      {true, u"Park status not checked"_s,
       u"Park status not checked Results will appear after Eos finishes the isolated check."_s},
      {false, u"3 channels parked"_s, u"3 channels parked. "_s + refresh},
      {false, u"Park state changed during the query. Sync and check again."_s,
       u"Park state changed during the query. Sync and check again. "_s + refresh},
      {false, u"Waiting…"_s, u"Waiting… "_s + refresh},
      {false, u"Refused!"_s, u"Refused! "_s + refresh},
      {false, u"Parked?"_s, u"Parked? "_s + refresh},
      {false, u"Park status not checked."_s, u"Park status not checked. "_s + refresh},
  };
  for (const auto &row : cases)
    EXPECT_EQ(parkCheckExplanation(row.checking, row.status), row.expected);
}

TEST(PatchListRules, TheSyncTitleShowsTheLastRefreshInTheLocale) {
  EXPECT_EQ(syncButtonTitle(std::nullopt, locales[0], QTimeZone::utc()), u"Sync Now"_s);
  // 15:07:42 UTC on 2026-12-07, in seconds since 2001-01-01.
  const double refreshed =
      double(QDateTime(QDate(2026, 12, 7), QTime(15, 7, 42), QTimeZone::utc()).toSecsSinceEpoch() -
             978307200);
  const QString american = syncButtonTitle(refreshed, locales[0], QTimeZone::utc());
  // The blank before the marker is the locale's own (a narrow no-break space in ICU 72).
  ASSERT_EQ(american.size(), u"Sync Now (3:07 PM)"_s.size()) << american.toStdString();
  EXPECT_TRUE(american.startsWith(u"Sync Now (3:07"_s)) << american.toStdString();
  EXPECT_TRUE(american[14].isSpace());
  EXPECT_TRUE(american.endsWith(u"PM)"_s));
  EXPECT_EQ(syncButtonTitle(refreshed, locales[1], QTimeZone::utc()), u"Sync Now (15:07)"_s);
  EXPECT_EQ(syncButtonTitle(refreshed, locales[1], QTimeZone("Europe/Berlin")),
            u"Sync Now (16:07)"_s);
}

}  // namespace
}  // namespace tarnik
