#include "app/ShowOrderings.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

TEST(ShowOrdering, CuesByValueThenByText) {
  const struct {
    QStringList given, sorted;
  } rows[] = {
      {{u"10"_s, u"2"_s, u"1.5"_s, u"1"_s}, {u"1"_s, u"1.5"_s, u"2"_s, u"10"_s}},
      {{u"1.0"_s, u"1"_s}, {u"1"_s, u"1.0"_s}},
      {{u"1"_s, u"1.0"_s}, {u"1"_s, u"1.0"_s}},
      {{u"2"_s, u"A"_s, u"nan"_s, u"0"_s, u"-1"_s}, {u"-1"_s, u"0"_s, u"A"_s, u"nan"_s, u"2"_s}},
      // Read as the Cues page reads it: a hexadecimal number has its value.
      {{u"0x10"_s, u"10"_s, u"2"_s}, {u"2"_s, u"10"_s, u"0x10"_s}},
  };
  for (const auto &row : rows) {
    QList<Cue> cues;
    for (const QString &number : row.given) cues.append(Cue{.number = number});
    sortByCueNumber(cues);
    QStringList numbers;
    for (const Cue &cue : cues) numbers.append(cue.number);
    EXPECT_EQ(numbers, row.sorted) << row.given.join(u' ').toStdString();
  }

  const QCollator collator = cueNumberCollator();
  const Cue text{.number = u"Q"_s}, zero{.number = u"0"_s}, half{.number = u"0.5"_s};
  EXPECT_TRUE(cueNumberOrder(Cue{.number = u"-0.5"_s}, text, collator));
  EXPECT_TRUE(cueNumberOrder(text, half, collator));
  EXPECT_TRUE(cueNumberOrder(zero, text, collator));  // equal value: the text decides
  EXPECT_FALSE(cueNumberOrder(text, zero, collator));
}

TEST(ShowOrdering, EqualKeysKeepTheirOrder) {
  QList<Cue> cues{Cue{.number = u"3"_s, .label = u"a"_s}, Cue{.number = u"1"_s},
                  Cue{.number = u"3"_s, .label = u"b"_s}};
  sortByCueNumber(cues);
  EXPECT_EQ(cues[1].label + cues[2].label, u"ab"_s);

  QList<Channel> channels{Channel{.number = 5, .label = u"a"_s}, Channel{.number = 2},
                          Channel{.number = 5, .label = u"b"_s}};
  sortByChannelNumber(channels);
  EXPECT_EQ(channels[0].number, 2);
  EXPECT_EQ(channels[1].label + channels[2].label, u"ab"_s);

  QList<EosPatchPart> parts{EosPatchPart{.partNumber = 2, .label = u"a"_s},
                            EosPatchPart{.partNumber = 1},
                            EosPatchPart{.partNumber = 2, .label = u"b"_s}};
  sortByPartNumber(parts);
  EXPECT_EQ(parts[0].partNumber, 1);
  EXPECT_EQ(parts[1].label + parts[2].label, u"ab"_s);
}

}  // namespace
}  // namespace tarnik
