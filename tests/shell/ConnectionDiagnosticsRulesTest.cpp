#include "shell/ConnectionDiagnosticsContent.h"
#include "support/QtPrinting.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using Content = ConnectionDiagnosticsContent;
TEST(ConnectionDiagnosticsRules, ValueRules) {
  EXPECT_EQ(Content::managerSocketText(true, QStringLiteral("Connecting")),
            QStringLiteral("Ready"));
  EXPECT_EQ(Content::managerSocketText(false, QStringLiteral(" ")), QStringLiteral(" "));
  // A blank profile name never falls back to the console name.
  EXPECT_EQ(Content::configuredConsoleText(QStringLiteral("  "), QStringLiteral("Stage")),
            QStringLiteral("No console selected"));

  const struct {
    std::optional<QString> value;
    QString shown;
    bool showsAsError;
  } optionals[] = {{std::nullopt, QStringLiteral("Unavailable"), false},
                   {QString(), QStringLiteral("Unavailable"), false},
                   {QStringLiteral(" \n"), QStringLiteral("Unavailable"), false},
                   {QStringLiteral(" lost "), QStringLiteral("lost"), true}};
  for (const auto &row : optionals) {
    EXPECT_EQ(Content::displayText(row.value), row.shown);
    EXPECT_EQ(Content::showsError(row.value), row.showsAsError);
  }
}

}  // namespace
}  // namespace tarnik
