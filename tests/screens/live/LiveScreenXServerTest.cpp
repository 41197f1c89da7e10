// The Live page under a real X server: a person's click on the flashlight and Return on its
// alert, and the wheel scrolling a column taller than the window.

#include "LiveScreenTestSupport.h"
#include "screens/support/XdoTool.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

namespace tarnik::testing {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

using LiveScreenXServer = LiveScreenTest;

TEST_F(LiveScreenXServer, AClickOnTheFlashlightOpensTheAlertAndReturnClosesIt) {
  makeView();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
  ASSERT_TRUE(clickCentre(*view, *symbolButton(u"live.header.torch"_s)));
  ASSERT_TRUE(waitUntil([&] { return alertShown(); }));
  EXPECT_EQ(torchAlert()->windowTitle(), u"Flashlight unavailable"_s);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(torchAlert()));
  ASSERT_TRUE(
      xdotool({u"key"_s, u"--window"_s, QString::number(torchAlert()->winId()), u"Return"_s}));
  EXPECT_TRUE(waitUntil([&] { return !alertShown(); }));
  EXPECT_FALSE(view->isShowingTorchAlert());
}

TEST_F(LiveScreenXServer, TheWheelScrollsATallColumnWithNoScrollBarShown) {
  makeView();
  view->resize(560, 600);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
  auto *scroll = view->findChild<QScrollArea *>(u"live.scroll"_s);
  ASSERT_TRUE(scroll);
  ASSERT_TRUE(waitUntil([&] { return scroll->verticalScrollBar()->maximum() > 0; }));
  EXPECT_FALSE(scroll->verticalScrollBar()->isVisible());
  EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible());
  EXPECT_EQ(scroll->verticalScrollBar()->value(), 0);
  // Button 5 is the wheel turned towards the user.
  ASSERT_TRUE(clickCentre(*view, *commandLine(), u"5"_s));
  EXPECT_TRUE(waitUntil([&] { return scroll->verticalScrollBar()->value() > 0; }));
}

}  // namespace
}  // namespace tarnik::testing
