#include "screens/connection/ConnectionDiagnosticsContent.h"
#include "screens/connection/ConnectionViewRules.h"
#include "support/QtPrinting.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using Content = ConnectionDiagnosticsContent;
TEST(ConnectionDiagnosticsRules, ValueRules) {
  // The manager's own words whenever it is not ready: untrimmed, even empty.
  const struct {
    bool connected;
    QString state, shown;
  } sockets[] = {{true, QStringLiteral("Connecting"), QStringLiteral("Ready")},
                 {false, QString(), QString()},
                 {false, QStringLiteral(" Waiting "), QStringLiteral(" Waiting ")}};
  for (const auto &row : sockets) {
    EXPECT_EQ(managerSocketText(row.connected, row.state), row.shown) << row.state.toStdString();
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
