// The five orderings of the patch list, in two locales passed in (never the machine's),
// and a property run over thousands of random mixed-shape addresses.

#include "screens/patch/PatchSortOption.h"
#include "support/QtPrinting.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>
#include <random>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

const QLocale locales[] = {QLocale(u"en_US"_s), QLocale(u"de_DE"_s)};

// The channels' numbers in the order the option puts them.
QList<qint64> orderedNumbers(const QList<Channel> &channels, PatchSortOption option,
                             const QLocale &locale) {
  QList<qsizetype> positions(channels.size());
  std::iota(positions.begin(), positions.end(), 0);
  orderPatchChannels(positions, channels, option, locale);
  QList<qint64> numbers;
  for (const qsizetype position : positions) numbers.append(channels[position].number);
  return numbers;
}

Channel at(qint64 number, const QString &address) { return {.number = number, .address = address}; }

TEST(PatchOrdering, EachOptionOrdersAsTheListPromises) {
  const struct {
    const char *name;
    PatchSortOption option;
    QList<Channel> channels;
    QList<qint64> expected;
  } cases[] = {
      {"numbers, ties kept",
       PatchSortOption::channel,
       {at(3, {}), at(1, u"a"_s), at(2, {}), at(1, u"b"_s)},
       {1, 1, 2, 3}},
      {"address pieces by value",
       PatchSortOption::address,
       {at(1, u"2/1"_s), at(2, u"1/101"_s), at(3, u"1/5"_s)},
       {3, 2, 1}},
      {"2/1 before 10/1", PatchSortOption::address, {at(1, u"10/1"_s), at(2, u"2/1"_s)}, {2, 1}},
      {"empty address first by address",
       PatchSortOption::address,
       {at(1, u"1/1"_s), at(2, {}), at(3, u"1//2"_s)},
       {2, 1, 3}},
      {"no numbers are equal, kept in order",
       PatchSortOption::address,
       {at(1, u"x/y"_s), at(2, {})},
       {1, 2}},
      {"different counts by the texts",
       PatchSortOption::address,
       {at(1, u"3"_s), at(2, u"1/1"_s)},
       {2, 1}},
      {"empty address last by universe",
       PatchSortOption::universe,
       {at(1, {}), at(2, u"2/10"_s), at(3, u"2/9"_s), at(4, u"1/400"_s), at(5, u"abc"_s)},
       {4, 3, 2, 1, 5}},
      {"levels descending, ties by number",
       PatchSortOption::on,
       {{.number = 7, .level = 0}, {.number = 5, .level = 100}, {.number = 3, .level = 100}},
       {3, 5, 7}},
      {"Generic Dimmer sorts as Dimmer, empty as Fixture",
       PatchSortOption::type,
       {{.number = 9, .type = u"generic dimmer"_s},
        {.number = 1, .type = u"Spot"_s},
        {.number = 4, .type = u" "_s},
        {.number = 2, .type = u"Dimmer"_s},
        {.number = 3, .type = u"fog"_s},
        {.number = 6, .type = u"LED 10"_s},
        {.number = 5, .type = u"LED 9"_s}},
       {2, 9, 4, 3, 5, 6, 1}},
  };
  for (const QLocale &locale : locales) {
    for (const auto &row : cases) {
      EXPECT_EQ(orderedNumbers(row.channels, row.option, locale), row.expected)
          << row.name << " in " << locale.name().toStdString();
    }
    for (const PatchSortOption option : allPatchSortOptions) {
      EXPECT_TRUE(orderedNumbers({}, option, locale).isEmpty());
      EXPECT_EQ(orderedNumbers({at(4, u"x"_s)}, option, locale), QList<qint64>{4});
    }
  }
}

