// What the browser shows of a mode and of the library versions, and what it hands back.

#include "screens/patch/CatalogChoice.h"
#include "screens/patch/FixtureLibraryBanner.h"
#include "screens/patch/FixtureModeRow.h"
#include "support/QtPrinting.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

FixtureCatalogMode mode(QString modeText, std::optional<int> profile, std::optional<int> total) {
  FixtureCatalogMode mode;
  mode.id = QStringLiteral("00000000-0000-0000-0000-000000000007");
  mode.manufacturer = QStringLiteral("Clay_Paky");
  mode.model = QStringLiteral("Sharpy_Wash_330");
  mode.mode = std::move(modeText);
  mode.name = QStringLiteral("Sharpy_Wash_330_Mode_1");
  mode.profileFootprint = profile;
  mode.totalFootprint = total;
  mode.cellCount = 3;
  mode.libraryVersion = QStringLiteral("3.2.1.75");
  return mode;
}

TEST(CatalogChoice, CopiesTheStoredTextsAndTakesTheTotalFootprintFirst) {
  struct Case {
    std::optional<int> profile;
    std::optional<int> total;
    std::optional<qint64> footprint;
  };
  for (const Case &c : {Case{16, 20, 20}, Case{16, std::nullopt, 16},
                        Case{std::nullopt, std::nullopt, std::nullopt}}) {
    const PatchFixtureChoice choice =
        choiceFromMode(mode(QStringLiteral("Mode_1"), c.profile, c.total));
    EXPECT_EQ(
        choice,
        (PatchFixtureChoice{
            QStringLiteral("Installed ETC Eos fixture library"), QStringLiteral("3.2.1.75"),
            QStringLiteral("00000000-0000-0000-0000-000000000007"), QStringLiteral("Clay_Paky"),
            QStringLiteral("Sharpy_Wash_330"), QStringLiteral("Mode_1"), c.footprint,
            QStringLiteral("Sharpy_Wash_330_Mode_1"), 3}))
        << c.footprint.value_or(-1);
  }
}

TEST(FixtureModeRow, ShowsNamesWithBlanksAndTheFootprintThatAPatchTakes) {
  struct Case {
    QString modeText;
    std::optional<int> profile;
    std::optional<int> total;
    FixtureModeRow row;
  };
  const QString subtitle = QStringLiteral("Clay Paky · Sharpy Wash 330");
  const Case cases[] = {
      {QStringLiteral("Mode_1"), 16, 20, {QStringLiteral("Mode 1"), subtitle, "20 addr"}},
      {QStringLiteral("Mode_1"), 16, std::nullopt, {QStringLiteral("Mode 1"), subtitle, "16 addr"}},
      {QString(),
       std::nullopt,
       std::nullopt,
       {QStringLiteral("Sharpy Wash 330 Mode 1"), subtitle, "Unknown\nfootprint"}},
  };
  for (const Case &c : cases) {
    const FixtureModeRow row = FixtureModeRow::of(mode(c.modeText, c.profile, c.total));
    EXPECT_EQ(row.title, c.row.title);
    EXPECT_EQ(row.subtitle, c.row.subtitle);
    EXPECT_EQ(row.footprint, c.row.footprint);
  }
  const QList<CatalogRow> rows = FixtureModeRow::rows({mode({}, 1, 1)});
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(rows[0].objectName, "fixture.catalog.mode.00000000-0000-0000-0000-000000000007");
}

TEST(FixtureLibraryBanner, TellsWhetherTheConsolesLibraryIsTheBundledOne) {
  using Style = FixtureLibraryBanner::Style;
  EXPECT_EQ(FixtureLibraryBanner::of(std::nullopt, false),
            (FixtureLibraryBanner{"Eos has not reported its fixture library version. A mode can "
                                  "be selected for planning, but Tarnik will verify support "
                                  "before patching.",
                                  "questionmark.circle", Style::caption}));
  EXPECT_EQ(FixtureLibraryBanner::of(QStringLiteral("3.1.0.12"), false),
            (FixtureLibraryBanner{"Eos reports 3.1.0.12. Matching fixture libraries are "
                                  "required before patching a fixture profile.",
                                  "exclamationmark.triangle", Style::warningCaption}));
  // The store's comparison trims; the text shows what the console sent.
  EXPECT_EQ(FixtureLibraryBanner::of(QStringLiteral(" 4.2.1.0 "), true),
            (FixtureLibraryBanner{"Matches Eos fixture library  4.2.1.0 ", "checkmark.circle",
                                  Style::body}));
  // A console's 64 KB version shows its first 64 characters.
  EXPECT_EQ(
      FixtureLibraryBanner::of(QString(u'4').repeated(65536), true).text,
      QStringLiteral("Matches Eos fixture library ") + QString(u'4').repeated(64) + QChar(0x2026));
}

}  // namespace
}  // namespace tarnik
