// The browser under a real X server, typed into with real keys as fast as a person types.

#include "CatalogBrowser.h"
#include "screens/support/XdoTool.h"
#include "support/ProcessRunner.h"
#include "support/QtTestApplication.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace tarnik {
namespace {

using namespace std::chrono_literals;
using testing::clickCentre;
using testing::waitUntil;
using testing::xdotool;

TEST(FixtureCatalogXServer, FastTypingKeepsTheWindowResponsiveAndEndsWithTheLastTextsModes) {
  catalogtest::CatalogBrowser browser({});
  browser.view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&browser.view));
  ASSERT_TRUE(waitUntil([&] { return browser.shows("fixture.catalog.search"); }));
  QLineEdit *field = browser.field("fixture.catalog");
  const QString window = QString::number(browser.view.winId());
  ASSERT_TRUE(xdotool({"windowfocus", "--sync", window}));
  ASSERT_TRUE(clickCentre(browser.view, *field));
  ASSERT_TRUE(waitUntil([&] { return field->hasFocus(); }));

  // A beat on the GUI thread: the longest gap between its ticks is how long the window
  // could not answer.
  QElapsedTimer sinceTick;
  qint64 longestGap = 0;
  QTimer beat;
  beat.setTimerType(Qt::PreciseTimer);
  QObject::connect(&beat, &QTimer::timeout,
                   [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
  sinceTick.start();
  beat.start(5);

  const QString typed = QStringLiteral("MAC250 Entour");
  ProcessRunner typing;
  ASSERT_TRUE(typing.start("xdotool", {"type", "--delay", "15", typed}, 20s));
  ASSERT_TRUE(waitUntil([&] { return !typing.isRunning(); }));
  CatalogRowListView *results = browser.list("fixture.catalog.results.list");
  ASSERT_TRUE(waitUntil([&] {
    return field->text() == typed && browser.shows("fixture.catalog.results.list") &&
           !results->rows().rows().isEmpty();
  }));
  beat.stop();
  EXPECT_LT(longestGap, 50);
  RecordProperty("longestGapMs", int(longestGap));
  for (const CatalogRow &row : results->rows().rows()) {
    EXPECT_EQ(row.subtitle, "Martin · MAC250 Entour");
  }
}

}  // namespace
}  // namespace tarnik
