// The browser on screen (offscreen): the catalog's states, the search list, the drill-down
// and what a press hands back. Parts are found by objectName, rows by their data role.

#include "BrowserTestCatalogs.h"
#include "CatalogBrowser.h"
#include "screens/kit/NavigationStack.h"
#include "screens/patch/CatalogListPage.h"
#include "screens/patch/CatalogResultsArea.h"
#include "screens/patch/FixtureModesView.h"
#include "screens/support/ManualTaskExecutor.h"
#include "screens/support/Screenshots.h"
#include "support/ManualAppTiming.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QPushButton>
#include <QToolButton>

namespace tarnik {
namespace {

using catalogtest::CatalogBrowser;
using catalogtest::pressRow;
using testing::waitUntil;

const QString mode1 = QStringLiteral("fixture.catalog.mode.00000000-0000-0000-0000-000000000004");

class CatalogBrowserWidget : public ::testing::Test {
 protected:
  void SetUp() override { folder_.write(catalogtest::browserCatalog()); }

  FixtureCatalogServices services() const { return {folder_.bundle(), nullptr, nullptr}; }
  std::unique_ptr<CatalogBrowser> readyBrowser(std::optional<QString> reported = std::nullopt) {
    FixtureCatalogServices given = services();
    given.executor = &KeyedTaskExecutor::threadPool();
    auto browser = std::make_unique<CatalogBrowser>(std::move(given), std::move(reported));
    browser->view.show();
    EXPECT_TRUE(waitUntil([&] { return browser->shows("fixture.catalog.search"); }));
    return browser;
  }
  static QString title(const CatalogBrowser &browser) {
    return browser.text(QStringLiteral("fixture.catalog.title"));
  }
  static QStringList titles(const CatalogRowListView &list) {
    QStringList titles;
    for (const CatalogRow &row : list.rows().rows()) titles.append(row.title);
    return titles;
  }