TEST(PatchOrdering, MixedShapesMakeTheAddressComparisonCircular) {
  // Same counts compare numbers, different counts compare texts: no strict weak ordering,
  // which is why the list only ever sorts stably.
  const QCollator collator = standardCollator(QLocale(u"en_US"_s));
  EXPECT_TRUE(addressOrderedBefore(u"b/1/1"_s, u"a/2/2"_s, collator));
  EXPECT_TRUE(addressOrderedBefore(u"a/2/2"_s, u"a/5"_s, collator));
  EXPECT_TRUE(addressOrderedBefore(u"a/5"_s, u"b/1/1"_s, collator));
  EXPECT_FALSE(addressOrderedBefore(u""_s, u"x/y"_s, collator));
  EXPECT_FALSE(addressOrderedBefore(u"x/y"_s, u""_s, collator));
  EXPECT_TRUE(addressOrderedBefore(u"1/-3"_s, u"1/+2"_s, collator));
}

// A random address text: 0 to 4 pieces of many kinds, stray slashes included.
QString randomAddress(std::mt19937 &random) {
  static const QString pieces[] = {u""_s,
                                   u"1"_s,
                                   u"2"_s,
                                   u"10"_s,
                                   u"512"_s,
                                   u"-3"_s,
                                   u"+4"_s,
                                   u"007"_s,
                                   u"a"_s,
                                   u"B"_s,
                                   u"é"_s,
                                   u"1a"_s,
                                   u" 5"_s,
                                   u"٣"_s,
                                   u"x y"_s,
                                   u"9223372036854775807"_s,
                                   u"9223372036854775808"_s,
                                   u"-9223372036854775808"_s};
  QString text;
  const int count = std::uniform_int_distribution(0, 4)(random);
  for (int index = 0; index < count; ++index) {
    if (index > 0 || random() % 4 == 0) text += u'/';
    text += pieces[random() % std::size(pieces)];
  }
  if (random() % 5 == 0) text += u'/';
  return text;
}

TEST(PatchOrdering, RandomMixedShapesAlwaysGiveAPermutation) {
  std::mt19937 random(20261207);
  for (const QLocale &locale : locales) {
    for (int round = 0; round < 6; ++round) {
      QList<Channel> channels;
      for (int index = 0; index < 2000; ++index) {
        channels.append({.number = qint64(random() % 100),
                         .level = qint64(random() % 3) * 50,
                         .address = randomAddress(random),
                         .type = random() % 2 ? u"Spot"_s : u"generic dimmer"_s});
      }
      for (const PatchSortOption option : allPatchSortOptions) {
        QList<qsizetype> positions(channels.size());
        std::iota(positions.begin(), positions.end(), 0);
        std::shuffle(positions.begin(), positions.end(), random);
        orderPatchChannels(positions, channels, option, locale);
        std::ranges::sort(positions);
        QList<qsizetype> all(channels.size());
        std::iota(all.begin(), all.end(), 0);
        ASSERT_EQ(positions, all) << title(option).toStdString();
      }
    }
  }
}

TEST(PatchOrdering, RandomAddressesOfOneShapeComeOutInNumberOrder) {
  std::mt19937 random(7);
  QList<Channel> channels;
  for (int index = 0; index < 5000; ++index) {
    channels.append(at(
        index, QString::number(int(random() % 70) - 5) + u'/' + QString::number(random() % 600)));
  }
  const auto pieces = [&](qint64 number) { return *channels[number].parsedAddress(); };
  for (const PatchSortOption option : {PatchSortOption::address, PatchSortOption::universe}) {
    const QList<qint64> order = orderedNumbers(channels, option, locales[1]);
    for (qsizetype index = 1; index < order.size(); ++index) {
      const auto before = pieces(order[index - 1]);
      const auto after = pieces(order[index]);
      ASSERT_LE(std::pair(before.universe, before.address),
                std::pair(after.universe, after.address))
          << index;
      // Equal addresses keep the channels' own order.
      if (before == after) {
        ASSERT_LT(order[index - 1], order[index]);
      }
    }
  }
}

}  // namespace
}  // namespace tarnik
