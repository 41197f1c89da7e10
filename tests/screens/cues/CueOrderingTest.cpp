// Cue order, matching against the console's active and pending cue, and the breakers.

#include "screens/live/CueListRows.h"
#include "screens/live/CueOrdering.h"
#include "support/QtPrinting.h"

#include <QStringList>

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

QList<Cue> cuesNumbered(const QStringList &numbers) {
  QList<Cue> cues;
  for (const QString &number : numbers)
    cues.append(Cue{.number = number, .label = u"L"_s + number});
  return cues;
}

QStringList numbersOf(const QList<Cue> &cues) {
  QStringList numbers;
  for (const Cue &cue : cues) numbers.append(cue.number);
  return numbers;
}

TEST(CueOrdering, ANumberValueIsTheWholeUntrimmedText) {
  const struct {
    QString text;
    std::optional<double> value;
  } rows[] = {{u"12"_s, 12},
              {u"12.5"_s, 12.5},
              {u"+3"_s, 3},
              {u"1e2"_s, 100},
              {u"0x10"_s, 16},
              {u"-1"_s, -1},
              {u" 12"_s, std::nullopt},
              {u"12 "_s, std::nullopt},
              {u"12a"_s, std::nullopt},
              {u""_s, std::nullopt},
              {u"1/5"_s, std::nullopt}};
  for (const auto &row : rows)
    EXPECT_EQ(Cue::numberValue(row.text), row.value) << row.text.toStdString();
}

TEST(CueOrdering, SortsByValueAndKeepsTheModelsOrderForEqualValues) {
  const struct {
    QStringList model;
    QStringList sorted;
  } rows[] = {
      {{u"10"_s, u"2"_s, u"1.5"_s, u"A"_s}, {u"A"_s, u"1.5"_s, u"2"_s, u"10"_s}},
      {{u"2"_s, u"2.0"_s}, {u"2"_s, u"2.0"_s}},
      {{u"2.0"_s, u"2"_s}, {u"2.0"_s, u"2"_s}},
      // A number with a blank has no value and sorts as 0, among the unreadable ones.
      {{u"1"_s, u"3 "_s, u"-2"_s, u" 5"_s}, {u"-2"_s, u"3 "_s, u" 5"_s, u"1"_s}},
      {{}, {}},
  };
  for (const auto &row : rows) {
    const QList<Cue> model = cuesNumbered(row.model);
    EXPECT_EQ(numbersOf(sortedCues(model)), row.sorted) << row.model.join(u'|').toStdString();
    EXPECT_EQ(numbersOf(model), row.model);  // the model's own list is left alone
  }
  EXPECT_TRUE(isActiveCue(Cue{.number = u"3 "_s}, u"3"_s));
}

// "nan" reads as a value that compares with nothing; as a sort key it would break the
// ordering stable_sort relies on. It counts as 0 whatever the order it arrives in.
TEST(CueOrdering, NotANumberSortsAsZeroInEveryInputOrder) {
  QStringList input{u"3"_s, u"nan"_s, u"1"_s, u"-nan"_s, u"inf"_s, u"2"_s};
  std::mt19937 random(20261207);
  for (int round = 0; round < 1000; ++round) {
    std::shuffle(input.begin(), input.end(), random);
    QStringList expected;
    for (const QString &number : input) {
      if (number.endsWith(u"nan"_s)) expected.append(number);
    }
    expected << u"1"_s << u"2"_s << u"3"_s << u"inf"_s;
    ASSERT_EQ(numbersOf(sortedCues(cuesNumbered(input))), expected)
        << input.join(u' ').toStdString();
  }
}

TEST(CueOrdering, MatchesNumbersByTrimmedTextOrByValue) {
  const struct {
    QString lhs;
    QString rhs;
    bool match;
  } rows[] = {
      {u"5"_s, u" 5 "_s, true},    {u"5"_s, u"5.0"_s, true},     {u"5"_s, u"05"_s, true},
      {u"5"_s, u"5.01"_s, false},  {u"5"_s, u""_s, false},       {u""_s, u""_s, false},
      {u"5"_s, u"Cue 5"_s, false}, {u"A"_s, u"B"_s, false},      {u"A"_s, u" A"_s, true},
      {u"nan"_s, u"nan"_s, true},  {u"nan"_s, u"-nan"_s, false},
  };
  for (const auto &row : rows) {
    EXPECT_EQ(cueNumbersMatch(row.lhs, row.rhs), row.match)
        << row.lhs.toStdString() << " / " << row.rhs.toStdString();
  }
}

TEST(CueOrdering, MarksEveryCueTheActiveNumberNames) {
  const QList<Cue> cues = cuesNumbered({u"A"_s, u"5"_s, u"5.0"_s, u"12.5"_s, u"12.50"_s, u"nan"_s});
  const struct {
    QString active;
    QStringList marked;
  } rows[] = {
      {u"Cue 12.5"_s, {u"12.5"_s, u"12.50"_s}},
      {u"5"_s, {u"5"_s, u"5.0"_s}},
      {u"0"_s, {u"A"_s}},  // a number without a value counts as 0
      {u""_s, {}},
      {u"Cue"_s, {}},
      {u"nan"_s, {u"nan"_s}},  // by its text alone
  };
  for (const auto &row : rows) {
    QStringList marked;
    for (const Cue &cue : cues) {
      if (isActiveCue(cue, row.active)) marked.append(cue.number);
    }
    EXPECT_EQ(marked, row.marked) << row.active.toStdString();
  }
  EXPECT_EQ(activeCueNumberValue(u"1/12.5"_s), 1.0);
  EXPECT_EQ(activeCueNumberValue(u"Cue 7"_s), 7.0);
  EXPECT_EQ(activeCueNumberValue(u"-3"_s), 3.0);  // no sign
}