  catalogtest::CatalogFolder folder_;
};

TEST_F(CatalogBrowserWidget, TheShippedCatalogLoadsAndFindsAWellKnownFixtureByItsModelName) {
  CatalogBrowser browser({});
  browser.view.show();
  EXPECT_TRUE(browser.shows("fixture.catalog.loading"));
  EXPECT_EQ(title(browser), "Fixture Library");
  EXPECT_TRUE(browser.shows("fixture.catalog.cancel"));
  testing::saveScreenshot(browser.view, "fixture-catalog-loading");

  ASSERT_TRUE(waitUntil([&] { return browser.shows("fixture.catalog.manufacturers"); }));
  EXPECT_EQ(browser.list("fixture.catalog.manufacturers")->rows().rows().size(),
            browser.store.manufacturers().size());
  ASSERT_TRUE(catalogtest::rowsLaidOut(*browser.list("fixture.catalog.manufacturers")));
  testing::saveScreenshot(browser.view, "fixture-catalog-manufacturers");

  QTest::keyClicks(browser.field("fixture.catalog"), "MAC250 Entour");
  EXPECT_TRUE(browser.shows("fixture.catalog.results.progress"));
  CatalogRowListView *results = browser.list("fixture.catalog.results.list");
  ASSERT_TRUE(waitUntil([&] { return browser.shows("fixture.catalog.results.list"); }));
  ASSERT_FALSE(results->rows().rows().isEmpty());
  EXPECT_EQ(results->rows().rows()[0].subtitle, "Martin · MAC250 Entour");
  EXPECT_FALSE(browser.shows("fixture.catalog.manufacturers"));
}

TEST_F(CatalogBrowserWidget, DrillsDownToAModeAndHandsBackTheStoredTextsOnEveryPress) {
  const auto browser = readyBrowser();
  EXPECT_TRUE(browser->text("fixture.catalog.banner").startsWith("Eos has not reported"));
  EXPECT_EQ(titles(*browser->list("fixture.catalog.manufacturers")),
            (QStringList{"Acme", "Bulk", "Clay Paky"}));
  EXPECT_EQ(browser->list("fixture.catalog.manufacturers")->rows().rows()[2].subtitle,
            "1 models · 1 modes");

  ASSERT_TRUE(
      pressRow(*browser->list("fixture.catalog.manufacturers"), "fixture.catalog.manufacturer.2"));
  EXPECT_EQ(title(*browser), "Clay Paky");
  EXPECT_FALSE(browser->shows("fixture.catalog.cancel"));
  ASSERT_TRUE(waitUntil([&] { return browser->shows("fixture.models.results.list"); }));
  EXPECT_EQ(titles(*browser->list("fixture.models.results.list")), QStringList{"Sharpy Wash 330"});

  ASSERT_TRUE(pressRow(*browser->list("fixture.models.results.list"), "fixture.catalog.model.4"));
  EXPECT_EQ(title(*browser), "Sharpy Wash 330");
  ASSERT_TRUE(waitUntil([&] { return browser->shows("fixture.modes.results.list"); }));
  CatalogRowListView *modes = browser->list("fixture.modes.results.list");
  ASSERT_EQ(modes->rows().rows().size(), 1);
  EXPECT_EQ(modes->rows().rows()[0],
            (CatalogRow{"Mode 1", "Clay Paky · Sharpy Wash 330", "16 addr", mode1}));
  testing::saveScreenshot(browser->view, "fixture-catalog-modes");

  ASSERT_TRUE(pressRow(*modes, mode1));
  ASSERT_TRUE(pressRow(*modes, mode1));
  ASSERT_EQ(browser->choices.size(), 2);
  EXPECT_EQ(browser->choices[0], browser->choices[1]);
  EXPECT_EQ(browser->choices[0].manufacturer, "Clay_Paky");
  EXPECT_EQ(browser->choices[0].model, "Sharpy_Wash_330");
  EXPECT_EQ(browser->choices[0].mode, "Mode_1");
  EXPECT_EQ(browser->choices[0].footprint, 16);
  // Picking closes nothing: that is the caller's business.
  EXPECT_EQ(title(*browser), "Sharpy Wash 330");
  EXPECT_EQ(browser->cancels, 0);
}

TEST_F(CatalogBrowserWidget, AQueryWithoutMatchesNamesTheQueryAsTyped) {
  const auto browser = readyBrowser();
  QTest::keyClicks(browser->field("fixture.catalog"), " qqq ");
  ASSERT_TRUE(waitUntil([&] { return browser->shows("fixture.catalog.results.noResults"); }));
  EXPECT_EQ(browser->text("fixture.catalog.results.noResults.title"), "No Results for “ qqq ”");

  ASSERT_TRUE(
      pressRow(*browser->list("fixture.catalog.manufacturers"), "fixture.catalog.manufacturer.0"));
  QTest::keyClicks(browser->field("fixture.models"), "zzz");
  ASSERT_TRUE(waitUntil([&] { return browser->shows("fixture.models.results.noResults"); }));
  EXPECT_EQ(browser->text("fixture.models.results.noResults.title"), "No Results for “zzz”");
  browser->field("fixture.models")->clear();
  ASSERT_TRUE(waitUntil([&] { return browser->shows("fixture.models.results.list"); }));
  EXPECT_EQ(titles(*browser->list("fixture.models.results.list")),
            (QStringList{"Spot 300", "Wash 1"}));
}

TEST_F(CatalogBrowserWidget, AReopenedModelStartsOverWithAnEmptyQueryAndItsProgressRow) {
  const auto browser = readyBrowser();
  ASSERT_TRUE(
      pressRow(*browser->list("fixture.catalog.manufacturers"), "fixture.catalog.manufacturer.0"));
  ASSERT_TRUE(waitUntil([&] { return browser->shows("fixture.models.results.list"); }));
  const auto openSpot = [&]() -> FixtureModesView * {
    EXPECT_TRUE(pressRow(*browser->list("fixture.models.results.list"), "fixture.catalog.model.0"));
    auto *page = qobject_cast<FixtureModesView *>(browser->view.navigation().currentPage());
    // Before its first result, the page shows its progress row, never "No Results".
    EXPECT_TRUE(page && page->isLoading());
    const auto *progress =
        page ? page->findChild<QWidget *>("fixture.modes.results.progress") : nullptr;
    EXPECT_TRUE(progress && progress->isVisibleTo(page));
    return page;
  };
  FixtureModesView *first = openSpot();
  ASSERT_TRUE(first);
  ASSERT_TRUE(waitUntil([&] { return !first->isLoading(); }));
  QTest::keyClicks(browser->field("fixture.modes"), "ext");
  ASSERT_TRUE(waitUntil([&] { return first->modes().size() == 1; }));

  browser->part<QToolButton>("fixture.catalog.back")->click();
  FixtureModesView *second = openSpot();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->query(), "");
  ASSERT_TRUE(waitUntil([&] { return !second->isLoading(); }));
  const auto *modes = second->findChild<CatalogRowListView *>("fixture.modes.results.list");
  ASSERT_TRUE(modes);
  EXPECT_EQ(titles(*modes), (QStringList{"Standard", "Extended"}));
  EXPECT_EQ(modes->rows().rows()[0].trailing, "20 addr");
}

TEST_F(CatalogBrowserWidget, ACorruptCatalogShowsItsFailureVerbatimAndTryAgainReloads) {
  folder_.writeCorrupt(catalogtest::browserCatalog());
  CatalogBrowser browser(services());
  browser.view.show();
  ASSERT_TRUE(waitUntil([&] { return browser.shows("fixture.catalog.unavailable"); }));
  ASSERT_EQ(browser.store.state().kind, FixtureCatalogStore::State::Kind::failed);
  EXPECT_EQ(browser.text("fixture.catalog.unavailable.title"), "Fixture Library Unavailable");
  EXPECT_FALSE(browser.store.state().message.isEmpty());
  EXPECT_EQ(browser.text("fixture.catalog.unavailable.description"), browser.store.state().message);
  EXPECT_TRUE(browser.shows("fixture.catalog.cancel"));
  testing::saveScreenshot(browser.view, "fixture-catalog-failed");

  folder_.write(catalogtest::browserCatalog());
  browser.part<QPushButton>("fixture.catalog.unavailable.button")->click();
  EXPECT_EQ(browser.store.state().kind, FixtureCatalogStore::State::Kind::loading);
  ASSERT_TRUE(waitUntil([&] { return browser.shows("fixture.catalog.manufacturers"); }));

  browser.part<QPushButton>("fixture.catalog.cancel")->click();
  EXPECT_EQ(browser.cancels, 1);
  EXPECT_TRUE(browser.choices.isEmpty());
}

// Without an executor the browser's lookups run on the thread pool, as without a clock they
// run on the system's.
TEST_F(CatalogBrowserWidget, ABrowserGivenNoExecutorSearchesAndDrillsDownOnTheThreadPool) {
  CatalogBrowser browser(services());
  browser.view.show();
  ASSERT_TRUE(waitUntil([&] { return browser.shows("fixture.catalog.manufacturers"); }));
  ASSERT_TRUE(
      pressRow(*browser.list("fixture.catalog.manufacturers"), "fixture.catalog.manufacturer.2"));
  ASSERT_TRUE(waitUntil([&] { return browser.shows("fixture.models.results.list"); }));
  EXPECT_EQ(titles(*browser.list("fixture.models.results.list")), QStringList{"Sharpy Wash 330"});
  browser.view.navigation().pop();
  QTest::keyClicks(browser.field("fixture.catalog"), "Sharpy");
  ASSERT_TRUE(waitUntil([&] { return browser.shows("fixture.catalog.results.list"); }));
  EXPECT_EQ(browser.list("fixture.catalog.results.list")->rows().rows().size(), 1);
}

TEST_F(CatalogBrowserWidget, TheLimitNoteStaysUnderTheProgressRowUntilNewerResultsReplaceIt) {
  auto timing = std::make_shared<testing::ManualAppTiming>();
  testing::ManualTaskExecutor executor;
  CatalogBrowser browser({folder_.bundle(), timing, &executor}, QStringLiteral("3.1.0.12"));
  browser.view.show();
  ASSERT_TRUE(waitUntil([&] { return browser.shows("fixture.catalog.search"); }));
  EXPECT_TRUE(browser.text("fixture.catalog.banner").startsWith("Eos reports 3.1.0.12."));
  const auto settle = [&] {
    timing->advance(0.18);
    executor.run(0);
    QCoreApplication::processEvents();
  };

  QLineEdit *field = browser.field("fixture.catalog");
  field->setText("zoom");
  settle();
  EXPECT_EQ(browser.list("fixture.catalog.results.list")->rows().rows().size(), 100);
  EXPECT_TRUE(browser.shows("fixture.catalog.limitNote"));
  testing::saveScreenshot(browser.view, "fixture-catalog-search-limit");

  field->setText("zoom 05");
  EXPECT_TRUE(browser.shows("fixture.catalog.results.progress"));
  EXPECT_TRUE(browser.shows("fixture.catalog.limitNote"));
  settle();
  EXPECT_EQ(browser.list("fixture.catalog.results.list")->rows().rows().size(), 11);
  EXPECT_FALSE(browser.shows("fixture.catalog.limitNote"));

  // Blanks alone bring the manufacturers back at once.
  field->setText("  ");
  EXPECT_TRUE(browser.shows("fixture.catalog.manufacturers"));
  EXPECT_FALSE(browser.shows("fixture.catalog.modes"));
}

TEST_F(CatalogBrowserWidget, AReportedVersionWithBlanksMatchesAndIsShownWithThem) {
  auto catalog = catalogtest::browserCatalog();
  catalog.libraryVersion = "4.2.1.0";
  folder_.write(catalog);
  const auto browser = readyBrowser(QStringLiteral(" 4.2.1.0 "));
  EXPECT_EQ(browser->text("fixture.catalog.bundled"), "4.2.1.0");
  EXPECT_EQ(browser->text("fixture.catalog.banner"), "Matches Eos fixture library  4.2.1.0 ");
}

}  // namespace
}  // namespace tarnik
