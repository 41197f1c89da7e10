#include "shell/ConnectionDiagnosticsContent.h"
#include "shell/LocaleTexts.h"
#include "support/QtPrinting.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using Content = ConnectionDiagnosticsContent;
const QLocale english(QStringLiteral("en_US"));
const QLocale german(QStringLiteral("de_DE"));

TEST(ConnectionDiagnosticsRules, ByteCountsInDecimalFileUnits) {
  const struct {
    qint64 bytes;
    const char *english, *german;
  } rows[] = {
      {0, "Zero KB", "Zero KB"},           {1, "1 byte", "1 byte"},
      {999, "999 bytes", "999 bytes"},     {999'499, "999 KB", "999 KB"},
      {999'500, "1 MB", "1 MB"},           {1'250'000, "1.3 MB", "1,3 MB"},
      {5'100'000'000, "5.1 GB", "5,1 GB"}, {1'234'567'890'000, "1.23 TB", "1,23 TB"},
  };
  for (const auto &row : rows) {
    EXPECT_EQ(byteCountText(row.bytes, english), QString::fromUtf8(row.english)) << row.bytes;
    EXPECT_EQ(byteCountText(row.bytes, german), QString::fromUtf8(row.german)) << row.bytes;
  }
}

TEST(ConnectionDiagnosticsRules, MeasurementsAndTimestampsFollowTheLocale) {
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

TEST(ConnectionDiagnosticsRules, ValueRules) {
  // The manager's own words whenever it is not ready: untrimmed, even empty.
  const struct {
    bool connected;
    QString state, shown;
  } sockets[] = {{true, QStringLiteral("Connecting"), QStringLiteral("Ready")},
                 {false, QString(), QString()},
                 {false, QStringLiteral(" Waiting "), QStringLiteral(" Waiting ")}};
  for (const auto &row : sockets) {
    EXPECT_EQ(Content::managerSocketText(row.connected, row.state), row.shown)
        << row.state.toStdString();
  }

  // The profile's name when there are settings, else the form's, and a blank profile name
  // never falls back to the form's.
  const struct {
    std::optional<QString> profileName;
    QString consoleName, shown;
  } consoles[] = {
      {std::nullopt, QStringLiteral("  Stage  "), QStringLiteral("Stage")},
      {QStringLiteral("  "), QStringLiteral("Stage"), QStringLiteral("No console selected")},
      {std::nullopt, QStringLiteral("\n"), QStringLiteral("No console selected")},
      {QStringLiteral("Booth"), QStringLiteral("Stage"), QStringLiteral("Booth")},
  };
  for (const auto &row : consoles) {
    EXPECT_EQ(Content::configuredConsoleText(row.profileName, row.consoleName), row.shown)
        << row.shown.toStdString();
  }

  // Optional texts and the endpoint rows; the error section's presence tests the same blanks.
  const struct {
    std::optional<QString> value;
    QString shown;
    bool showsAsError;
  } optionals[] = {{std::nullopt, QStringLiteral("Unavailable"), false},
                   {QString(), QStringLiteral("Unavailable"), false},
                   {QStringLiteral(" "), QStringLiteral("Unavailable"), false},
                   {QStringLiteral(" \n"), QStringLiteral("Unavailable"), false},
                   {QStringLiteral("\r\n\t "), QStringLiteral("Unavailable"), false},
                   {QStringLiteral(" 127.0.0.1:3032\n"), QStringLiteral("127.0.0.1:3032"), true},
                   {QStringLiteral(" lost "), QStringLiteral("lost"), true}};
  for (const auto &row : optionals) {
    EXPECT_EQ(Content::displayText(row.value), row.shown);
    EXPECT_EQ(Content::showsError(row.value), row.showsAsError);
  }
}

}  // namespace
}  // namespace tarnik
