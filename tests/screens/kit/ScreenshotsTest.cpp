// The screenshot helper that every page's pictures come from: what it grabs must be the
// settled page, not one whose inner layouts still wait for their turn.

#include "screens/support/Screenshots.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace tarnik::testing {
namespace {

TEST(ScreenshotWidget, SettlesEveryNestedLayoutBeforeItGrabs) {
  QWidget page;
  auto *outer = new QVBoxLayout(&page);
  auto *inner = new QWidget;
  auto *row = new QHBoxLayout(inner);
  auto *button = new QPushButton(QStringLiteral("Arm"));
  row->addWidget(button);
  row->addStretch();
  outer->addWidget(inner);
  page.resize(600, 200);
  page.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));

  // Only a layout request is posted: the button keeps its old width until it is delivered.
  button->setText(QStringLiteral("Disarm controller and every other long word"));
  ASSERT_LT(button->width(), button->sizeHint().width());
  ASSERT_FALSE(saveScreenshot(page, QStringLiteral("screenshot-settled")).isEmpty());
  EXPECT_GE(button->width(), button->sizeHint().width());
}

}  // namespace
}  // namespace tarnik::testing
