#include "foundation/NumberRules.h"

#include <clocale>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

TEST(NumberRules, ParsesStrictIntegers) {
  const struct {
    const char16_t *text;
    std::optional<int> expected;
  } rows[] = {
      {u"0", 0},
      {u"42", 42},
      {u"+7", 7},
      {u"-7", -7},
      {u"-0", 0},
      {u"007", 7},
      {u"2147483647", 2147483647},
      {u"-2147483648", INT32_MIN},
      {u"2147483648", std::nullopt},
      {u"-2147483649", std::nullopt},
      {u"99999999999999999999999", std::nullopt},
      {u"", std::nullopt},
      {u"+", std::nullopt},
      {u"-", std::nullopt},
      {u"+-1", std::nullopt},
      {u"--1", std::nullopt},
      {u" 1", std::nullopt},
      {u"1 ", std::nullopt},
      {u"1.0", std::nullopt},
      {u"1e3", std::nullopt},
      {u"\u0661", std::nullopt} /* Arabic-Indic one */,
      {u"\uFF11", std::nullopt},
  };
  for (const auto &row : rows) {
    EXPECT_EQ(parseStrictInteger<int>(QStringView(row.text)), row.expected)
        << QString::fromUtf16(row.text).toStdString();
  }
  EXPECT_EQ(parseStrictInteger<std::uint16_t>(u"65535"), 65535);
  EXPECT_EQ(parseStrictInteger<std::uint16_t>(u"65536"), std::nullopt);
  EXPECT_EQ(parseStrictInteger<std::uint16_t>(u"-1"), std::nullopt);
  EXPECT_EQ(parseStrictInteger<std::int64_t>(u"-9223372036854775808"), INT64_MIN);
}

class CLocaleIndependence : public ::testing::Test {
 protected:
  void SetUp() override {
    // A comma-decimal locale must not leak into protocol text.
    for (const char *name : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE"}) {
      if (std::setlocale(LC_ALL, name)) return;
    }
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(CLocaleIndependence, ParsesDecimalsInTheCLocale) {
  const struct {
    const char16_t *text;
    std::optional<double> expected;
  } rows[] = {
      {u"1.5", 1.5},
      {u"-0.25", -0.25},
      {u"+3", 3.0},
      {u".5", 0.5},
      {u"5.", 5.0},
      {u"1e3", 1000.0},
      {u"1,5", std::nullopt},
      {u" 1.5", std::nullopt},
      {u"1.5 ", std::nullopt},
      {u"", std::nullopt},
      {u"--1", std::nullopt},
      {u"+-1", std::nullopt},
      {u"0x10", std::nullopt},
      {u"abc", std::nullopt},
      {u"1e999", HUGE_VAL},
      {u"1e-999", 0.0},
  };
  for (const auto &row : rows) {
    EXPECT_EQ(parseDecimal(QStringView(row.text)), row.expected)
        << QString::fromUtf16(row.text).toStdString();
  }
  EXPECT_TRUE(std::isnan(*parseDecimal(u"nan")));
  EXPECT_EQ(parseDecimal(u"-inf"), -HUGE_VAL);
}

// The full C syntax adds the hexadecimal forms and nothing else: what parseDecimal refuses
// for any other reason stays refused.
TEST_F(CLocaleIndependence, ReadsTheHexadecimalFormsOnlyWhenAsked) {
  const struct {
    const char16_t *text;
    std::optional<double> expected;
  } rows[] = {
      {u"0x10", 16.0},         {u"-0X.8", -0.5},         {u"+0x1p4", 16.0},
      {u"0xAp-1", 5.0},        {u"0x1.8", 1.5},          {u"1e2", 100.0},
      {u"0x", std::nullopt},   {u"0x1p", std::nullopt},  {u"0xg", std::nullopt},
      {u"0x-1", std::nullopt}, {u"0xinf", std::nullopt}, {u" 0x1", std::nullopt},
      {u"0x1 ", std::nullopt}, {u"0x1p99999", HUGE_VAL},
  };
  for (const auto &row : rows) {
    EXPECT_EQ(parseFloatingPoint(QStringView(row.text)), row.expected)
        << QString::fromUtf16(row.text).toStdString();
  }
  EXPECT_TRUE(std::isnan(*parseFloatingPoint(u"-nan")));
  EXPECT_EQ(parseDecimal(u"0x1p4"), std::nullopt);
}

TEST_F(CLocaleIndependence, FormatsLikePrintfInTheCLocale) {
  EXPECT_EQ(formatFixed(1.25, 1), QStringLiteral("1.2"));  // binary 1.25 is exact: ties to even
  EXPECT_EQ(formatFixed(0.05, 1), QStringLiteral("0.1"));  // binary 0.05 is just above
  EXPECT_EQ(formatFixed(-0.04, 1), QStringLiteral("-0.0"));
  EXPECT_EQ(formatFixed(12345.678, 1), QStringLiteral("12345.7"));
  EXPECT_EQ(formatFixed(HUGE_VAL, 1), QStringLiteral("inf"));
  EXPECT_EQ(formatZeroPadded(5, 3), QStringLiteral("005"));
  EXPECT_EQ(formatZeroPadded(-5, 3), QStringLiteral("-05"));
  EXPECT_EQ(formatZeroPadded(1234, 3), QStringLiteral("1234"));
  EXPECT_EQ(formatZeroPadded(0, 3), QStringLiteral("000"));
  EXPECT_EQ(formatZeroPadded(INT64_MIN, 3), QStringLiteral("-9223372036854775808"));
}

}  // namespace
}  // namespace tarnik
