#include "app/CueReplyFields.h"
#include "app/PatchPartReply.h"
#include "app/ReplyArguments.h"

#include <QLocale>

#include <clocale>
#include <cmath>
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
OSCArgument blob() { return OSCArgument::fromBlob("1"); }

std::string described(const OSCArgument &argument) {
  return std::visit(
      [](const auto &value) -> std::string {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, QString>)
          return "s:" + value.toStdString();
        else if constexpr (std::is_same_v<T, QByteArray>)
          return "b:" + value.toStdString();
        else if constexpr (std::is_same_v<T, bool>)
          return value ? "T" : "F";
        else
          return std::to_string(value);
      },
      argument.value);
}

TEST(ReplyArgumentReading, IntegersAndFlagsOfEveryKind) {
  const struct {
    OSCArgument argument;
    std::optional<qint64> integer;
    bool flag;
  } rows[] = {
      {i(0), 0, false},
      {i(-1), -1, true},
      {i(INT32_MIN), INT32_MIN, true},
      {f(3.0f), 3, true},
      {f(-0.0f), 0, false},
      {f(2.5f), std::nullopt, true},
      {f(0x1p63f), std::nullopt, true},
      {f(0x1.fffffep62f), 0x7fffff8000000000, true},
      {f(-0x1p63f), std::numeric_limits<qint64>::min(), true},
      {f(1e30f), std::nullopt, true},
      {f(infinity), std::nullopt, true},
      {f(-infinity), std::nullopt, true},
      {f(notANumber), std::nullopt, true},
      {s(u"42"_s), 42, false},
      {s(u"+7"_s), 7, false},
      {s(u"-1"_s), -1, false},
      {s(u"1"_s), 1, true},
      {s(u"9223372036854775807"_s), std::numeric_limits<qint64>::max(), false},
      {s(u"9223372036854775808"_s), std::nullopt, false},
      {s(u" 1"_s), std::nullopt, false},
      {s(u"1.0"_s), std::nullopt, false},
      {s(u"TRUE"_s), std::nullopt, true},
      {s(u"Yes"_s), std::nullopt, true},
      {s(u"on"_s), std::nullopt, false},
      {s(u"yes "_s), std::nullopt, false},
      {b(true), std::nullopt, true},
      {b(false), std::nullopt, false},
      {blob(), std::nullopt, false},
  };
  for (const auto &row : rows) {
    EXPECT_EQ(integerArgument(row.argument), row.integer) << described(row.argument);
    EXPECT_EQ(flagArgument(row.argument), row.flag) << described(row.argument);
  }
  EXPECT_EQ(integerArgument({i(5)}, 1), std::nullopt);
  EXPECT_EQ(integerArgument({}, 0), std::nullopt);
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
      {i(1), u"0.001"_s, u"1"_s},
      {i(12345678), u"1.23e+04"_s, u"12345678"_s},
      {i(0), u""_s, u""_s},
      {i(-1500), u""_s, u""_s},
      {f(2.5f), u"2.5"_s, u"2.5"_s},
      {f(0.1f), u"0.1"_s, u"0.1"_s},
      {f(3.0f), u"3"_s, u"3"_s},
      {f(1234.5f), u"1.23e+03"_s, u"1234.5"_s},
      {f(0.0f), u""_s, u""_s},
      {f(-2.5f), u""_s, u""_s},
      {f(notANumber), u""_s, u""_s},
      {f(infinity), u""_s, u""_s},
      {f(1e30f), u""_s, u""_s},
      {s(u"0"_s), u""_s, u""_s},
      {s(u"-1"_s), u""_s, u""_s},
      {s(u" 4.5s"_s), u" 4.5s"_s, u" 4.5s"_s},
      {b(true), u""_s, u"On"_s},
      {b(false), u""_s, u""_s},
      {blob(), u""_s, u""_s},
  };
  for (const auto &row : rows) {
    EXPECT_EQ(cueTimeText(row.argument), row.time) << described(row.argument);
    EXPECT_EQ(cueNumberText(row.argument), row.number) << described(row.argument);
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
      {i(1), u"1/1"_s},
      {i(0), u""_s},
      {i(-4), u""_s},
      {f(513.9f), u"2/1"_s},
      {f(0.5f), u""_s},
      {f(notANumber), u""_s},
      {f(-infinity), u""_s},
      {f(1e30f), u""_s},
      {s(u" 2/101 \n"_s), u"2/101"_s},
      {s(u" 1025 "_s), u"3/1"_s},
      {s(u"0"_s), u""_s},
      {s(u" DMX 7 "_s), u"DMX 7"_s},
      {s(u"99999999999999999999"_s), u"99999999999999999999"_s},
      {s(u"  "_s), u""_s},
      {b(true), u""_s},
      {blob(), u""_s},
  };
  for (const auto &row : rows)
    EXPECT_EQ(addressFieldText({row.argument}, 0), row.text) << described(row.argument);
  EXPECT_EQ(addressFieldText({i(1)}, 1), u""_s);
  EXPECT_EQ(addressFieldText({i(1)}, -1), u""_s);
  EXPECT_EQ(absoluteAddressText(std::numeric_limits<qint64>::max()), u"18014398509481984/511"_s);
}

// Qt's application object sets the process locale from the environment, so a German desktop
// runs every printf with a decimal comma.
class GermanDesktop : public ::testing::Test {
 protected:
  void SetUp() override {
    savedLocale = std::setlocale(LC_ALL, nullptr);
    savedQtLocale = QLocale();
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
        << "the locales-all package is missing";
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  }
  void TearDown() override {
    std::setlocale(LC_ALL, savedLocale.c_str());
    QLocale::setDefault(savedQtLocale);
  }

 private:
  std::string savedLocale;
  QLocale savedQtLocale;
};

TEST_F(GermanDesktop, CueTimesKeepTheirPoint) {
  std::array<char, 16> printed{};
  std::snprintf(printed.data(), printed.size(), "%.3g", 1.5);
  ASSERT_STREQ(printed.data(), "1,5") << "the locale under test does not write a decimal comma";

  EXPECT_EQ(cueTimeText(i(1500)), u"1.5"_s);
  EXPECT_EQ(cueTimeText(f(2.5f)), u"2.5"_s);
  EXPECT_EQ(cueTimeText(i(12345678)), u"1.23e+04"_s);
  EXPECT_EQ(cueNumberText(f(2.5f)), u"2.5"_s);
}

}  // namespace
}  // namespace tarnik
