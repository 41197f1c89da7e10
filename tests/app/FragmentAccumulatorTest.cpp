#include "app/FragmentAccumulator.h"

#include <gtest/gtest.h>
#include <limits>

namespace tarnik {
namespace {

QList<OSCArgument> ints(std::initializer_list<qint32> values) {
  QList<OSCArgument> arguments;
  for (const qint32 value : values) arguments.append(OSCArgument::fromInt(value));
  return arguments;
}

TEST(FragmentAccumulation, RefusesRunsThatDoNotFit) {
  constexpr qint64 maximum = std::numeric_limits<qint64>::max();
  const struct {
    qint64 total;
    qint64 start;
    qsizetype length;
    bool stored;
  } rows[] = {
      {3, 0, 3, true},
      {3, 2, 1, true},
      {3, 1, 3, false},
      {3, 3, 1, false},
      {3, 4, 1, false},
      {3, -1, 1, false},
      {3, 0, 0, false},
      {0, 0, 1, false},
      {-5, 0, 1, false},
      {maximum, maximum - 1, 1, true},
      {maximum, maximum - 1, 2, false},
      {maximum, maximum, 1, false},
      {31, maximum, 2, false},
      {31, std::numeric_limits<qint64>::min(), 2, false},
  };
  for (const auto &row : rows) {
    FragmentAccumulator accumulator{.totalFieldCount = row.total};
    const QList<OSCArgument> values(row.length, OSCArgument::fromInt(1));
    EXPECT_EQ(accumulator.insert(row.start, values), row.stored)
        << row.total << " " << row.start << " " << row.length;
    EXPECT_EQ(accumulator.fields.size(), row.stored ? static_cast<size_t>(row.length) : 0U);
  }
}

TEST(FragmentAccumulation, CompletesOnceEveryFieldIsPresent) {
  FragmentAccumulator accumulator{.totalFieldCount = 3};
  ASSERT_TRUE(accumulator.insert(2, ints({12})));
  ASSERT_TRUE(accumulator.insert(0, ints({99})));
  EXPECT_EQ(accumulator.completedFields(), std::nullopt);
  ASSERT_TRUE(accumulator.insert(0, ints({10})));  // a repeated field is replaced
  ASSERT_TRUE(accumulator.insert(1, ints({11})));
  EXPECT_EQ(accumulator.completedFields(), ints({10, 11, 12}));

  EXPECT_EQ(FragmentAccumulator{.totalFieldCount = 0}.completedFields(), std::nullopt);
  // A count far beyond what ever arrives must not make the accumulator reserve for it.
  FragmentAccumulator huge{.totalFieldCount = std::numeric_limits<qint64>::max()};
  ASSERT_TRUE(huge.insert(0, ints({1, 2})));
  EXPECT_EQ(huge.completedFields(), std::nullopt);
}

}  // namespace
}  // namespace tarnik
