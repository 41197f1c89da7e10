#include "screens/kit/EmptyStateView.h"
#include "screens/support/Screenshots.h"
#include "support/QtPrinting.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

struct Empty {
  EmptyStateView view{QStringLiteral("patch.empty")};

  template <class T = QLabel>
  T *part(const char *name) const {
    return view.findChild<T *>(QStringLiteral("patch.empty.") + QLatin1StringView(name));
  }
  bool shown(const char *name) const {
    return part<QWidget>(name) && !part<QWidget>(name)->isHidden();
  }
};

TEST(EmptyStateWidget, PlacesWithNothingToShowStayEmptyAndTheButtonIsMadeOnce) {
  Empty e;
  e.view.setContent(QStringLiteral("lightbulb"), QStringLiteral("No Patch Loaded"),
                    QStringLiteral("Connect to Eos to load patch data."));
  EXPECT_TRUE(e.shown("icon"));
  EXPECT_TRUE(e.shown("description"));
  EXPECT_FALSE(e.shown("button"));
  QPushButton *button = e.view.button(QStringLiteral("Check Parked Channels"));
  EXPECT_EQ(e.view.button(QStringLiteral("Checking Parked Channels…")), button);
  EXPECT_EQ(e.view.findChildren<QPushButton *>().size(), 1);
  EXPECT_FALSE(testing::saveScreenshot(e.view, QStringLiteral("kit-empty-state")).isEmpty());

  // A symbol without an SVG and an empty description leave their places empty.
  e.view.setContent(QStringLiteral("no.such.symbol"), QStringLiteral("Nothing"), QString());
  EXPECT_FALSE(e.shown("icon"));
  EXPECT_FALSE(e.shown("description"));
}

TEST(EmptyStateWidget, TheSearchVariantNamesTheQueryAsTypedAndAsPlainText) {
  Empty e;
  const QString queries[] = {QStringLiteral(" Spot "), QStringLiteral("<b>bold</b>"),
                             QStringLiteral("100%1 & more")};
  for (const QString &query : queries) {
    e.view.setSearchQuery(query);
    EXPECT_EQ(e.part("title")->text(), QStringLiteral("No Results for “") + query + u'”');
    EXPECT_EQ(e.part("title")->textFormat(), Qt::PlainText);
    EXPECT_TRUE(e.shown("icon")) << query.toStdString();
  }
  e.view.resize(360, 260);
  e.view.setSearchQuery(QStringLiteral("<b>Spot</b>"));
  EXPECT_FALSE(testing::saveScreenshot(e.view, QStringLiteral("kit-empty-search")).isEmpty());
}

}  // namespace
}  // namespace tarnik
