// The Cues page under a real X server: a person's long press on a breaker opens its
// actions, a click on a cue opens its detail and a double-click fires nothing.

#include "SyncedCueConsole.h"
#include "screens/live/CueDetailView.h"
#include "screens/live/CueListModel.h"
#include "screens/live/CueView.h"
#include "screens/support/XdoTool.h"

#include <QAction>
#include <QListView>
#include <QMessageBox>
#include <QProcess>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace tarnik::testing {
namespace {

using RowKind = CueListModel::RowKind;

class CueViewXServer : public ::testing::Test {
 protected:
  void SetUp() override {
    ConsoleShow show = generateConsoleShow(30, 0, 5);
    for (ConsoleCue &cue : show.cueLists[1])
      cue.fields[28] = OSCArgument::fromString(cue.number == u"12"_s ? u"Act 2"_s : QString());
    ASSERT_TRUE(console.syncShow(show));
    // The page measures the hold on the system's clock, as in the program.
    view = std::make_unique<CueView>(*console.model);
    view->resize(440, 720);
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    list = view->findChild<QListView *>(u"cues.list"_s);
  }
  // The row's centre in the window, scrolled into view.
  QStringList pointAt(RowKind kind, const QString &title) {
    for (int row = 0; row < list->model()->rowCount(); ++row) {
      const QModelIndex index = list->model()->index(row, 0);
      if (index.data(CueListModel::KindRole).toInt() != int(kind) || index.data() != title)
        continue;
      list->scrollTo(index);
      QCoreApplication::processEvents();
      const QPoint at = list->viewport()->mapTo(view.get(), list->visualRect(index).center());
      return {u"mousemove"_s, u"--window"_s, QString::number(view->winId()),
              QString::number(at.x()), QString::number(at.y())};
    }
    return {};
  }
  // A cue row's point in the window nearest to the middle of the detail's Go button, found by
  // opening a detail once; the row is scrolled so that a cue, not a header, is there.
  QPoint cuePointNearestGo();
  QList<OSCMessage> fires(const QString &number) {
    return console.console.requests(u"/eos/cue/1/"_s + number + u"/fire"_s);
  }

  SyncedCueConsole console;
  std::unique_ptr<CueView> view;
  QListView *list = nullptr;
};

QPoint CueViewXServer::cuePointNearestGo() {
  emit list->clicked(list->model()->index(list->model()->rowCount() - 1, 0));
  QWidget *go = nullptr;
  if (!waitUntil([&] { return (go = view->findChild<QWidget *>(u"cues.detail.go"_s)); })) return {};
  QCoreApplication::processEvents();
  QPoint at = go->mapTo(view.get(), go->rect().center());
  view->findChild<QAbstractButton *>(u"cues.back"_s)->click();
  if (!waitUntil([&] { return list->isVisible(); })) return {};
  const QRect viewport(list->viewport()->mapTo(view.get(), QPoint()), list->viewport()->size());
  at.setY(std::min(at.y(), viewport.bottom() - 4));
  for (int step = 0;
       step < 50 &&
       list->indexAt(list->viewport()->mapFrom(view.get(), at)).data(CueListModel::KindRole) !=
           int(RowKind::cue);
       ++step)
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->value() - 4);
  return at;
}

// xdotool runs while this process's event loop turns, so the page sees the clicks as they
// come, as it does in use.
bool xdotoolLive(const QStringList &arguments) {
  QProcess process;
  process.start(u"xdotool"_s, arguments);
  return waitUntil([&] { return process.state() == QProcess::NotRunning; }, 20000) &&
         process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

TEST_F(CueViewXServer, HoldingTheBreakerOpensItsActions) {
  const QStringList moveTo = pointAt(RowKind::sceneBreak, u"Act 2"_s);
  ASSERT_FALSE(moveTo.isEmpty());
  ASSERT_TRUE(xdotool(moveTo + QStringList{u"mousedown"_s, u"1"_s}));
  // The person's hold: 0.6 s with this process's event loop running, as in the program.
  QTest::qWait(600);
  ASSERT_TRUE(xdotool({u"mouseup"_s, u"1"_s}));
  ASSERT_TRUE(waitUntil([&] { return view->findChild<QMessageBox *>(u"cues.breakerActions"_s); }));
  EXPECT_EQ(view->findChild<QMessageBox *>(u"cues.breakerActions"_s)->text(), u"Act 2"_s);
}

TEST_F(CueViewXServer, ClickingACueOpensItsDetail) {
  const QStringList moveTo = pointAt(RowKind::cue, u"Cue 3"_s);
  ASSERT_FALSE(moveTo.isEmpty());
  ASSERT_TRUE(xdotool(moveTo + QStringList{u"click"_s, u"1"_s}));
  ASSERT_TRUE(waitUntil([&] { return view->findChild<CueDetailView *>() != nullptr; }));
  EXPECT_EQ(view->findChild<CueDetailView *>()->title(), u"Cue 3"_s);
}

TEST_F(CueViewXServer, DoubleClickingACueOverTheGoButtonFiresNothing) {
  for (const bool showButtons : {false, true}) {
    SCOPED_TRACE(showButtons ? "Show Buttons on" : "Show Buttons off");
    QAction *toggle = view->findChild<QAction *>(u"cues.menu.showButtons"_s);
    ASSERT_TRUE(toggle);
    if (toggle->isChecked() != showButtons) toggle->trigger();
    const QPoint at = cuePointNearestGo();
    ASSERT_FALSE(at.isNull());
    const QString number = list->indexAt(list->viewport()->mapFrom(view.get(), at))
                               .data(CueListModel::CueNumberRole)
                               .toString();
    const qsizetype firedBefore = fires(number).size();
    ASSERT_TRUE(xdotoolLive({u"mousemove"_s, u"--window"_s, QString::number(view->winId()),
                             QString::number(at.x()), QString::number(at.y()), u"click"_s,
                             u"--repeat"_s, u"2"_s, u"--delay"_s, u"120"_s, u"1"_s}));
    ASSERT_TRUE(waitUntil([&] { return view->findChild<CueDetailView *>() != nullptr; }));
    auto *go = view->findChild<QWidget *>(u"cues.detail.go"_s);
    // Without the bar the list reaches the foot of the page, right over the Go button.
    if (!showButtons) {
      EXPECT_TRUE(go->rect().contains(go->mapFrom(view.get(), at)));
    }
    QTest::qWait(200);
    EXPECT_EQ(fires(number).size(), firedBefore) << number.toStdString();

    // A click of its own on the page goes through.
    ASSERT_TRUE(clickCentre(*view, *go));
    EXPECT_TRUE(waitUntil([&] { return fires(number).size() == firedBefore + 1; }));
    view->findChild<QAbstractButton *>(u"cues.back"_s)->click();
    ASSERT_TRUE(waitUntil([&] { return list->isVisible(); }));
  }
}

}  // namespace
}  // namespace tarnik::testing
