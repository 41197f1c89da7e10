// The browser's search over every mode, on virtual time and a hand-run executor: which
// texts are searched, and which results are shown.

#include "BrowserTestCatalogs.h"
#include "screens/patch/CatalogModeSearch.h"
#include "screens/patch/FixtureModeRow.h"
#include "screens/support/ManualTaskExecutor.h"
#include "support/ManualAppTiming.h"
#include "support/QtPrinting.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

// Counts the searches that were started, and holds them until the test runs them.
class CountingExecutor : public testing::ManualTaskExecutor {
 public:
  void execute(std::function<void()> job) override {
    ++started;
    ManualTaskExecutor::execute(std::move(job));
  }
  int started = 0;
};

class CatalogModeSearchRules : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.write(catalogtest::browserCatalog());
    ASSERT_TRUE(catalogtest::loadStore(store_, folder_.bundle()));
    ASSERT_EQ(store_.state().kind, FixtureCatalogStore::State::Kind::ready)
        << store_.state().message.toStdString();
  }

  QStringList shownModes() const {
    QStringList modes;
    for (const FixtureCatalogMode &mode : search_.results()) modes.append(mode.mode);
    return modes;
  }

  // The rows the list gets are those of the modes shown, never of another run's.
  bool rowsFollowResults() const {
    return search_.rows() == FixtureModeRow::rows(search_.results());
  }

  catalogtest::CatalogFolder folder_;
  FixtureCatalogStore store_;
  std::shared_ptr<testing::ManualAppTiming> timing_ = std::make_shared<testing::ManualAppTiming>();
  CountingExecutor executor_;
  CatalogModeSearch search_{store_, timing_, executor_};
};

TEST_F(CatalogModeSearchRules, KeystrokesWithinThePauseSearchOnlyTheLastText) {
  for (const char *typed : {"s", "sp", "spo", "spot"}) {
    search_.setQuery(QString::fromLatin1(typed));
    EXPECT_TRUE(search_.isSearching());
    timing_->advance(0.1);
  }
  EXPECT_EQ(executor_.started, 0);
  timing_->advance(0.079);
  EXPECT_EQ(executor_.started, 0);
  timing_->advance(0.002);
  ASSERT_EQ(executor_.started, 1);
  executor_.run(0);
  QCoreApplication::processEvents();
  EXPECT_FALSE(search_.isSearching());
  EXPECT_EQ(shownModes(), (QStringList{"Extended", "Standard"}));
}

TEST_F(CatalogModeSearchRules, ABlankQueryClearsAtOnceAndNeverSearches) {
  search_.setQuery(QStringLiteral("spot"));
  timing_->advance(0.18);
  executor_.run(0);
  QCoreApplication::processEvents();
  ASSERT_EQ(search_.results().size(), 2);

  for (const char *blank : {"", "  \n\t "}) {
    search_.setQuery(QString::fromLatin1(blank));
    EXPECT_FALSE(search_.hasQuery());
    EXPECT_FALSE(search_.isSearching());
    EXPECT_TRUE(search_.results().isEmpty());
    EXPECT_TRUE(search_.rows().isEmpty());
  }
  timing_->advance(1);
  EXPECT_EQ(executor_.started, 1);
}

TEST_F(CatalogModeSearchRules, ATrailingBlankStartsANewRunWhoseResultIsStillShown) {
  search_.setQuery(QStringLiteral(" spot"));
  timing_->advance(0.18);
  search_.setQuery(QStringLiteral(" spot "));
  EXPECT_TRUE(search_.isSearching());
  timing_->advance(0.18);
  ASSERT_EQ(executor_.started, 2);
  executor_.run(0);  // the superseded run
  QCoreApplication::processEvents();
  EXPECT_TRUE(search_.isSearching());
  EXPECT_TRUE(search_.results().isEmpty());
  executor_.run(0);
  QCoreApplication::processEvents();
  EXPECT_FALSE(search_.isSearching());
  EXPECT_EQ(shownModes(), (QStringList{"Extended", "Standard"}));
}

TEST_F(CatalogModeSearchRules, AnOlderSlowerResultNeverOverwritesANewerOne) {
  search_.setQuery(QStringLiteral("zoom"));
  timing_->advance(0.18);
  search_.setQuery(QStringLiteral("spot"));
  timing_->advance(0.18);
  ASSERT_EQ(executor_.started, 2);
  executor_.run(1);
  QCoreApplication::processEvents();
  EXPECT_EQ(shownModes(), (QStringList{"Extended", "Standard"}));
  executor_.run(0);
  QCoreApplication::processEvents();
  EXPECT_EQ(shownModes(), (QStringList{"Extended", "Standard"}));
  EXPECT_TRUE(rowsFollowResults());
}

TEST_F(CatalogModeSearchRules, TheLimitIsReachedAtExactlyOneHundredModes) {
  struct Case {
    const char *query;
    qsizetype found;
    bool limit;
  };
  for (const Case &c :
       {Case{"zoom", 100, true}, Case{"tilt", 99, false}, Case{"sharpy", 1, false}}) {
    search_.setQuery(QString::fromLatin1(c.query));
    timing_->advance(0.18);
    executor_.run(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(search_.results().size(), c.found) << c.query;
    EXPECT_EQ(search_.reachedLimit(), c.limit) << c.query;
  }
}

TEST(CatalogModeSearchWithoutCatalog, FindsNothingAndStopsSearching) {
  FixtureCatalogStore store;
  auto timing = std::make_shared<testing::ManualAppTiming>();
  CountingExecutor executor;
  CatalogModeSearch search(store, timing, executor);
  search.setQuery(QStringLiteral("spot"));
  timing->advance(0.18);
  EXPECT_EQ(executor.started, 0);
  EXPECT_FALSE(search.isSearching());
  EXPECT_TRUE(search.results().isEmpty());
}

}  // namespace
}  // namespace tarnik
