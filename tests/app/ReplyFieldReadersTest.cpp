#include "app/CueReplyFields.h"
#include "app/PatchPartReply.h"
#include "app/ReplyArguments.h"

#include <QLocale>

#include <clocale>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>
#include <string>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

constexpr float infinity = std::numeric_limits<float>::infinity();
constexpr float notANumber = std::numeric_limits<float>::quiet_NaN();

OSCArgument i(qint32 value) { return OSCArgument::fromInt(value); }
OSCArgument f(float value) { return OSCArgument::fromFloat(value); }
OSCArgument s(const QString &value) { return OSCArgument::fromString(value); }
OSCArgument b(bool value) { return OSCArgument::fromBool(value); }

TEST(ReplyArgumentReading, IntegersAndFlags) {
  const struct {
    OSCArgument argument;
    std::optional<qint64> integer;
    bool flag;
  } rows[] = {
      {i(-1), -1, true},
      {f(3.0f), 3, true},
      {f(-0.0f), 0, false},
      {f(2.5f), std::nullopt, true},
      {f(-0x1p63f), std::numeric_limits<qint64>::min(), true},
      {f(0x1p63f), std::nullopt, true},
      {f(notANumber), std::nullopt, true},
      {s(u"+7"_s), 7, false},
      {s(u" 1"_s), std::nullopt, false},
      {s(u"Yes"_s), std::nullopt, true},
      {b(true), std::nullopt, true},
      {OSCArgument::fromBlob("1"), std::nullopt, false},
  };
  for (size_t row = 0; row < std::size(rows); ++row) {
    EXPECT_EQ(integerArgument(rows[row].argument), rows[row].integer) << "row " << row;
    EXPECT_EQ(flagArgument(rows[row].argument), rows[row].flag) << "row " << row;
  }
}

TEST(ReplyArgumentReading, CueTimeAndNumberTexts) {
  const struct {
    OSCArgument argument;
    QString time;
    QString number;
  } rows[] = {
      {i(2000), u"2"_s, u"2000"_s},
      {i(1500), u"1.5"_s, u"1500"_s},
      {i(12345), u"12.3"_s, u"12345"_s},
      {i(12345678), u"1.23e+04"_s, u"12345678"_s},
      {i(0), u""_s, u""_s},
      {f(2.5f), u"2.5"_s, u"2.5"_s},
      {f(-2.5f), u""_s, u""_s},
      {f(notANumber), u""_s, u""_s},
      {f(infinity), u""_s, u""_s},
      {f(1e30f), u""_s, u""_s},
      {s(u"0"_s), u""_s, u""_s},
      {s(u"-1"_s), u""_s, u""_s},
      {b(true), u""_s, u"On"_s},
  };
  for (size_t row = 0; row < std::size(rows); ++row) {
    EXPECT_EQ(cueTimeText(rows[row].argument), rows[row].time) << "row " << row;
    EXPECT_EQ(cueNumberText(rows[row].argument), rows[row].number) << "row " << row;
  }
}

TEST(ReplyArgumentReading, AddressTexts) {
  const struct {
    OSCArgument argument;
    QString text;
  } rows[] = {
      {i(1025), u"3/1"_s},
      {i(513), u"2/1"_s},
      {i(512), u"1/512"_s},
      {i(0), u""_s},
      {f(513.9f), u"2/1"_s},
      {f(-infinity), u""_s},
      {f(1e30f), u""_s},
      {s(u" 2/101 \n"_s), u"2/101"_s},
      {s(u" 1025 "_s), u"3/1"_s},
      {s(u"0"_s), u""_s},
      {s(u" DMX 7 "_s), u"DMX 7"_s},
      {b(true), u""_s},
  };
  for (size_t row = 0; row < std::size(rows); ++row)
    EXPECT_EQ(addressFieldText({rows[row].argument}, 0), rows[row].text) << "row " << row;
  EXPECT_EQ(absoluteAddressText(std::numeric_limits<qint64>::max()), u"18014398509481984/511"_s);
}

// Qt's application object sets the process locale from the environment, so on a German
// desktop every printf writes a decimal comma.
TEST(ReplyArgumentReading, CueTimesKeepTheirPointOnAGermanDesktop) {
  const std::string savedLocale = std::setlocale(LC_ALL, nullptr);
  const QLocale savedQtLocale;
  ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "the locales-all package is missing";
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  std::array<char, 16> printed{};
  std::snprintf(printed.data(), printed.size(), "%.3g", 1.5);

  EXPECT_STREQ(printed.data(), "1,5") << "the locale under test writes no decimal comma";
  EXPECT_EQ(cueTimeText(i(1500)), u"1.5"_s);
  EXPECT_EQ(cueTimeText(f(2.5f)), u"2.5"_s);
  std::setlocale(LC_ALL, savedLocale.c_str());
  QLocale::setDefault(savedQtLocale);
}

}  // namespace
}  // namespace tarnik
