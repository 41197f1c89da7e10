// The sheets under a real X server: a person drags over a history row's text, copies it with
// Ctrl+C and closes the sheet with Escape; the wheel takes them down the list, where new
// entries leave alone what they are reading. The show details' rows scroll the same way.

#include "LiveScreenTestSupport.h"
#include "screens/live/CommandHistoryView.h"
#include "screens/live/LiveShowDetailsView.h"
#include "screens/support/XdoTool.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

namespace tarnik::testing {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

class LiveSheetsXServer : public LiveScreenTest {
 protected:
  CommandHistoryView *openHistory() {
    QTest::mouseClick(view->findChild<QAbstractButton *>(u"live.commandLine.history"_s),
                      Qt::LeftButton);
    auto *history = view->findChild<CommandHistoryView *>();
    return history && QTest::qWaitForWindowExposed(history) ? history : nullptr;
  }
  // A drag over the label's text from end to end, as a person selects it.
  static bool dragOver(QWidget &window, const QLabel &text) {
    const QString id = QString::number(window.winId());
    const QPoint from = text.mapTo(&window, QPoint(1, text.height() / 2));
    const QPoint to = text.mapTo(&window, QPoint(text.width() - 1, text.height() / 2));
    return xdotool({u"mousemove"_s, u"--window"_s, id, QString::number(from.x()),
                    QString::number(from.y()), u"mousedown"_s, u"1"_s, u"mousemove"_s,
                    u"--window"_s, id, QString::number(to.x()), QString::number(to.y()),
                    u"mouseup"_s, u"1"_s});
  }
  static QList<QWidget *> rows(QWidget &sheet) {
    return sheet.findChildren<QWidget *>(u"live.history.row"_s);
  }
};

TEST_F(LiveSheetsXServer, ADraggedRowTextIsCopiedAndEscapeClosesTheSheet) {
  makeView();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
  model->recordCommandHistory(u"Chan 12 At Full Enter"_s, u"Sent"_s);
  CommandHistoryView *history = openHistory();
  ASSERT_TRUE(history);
  auto *text = history->findChild<QLabel *>(u"live.history.row.text"_s);
  ASSERT_TRUE(text);
  QGuiApplication::clipboard()->clear();

  const QString window = QString::number(history->winId());
  ASSERT_TRUE(dragOver(*history, *text));
  ASSERT_TRUE(waitUntil([&] { return text->hasSelectedText(); }));
  ASSERT_TRUE(xdotool({u"key"_s, u"--window"_s, window, u"ctrl+c"_s}));
  EXPECT_TRUE(waitUntil(
      [&] { return QGuiApplication::clipboard()->text() == u"Chan 12 At Full Enter"_s; }));

  ASSERT_TRUE(xdotool({u"key"_s, u"--window"_s, window, u"Escape"_s}));
  EXPECT_TRUE(waitUntil([&] { return !view->isShowingCommandHistory(); }));
}

TEST_F(LiveSheetsXServer, ANewEntryLeavesTheRowsInSightAndTheirSelectionUnlessAtTheNewest) {
  makeView();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
  for (int number = 1; number <= 40; ++number) {
    model->recordCommandHistory(u"Chan %1 At Full Enter"_s.arg(number), u"Sent"_s);
  }
  CommandHistoryView *history = openHistory();
  ASSERT_TRUE(history);
  auto *list = history->findChild<QScrollArea *>(u"live.history.list"_s);
  QScrollBar *bar = list->verticalScrollBar();
  ASSERT_TRUE(waitUntil([&] { return bar->maximum() > 0; }));
  for (int turn = 0; turn < 3; ++turn) {
    const int before = bar->value();
    ASSERT_TRUE(clickCentre(*history, *list->viewport(), u"5"_s));
    ASSERT_TRUE(waitUntil([&] { return bar->value() > before || bar->value() == bar->maximum(); }));
  }
  // The first row wholly in sight, its text selected by a drag.
  const auto top = [&](const QWidget *row) { return row->mapTo(list->viewport(), QPoint()).y(); };
  QPointer<QWidget> reading;
  for (QWidget *row : rows(*history)) {
    if (top(row) >= 0) {
      reading = row;
      break;
    }
  }
  ASSERT_TRUE(reading);
  QPointer<QLabel> text = reading->findChild<QLabel *>(u"live.history.row.text"_s);
  ASSERT_TRUE(dragOver(*history, *text));
  ASSERT_TRUE(waitUntil([&] { return text->hasSelectedText(); }));
  const QString selected = text->selectedText();
  const int readingTop = top(reading);

  model->recordCommandHistory(u"Chan 41 At Full Enter"_s, u"Sent"_s);
  ASSERT_TRUE(waitUntil([&] { return rows(*history).size() == 41; }));
  QCoreApplication::processEvents();
  ASSERT_TRUE(reading && text);
  EXPECT_EQ(top(reading), readingTop);
  EXPECT_EQ(text->selectedText(), selected);

  // Back at the newest entry, the view follows the next one in.
  while (bar->value() > 0) {
    const int before = bar->value();
    ASSERT_TRUE(clickCentre(*history, *list->viewport(), u"4"_s));
    ASSERT_TRUE(waitUntil([&] { return bar->value() < before; }));
  }
  model->recordCommandHistory(u"Chan 42 At Full Enter"_s, u"Sent"_s);
  ASSERT_TRUE(waitUntil([&] { return rows(*history).size() == 42; }));
  QCoreApplication::processEvents();
  EXPECT_EQ(bar->value(), 0);
  QWidget *newest = rows(*history).first();
  EXPECT_EQ(newest->findChild<QLabel *>(u"live.history.row.text"_s)->text(),
            u"Chan 42 At Full Enter"_s);
  EXPECT_LT(top(newest), newest->height());
}

// At the smallest window a show name of more lines than the sheet holds is read by scrolling
// the rows, with the wheel and with the page keys, and back to the top; Return closes it.
TEST_F(LiveSheetsXServer, TheShowDetailsScrollByTheWheelAndTheKeys) {
  QStringList scenes;
  for (int scene = 1; scene <= 40; ++scene) scenes << u"Scene %1 main stage"_s.arg(scene);
  ConsoleShow show = generateConsoleShow(1, 1);
  show.name = scenes.join(u'\n');
  console.setShow(show);
  makeView();
  view->resize(950, 680);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
  connectOverTcp();
  ASSERT_TRUE(waitUntil([&] { return model->showFileName() == show.name; }));
  QTest::mouseClick(view->findChild<QAbstractButton *>(u"live.header.show"_s), Qt::LeftButton);
  auto *details = view->findChild<LiveShowDetailsView *>();
  ASSERT_TRUE(details && QTest::qWaitForWindowActive(details));
  auto *name = details->findChild<QLabel *>(u"live.showDetails.show"_s);
  const auto top = [&] { return name->mapTo(details, QPoint()).y(); };
  const int resting = top();
  ASSERT_TRUE(clickCentre(*details, *details, u"5"_s));
  EXPECT_TRUE(waitUntil([&] { return top() < resting; }));

  const int wheeled = top();

  const QString window = QString::number(details->winId());
  ASSERT_TRUE(xdotool({u"key"_s, u"--window"_s, window, u"Page_Down"_s}));
  EXPECT_TRUE(waitUntil([&] { return top() < wheeled - name->fontMetrics().height(); }));
  ASSERT_TRUE(xdotool({u"key"_s, u"--window"_s, window, u"Page_Up"_s, u"Page_Up"_s}));
  EXPECT_TRUE(waitUntil([&] { return top() == resting; }));
  // Return is still "Done".
  ASSERT_TRUE(xdotool({u"key"_s, u"--window"_s, window, u"Return"_s}));
  EXPECT_TRUE(waitUntil([&] { return !view->isShowingShowDetails(); }));
}

}  // namespace
}  // namespace tarnik::testing
