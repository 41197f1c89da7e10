#include "app/ShowOrderings.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

QList<Cue> cuesNumbered(const QStringList &numbers) {
  QList<Cue> cues;
  for (const QString &number : numbers) cues.append(Cue{.number = number});
  return cues;
}

QStringList numbersOf(const QList<Cue> &cues) {
  QStringList numbers;
  for (const Cue &cue : cues) numbers.append(cue.number);
  return numbers;
}

TEST(CueOrder, ByValueThenByText) {
  const struct {
    QStringList given;
    QStringList sorted;
  } rows[] = {
      {{u"10"_s, u"2"_s, u"1.5"_s, u"1"_s}, {u"1"_s, u"1.5"_s, u"2"_s, u"10"_s}},
      {{u"1.0"_s, u"1"_s}, {u"1"_s, u"1.0"_s}},
      {{u"1"_s, u"1.0"_s}, {u"1"_s, u"1.0"_s}},
      {{u"2"_s, u"A"_s, u"0"_s, u"nan"_s, u"-1"_s}, {u"-1"_s, u"0"_s, u"A"_s, u"nan"_s, u"2"_s}},
      {{u"1e999"_s, u"5"_s, u"1,5"_s}, {u"1,5"_s, u"5"_s, u"1e999"_s}},
  };
  for (const auto &row : rows) {
    QList<Cue> cues = cuesNumbered(row.given);
    sortByCueNumber(cues);
    EXPECT_EQ(numbersOf(cues), row.sorted) << row.given.join(u' ').toStdString();
  }
}

TEST(CueOrder, EqualNumbersKeepTheConsolesOrder) {
  QList<Cue> cues{Cue{.number = u"3"_s, .label = u"first"_s}, Cue{.number = u"1"_s},
                  Cue{.number = u"3"_s, .label = u"second"_s}};
  sortByCueNumber(cues);
  EXPECT_EQ(cues[1].label, u"first"_s);
  EXPECT_EQ(cues[2].label, u"second"_s);
}

TEST(CueOrder, ComparatorAlone) {
  const QCollator collator = cueNumberCollator();
  const Cue zero{.number = u"0"_s}, text{.number = u"Q"_s}, one{.number = u"1"_s},
      oneZero{.number = u"1.0"_s};
  // "Q" reads as 0: after every negative number, before 1, and beside "0" by text alone.
  EXPECT_TRUE(cueNumberOrder(Cue{.number = u"-0.5"_s}, text, collator));
  EXPECT_TRUE(cueNumberOrder(text, one, collator));
  EXPECT_FALSE(cueNumberOrder(one, text, collator));
  EXPECT_TRUE(cueNumberOrder(zero, text, collator));
  EXPECT_FALSE(cueNumberOrder(text, zero, collator));
  EXPECT_NE(cueNumberOrder(one, oneZero, collator), cueNumberOrder(oneZero, one, collator));
  EXPECT_FALSE(cueNumberOrder(one, one, collator));
}

TEST(StableOrders, ChannelsAndPartsKeepTheirOrderOnEqualNumbers) {
  QList<Channel> channels{Channel{.number = 5, .label = u"a"_s}, Channel{.number = 2},
                          Channel{.number = 5, .label = u"b"_s}, Channel{.number = 1}};
  sortByChannelNumber(channels);
  QStringList labels;
  QList<qint64> numbers;
  for (const Channel &channel : channels) {
    numbers.append(channel.number);
    labels.append(channel.label);
  }
  EXPECT_EQ(numbers, (QList<qint64>{1, 2, 5, 5}));
  EXPECT_EQ(labels, (QStringList{u""_s, u""_s, u"a"_s, u"b"_s}));

  QList<EosPatchPart> parts{EosPatchPart{.partNumber = 2, .label = u"x"_s},
                            EosPatchPart{.partNumber = 1},
                            EosPatchPart{.partNumber = 2, .label = u"y"_s}};
  sortByPartNumber(parts);
  EXPECT_EQ(parts[0].partNumber, 1);
  EXPECT_EQ(parts[1].label, u"x"_s);
  EXPECT_EQ(parts[2].label, u"y"_s);
}

}  // namespace
}  // namespace tarnik
