#include "screens/kit/CheckedRounding.h"

#include <gtest/gtest.h>
#include <limits>

namespace tarnik {
namespace {

constexpr qint64 largest = std::numeric_limits<qint64>::max();
constexpr qint64 smallest = std::numeric_limits<qint64>::min();
constexpr double infinity = std::numeric_limits<double>::infinity();

TEST(CheckedRounding, HalvesGoAwayFromZeroAndTheEndsSaturate) {
  const struct {
    double value;
    qint64 whole;
  } rows[] = {
      {2.5, 3},
      {-2.5, -3},
      {2.4999999999999996, 2},
      {0.5, 1},
      {-0.5, -1},
      {-0.0, 0},
      {42.5, 43},
      {119.6, 120},
      // The largest double below 2^63 still converts exactly.
      {9223372036854774784.0, 9223372036854774784},
      {9223372036854775808.0, largest},
      {-9223372036854775808.0, smallest},
      {1e300, largest},
      {-1e300, smallest},
      {infinity, largest},
      {-infinity, smallest},
  };
  for (const auto &row : rows) {
    EXPECT_EQ(roundedWholeNumber(row.value), row.whole) << row.value;
  }
}

TEST(CheckedRounding, NotANumberHasNoWholeNumber) {
  EXPECT_EQ(roundedWholeNumber(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
  EXPECT_EQ(roundedWholeNumber(-std::numeric_limits<double>::quiet_NaN()), std::nullopt);
  EXPECT_EQ(wholeNumberText(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("-"));
  EXPECT_EQ(wholeNumberText(-180.5), QStringLiteral("-181"));
}

}  // namespace
}  // namespace tarnik
