#include "screens/kit/LocaleTexts.h"
#include "support/QtPrinting.h"

#include <gtest/gtest.h>
#include <limits>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

const QLocale english(QStringLiteral("en_US"));
const QLocale german(QStringLiteral("de_DE"));

TEST(LocaleTexts, ByteCountsInDecimalFileUnits) {
  const struct {
    qint64 bytes;
    const char *english, *german;
  } rows[] = {
      {0, "Zero KB", "Zero KB"},
      {1, "1 byte", "1 byte"},
      {999, "999 bytes", "999 bytes"},
      {999'499, "999 KB", "999 KB"},
      {999'500, "1 MB", "1 MB"},
      {1'250'000, "1.3 MB", "1,3 MB"},
      {5'100'000'000, "5.1 GB", "5,1 GB"},
      {1'234'567'890'000, "1.23 TB", "1,23 TB"},
      {-1, "-1 byte", "-1 byte"},
      {-1'250'000, "-1.3 MB", "-1,3 MB"},
      {std::numeric_limits<qint64>::min(), "-9.22 EB", "-9,22 EB"},
  };
  for (const auto &row : rows) {
    EXPECT_EQ(byteCountText(row.bytes, english), QString::fromUtf8(row.english)) << row.bytes;
    EXPECT_EQ(byteCountText(row.bytes, german), QString::fromUtf8(row.german)) << row.bytes;
  }
}

TEST(LocaleTexts, MeasurementsAndTimestampsFollowTheLocale) {
  EXPECT_EQ(measurementText(12.34, QStringLiteral(" ms"), english), QStringLiteral("12.3 ms"));
  EXPECT_EQ(measurementText(12.34, QStringLiteral(" ms"), german), QStringLiteral("12,3 ms"));
  EXPECT_EQ(measurementText(0, QStringLiteral(" msg/s"), english), QStringLiteral("0.0 msg/s"));
  EXPECT_EQ(measurementText(12345.67, QStringLiteral(" s"), german), QStringLiteral("12.345,7 s"));
  const QDateTime moment(QDate(2025, 12, 6), QTime(23, 24, 5), QTimeZone::utc());
  EXPECT_EQ(diagnosticsTimestampText(moment, english, QTimeZone::utc()),
            QStringLiteral("Dec 6, 11:24:05\u202FPM"));
  EXPECT_EQ(diagnosticsTimestampText(moment, german, QTimeZone::utc()),
            QStringLiteral("6. Dez., 23:24:05"));
}

TEST(LocaleTexts, TimeOfDayFollowsTheLocaleWithTheAmPmMarkerOnlyWhereItIsUsed) {
  // 23:24:05 UTC on 2024-03-01, in seconds since 2001-01-01.
  const double date =
      QDateTime(QDate(2024, 3, 1), QTime(23, 24, 5), QTimeZone::utc()).toSecsSinceEpoch() -
      978307200.0;
  const struct {
    const char *locale;
    QString expected;
    QString hourAndMinute;
  } cases[] = {{"en_US", u"11:24:05\u202FPM"_s, u"11:24\u202FPM"_s},
               {"de_DE", u"23:24:05"_s, u"23:24"_s}};
  for (const auto &c : cases) {
    const QLocale locale(QString::fromLatin1(c.locale));
    EXPECT_EQ(timeOfDayText(date, locale, QTimeZone::utc()), c.expected) << c.locale;
    EXPECT_EQ(shortTimeOfDayText(date, locale, QTimeZone::utc()), c.hourAndMinute) << c.locale;
  }
}

}  // namespace
}  // namespace tarnik
