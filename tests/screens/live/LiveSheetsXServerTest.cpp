// The history sheet under a real X server: a person drags over a row's text, copies it with
// Ctrl+C and closes the sheet with Escape.

#include "LiveScreenTestSupport.h"
#include "screens/live/CommandHistoryView.h"
#include "screens/support/XdoTool.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>

namespace tarnik::testing {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

using LiveSheetsXServer = LiveScreenTest;

TEST_F(LiveSheetsXServer, ADraggedRowTextIsCopiedAndEscapeClosesTheSheet) {
  makeView();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
  model->recordCommandHistory(u"Chan 12 At Full Enter"_s, u"Sent"_s);
  QTest::mouseClick(view->findChild<QAbstractButton *>(u"live.commandLine.history"_s),
                    Qt::LeftButton);
  auto *history = view->findChild<CommandHistoryView *>();
  ASSERT_TRUE(history);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(history));
  auto *text = history->findChild<QLabel *>(u"live.history.row.text"_s);
  ASSERT_TRUE(text);
  QGuiApplication::clipboard()->clear();

  const QString window = QString::number(history->winId());
  const QPoint from = text->mapTo(history, QPoint(1, text->height() / 2));
  const QPoint to = text->mapTo(history, QPoint(text->width() - 1, text->height() / 2));
  ASSERT_TRUE(
      xdotool({u"mousemove"_s, u"--window"_s, window, QString::number(from.x()),
               QString::number(from.y()), u"mousedown"_s, u"1"_s, u"mousemove"_s, u"--window"_s,
               window, QString::number(to.x()), QString::number(to.y()), u"mouseup"_s, u"1"_s}));
  ASSERT_TRUE(waitUntil([&] { return text->hasSelectedText(); }));
  ASSERT_TRUE(xdotool({u"key"_s, u"--window"_s, window, u"ctrl+c"_s}));
  EXPECT_TRUE(waitUntil(
      [&] { return QGuiApplication::clipboard()->text() == u"Chan 12 At Full Enter"_s; }));

  ASSERT_TRUE(xdotool({u"key"_s, u"--window"_s, window, u"Escape"_s}));
  EXPECT_TRUE(waitUntil([&] { return !view->isShowingCommandHistory(); }));
}

}  // namespace
}  // namespace tarnik::testing