TEST(CueOrdering, ThePlaybackCueIsTheMatchingCueOrOneMadeFromThePendingValues) {
  const QList<Cue> sorted = sortedCues(cuesNumbered({u"1"_s, u"7.0"_s, u"7"_s}));
  EXPECT_EQ(playbackCue(sorted, u"7"_s, u"ignored"_s), sorted[1]);

  const std::optional<Cue> made = playbackCue(sorted, u"8"_s, u"Finale"_s);
  ASSERT_TRUE(made);
  EXPECT_EQ(*made, (Cue{.number = u"8"_s, .label = u"Finale"_s}));
  EXPECT_EQ(playbackCue(sorted, u" "_s, {})->number, u" "_s);  // matches nothing
  EXPECT_FALSE(playbackCue(sorted, {}, u"Finale"_s));

  EXPECT_EQ(defaultBreakerCueNumber(made, sorted), u"8"_s);
  EXPECT_EQ(defaultBreakerCueNumber(std::nullopt, sorted), u"1"_s);
  EXPECT_EQ(defaultBreakerCueNumber(std::nullopt, {}), QString());
  EXPECT_EQ(defaultBreakerCueNumber(playbackCue({}, u"7"_s, {}), {}), u"7"_s);
}

QList<Cue> cuesWithScenes(const QStringList &scenes) {
  QList<Cue> cues;
  for (qsizetype i = 0; i < scenes.size(); ++i)
    cues.append(Cue{.number = QString::number(i + 1), .sceneLabel = scenes[i]});
  return cues;
}

struct GroupShape {
  QString id;
  qsizetype cues;
  bool titled;
  friend bool operator==(const GroupShape &, const GroupShape &) = default;
  friend void PrintTo(const GroupShape &g, std::ostream *out) {
    *out << g.id.toStdString() << ':' << g.cues << (g.titled ? " titled" : "");
  }
};

std::vector<GroupShape> shapes(const QList<CueGroup> &groups) {
  std::vector<GroupShape> shapes;
  for (const CueGroup &group : groups)
    shapes.push_back({group.id(), group.cues.size(), group.showsCueListTitle});
  return shapes;
}

TEST(CueOrdering, GroupsCuesUnderBreakers) {
  const struct {
    QStringList scenes;
    QStringList rowIds;
    std::vector<GroupShape> groups;
  } rows[] = {
      // A cue without scene text ends no scene; a changed letter case starts one.
      {{u"Act 1"_s, u""_s, u"Act 1"_s, u" Act 2 "_s, u"Act 2"_s, u"act 2"_s},
       {u"Act 1-1"_s, u"-2"_s, u"-3"_s, u"Act 2-4"_s, u"-5"_s, u"act 2-6"_s},
       {{u"scene-1-Act 1"_s, 3, false},
        {u"scene-4-Act 2"_s, 2, false},
        {u"scene-6-act 2"_s, 1, false}}},
      {{u""_s, u"\n"_s, u"Finale"_s},
       {u"-1"_s, u"-2"_s, u"Finale-3"_s},
       {{u"cue-list-1"_s, 2, true}, {u"scene-3-Finale"_s, 1, false}}},
      {{u""_s, u""_s}, {u"-1"_s, u"-2"_s}, {{u"cue-list-1"_s, 2, true}}},
      {{}, {}, {}},
  };
  for (const auto &row : rows) {
    const QList<CueListRow> listRows = cueListRows(cuesWithScenes(row.scenes));
    QStringList ids;
    for (const CueListRow &listRow : listRows) ids.append(listRow.id());
    EXPECT_EQ(ids, row.rowIds);
    EXPECT_EQ(shapes(cueGroups(listRows)), row.groups) << row.scenes.join(u'|').toStdString();
  }
  EXPECT_EQ(CueGroup{}.id(), u"cue-list-empty"_s);
}

TEST(CueOrdering, IdentitiesNameTheBreakerAndMayRepeat) {
  const CueSceneBreak act2{.cueNumber = u"12"_s, .label = u"Act 2"_s};
  EXPECT_EQ(act2.id(), u"12-Act 2"_s);
  EXPECT_EQ((SceneBreakEditor{SceneBreakEditor::Rename{act2}}.id()), u"rename-12-Act 2"_s);
  EXPECT_EQ((SceneBreakEditor{SceneBreakEditor::Add{u"3"_s}}.id()),
            (SceneBreakEditor{SceneBreakEditor::Add{u"9"_s}}.id()));
  const QList<CueListRow> rows = cueListRows(cuesWithScenes({u"A"_s, u"B"_s, u"A"_s}));
  EXPECT_EQ(rows[2].sceneBreak, (CueSceneBreak{.cueNumber = u"3"_s, .label = u"A"_s}));
}

}  // namespace
}  // namespace tarnik
