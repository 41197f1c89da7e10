// The Cues page under a real X server: a person's long press on a breaker opens its
// actions, a click on a cue opens its detail and a double-click fires nothing; the page's
// keys work wherever the window's focus is, and going back leaves the focus on the row;
// Return in a breaker's dialogs cancels, and a rename types into the label.

#include "SyncedCueConsole.h"
#include "screens/live/CueDetailView.h"
#include "screens/live/CueListModel.h"
#include "screens/live/CueView.h"
#include "screens/support/Screenshots.h"
#include "screens/support/XdoTool.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QScrollBar>
#include <QStyleHints>
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
  // The person's hold on the breaker 'Act 2': 0.6 s with this process's event loop running,
  // as in the program.
  bool holdActTwo() {
    const QStringList moveTo = pointAt(RowKind::sceneBreak, u"Act 2"_s);
    if (moveTo.isEmpty() || !xdotool(moveTo + QStringList{u"mousedown"_s, u"1"_s})) return false;
    QTest::qWait(600);
    return xdotool({u"mouseup"_s, u"1"_s});
  }
  // The named dialog or menu once it shows.
  template <typename T>
  T *opened(const QString &name) {
    T *found = nullptr;
    waitUntil([&] { return (found = view->findChild<T *>(name)) && found->isVisible(); });
    return found;
  }
  // No window manager runs: a dialog that opens is given the keyboard as one would give it.
  static bool focusOn(QWidget &dialog) {
    return xdotool({u"windowfocus"_s, u"--sync"_s, QString::number(dialog.winId())}) &&
           QTest::qWaitForWindowActive(&dialog);
  }
  QList<OSCMessage> sceneSends() { return console.console.requests(u"/eos/set/cue/1/12/scene"_s); }

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
  ASSERT_TRUE(holdActTwo());
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
  const int doubleClickInterval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
  // The clicks after the first of a double-click or a triple-click reach no control.
  const struct {
    int clicks;
    bool showButtons;
  } runs[] = {{2, false}, {2, true}, {3, false}, {3, true}};
  for (const auto [clicks, showButtons] : runs) {
    SCOPED_TRACE(showButtons ? "Show Buttons on" : "Show Buttons off");
    SCOPED_TRACE(clicks);
    QAction *toggle = view->findChild<QAction *>(u"cues.menu.showButtons"_s);
    ASSERT_TRUE(toggle);
    if (toggle->isChecked() != showButtons) toggle->trigger();
    const QPoint at = cuePointNearestGo();
    ASSERT_FALSE(at.isNull());
    const QString number = list->indexAt(list->viewport()->mapFrom(view.get(), at))
                               .data(CueListModel::CueNumberRole)
                               .toString();
    const qsizetype firedBefore = fires(number).size();
    ASSERT_TRUE(
        xdotoolLive({u"mousemove"_s, u"--window"_s, QString::number(view->winId()),
                     QString::number(at.x()), QString::number(at.y()), u"click"_s, u"--repeat"_s,
                     QString::number(clicks), u"--delay"_s, u"120"_s, u"1"_s}));
    ASSERT_TRUE(waitUntil([&] { return view->findChild<CueDetailView *>() != nullptr; }));
    auto *go = view->findChild<QWidget *>(u"cues.detail.go"_s);
    // Without the bar the list reaches the foot of the page, right over the Go button.
    if (!showButtons) {
      EXPECT_TRUE(go->rect().contains(go->mapFrom(view.get(), at)));
    }
    QTest::qWait(doubleClickInterval + 100);
    EXPECT_EQ(fires(number).size(), firedBefore) << number.toStdString();

    // A click of its own on the page, once the run of clicks is over, goes through.
    ASSERT_TRUE(clickCentre(*view, *go));
    EXPECT_TRUE(waitUntil([&] { return fires(number).size() == firedBefore + 1; }));
    view->findChild<QAbstractButton *>(u"cues.back"_s)->click();
    ASSERT_TRUE(waitUntil([&] { return list->isVisible(); }));
  }
}

TEST_F(CueViewXServer, ReturnInTheBreakerDialogsCancels) {
  ASSERT_TRUE(holdActTwo());
  QPointer<QMessageBox> actions = opened<QMessageBox>(u"cues.breakerActions"_s);
  ASSERT_TRUE(actions);
  const auto *rename = actions->findChild<QWidget *>(u"cues.breakerActions.rename"_s);
  auto *remove = actions->findChild<QWidget *>(u"cues.breakerActions.delete"_s);
  EXPECT_LT(rename->x(), remove->x());
  ASSERT_TRUE(focusOn(*actions));
  EXPECT_FALSE(testing::saveScreenshot(*actions, u"cues-breaker-actions-focused"_s).isEmpty());
  ASSERT_TRUE(xdotoolLive({u"key"_s, u"Return"_s}));
  ASSERT_TRUE(waitUntil([&] { return actions.isNull(); }));
  EXPECT_FALSE(view->findChild<QMessageBox *>(u"cues.breakerDelete"_s));
  EXPECT_FALSE(view->findChild<QDialog *>(u"cues.breakerSheet"_s));

  ASSERT_TRUE(holdActTwo());
  actions = opened<QMessageBox>(u"cues.breakerActions"_s);
  ASSERT_TRUE(actions);
  ASSERT_TRUE(
      clickCentre(*actions, *actions->findChild<QWidget *>(u"cues.breakerActions.delete"_s)));
  QPointer<QMessageBox> confirm = opened<QMessageBox>(u"cues.breakerDelete"_s);
  ASSERT_TRUE(confirm);
  ASSERT_TRUE(focusOn(*confirm));
  EXPECT_FALSE(testing::saveScreenshot(*confirm, u"cues-breaker-delete-focused"_s).isEmpty());
  ASSERT_TRUE(xdotoolLive({u"key"_s, u"Return"_s}));
  ASSERT_TRUE(waitUntil([&] { return confirm.isNull(); }));
  QTest::qWait(100);
  EXPECT_TRUE(sceneSends().isEmpty());
}

TEST_F(CueViewXServer, RenameStartsInTheLabelWithTheCueNumberOff) {
  const QStringList moveTo = pointAt(RowKind::sceneBreak, u"Act 2"_s);
  ASSERT_FALSE(moveTo.isEmpty());
  ASSERT_TRUE(xdotool(moveTo + QStringList{u"click"_s, u"3"_s}));
  auto *menu = opened<QMenu>(u"cues.breakerMenu"_s);
  ASSERT_TRUE(menu);
  const QPoint item =
      menu->actionGeometry(menu->findChild<QAction *>(u"cues.breakerMenu.rename"_s)).center();
  ASSERT_TRUE(xdotool({u"mousemove"_s, u"--window"_s, QString::number(menu->winId()),
                       QString::number(item.x()), QString::number(item.y()), u"click"_s, u"1"_s}));
  auto *sheet = opened<QDialog>(u"cues.breakerSheet"_s);
  ASSERT_TRUE(sheet);
  ASSERT_TRUE(focusOn(*sheet));
  auto *number = sheet->findChild<QLineEdit *>(u"cues.breakerSheet.number"_s);
  auto *label = sheet->findChild<QLineEdit *>(u"cues.breakerSheet.label"_s);
  EXPECT_FALSE(number->isEnabled());
  EXPECT_EQ(QApplication::focusWidget(), label);
  ASSERT_TRUE(xdotoolLive({u"type"_s, u"--delay"_s, u"30"_s, u" II"_s}));
  EXPECT_TRUE(waitUntil([&] { return label->text() == u"Act 2 II"_s; }))
      << label->text().toStdString();
  EXPECT_EQ(number->text(), u"12"_s);
  EXPECT_FALSE(testing::saveScreenshot(*sheet, u"cues-breaker-rename-typed"_s).isEmpty());
}

// The page beside a stand-in sidebar that keeps the focus, as the window's does.
class CueViewKeysXServer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(console.syncShow(generateConsoleShow(30, 0, 5)));
    auto *layout = new QHBoxLayout(&window);
    sidebar = new QListWidget;
    sidebar->addItems({u"Live"_s, u"Cues"_s});
    layout->addWidget(sidebar);
    view = new CueView(*console.model);
    layout->addWidget(view, 1);
    window.resize(640, 720);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // No window manager runs: the window is given the keyboard as one would give it.
    ASSERT_TRUE(xdotool({u"windowfocus"_s, u"--sync"_s, QString::number(window.winId())}));
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    // Choosing the page in the sidebar leaves the focus there.
    ASSERT_TRUE(clickCentre(window, *sidebar));
    ASSERT_TRUE(waitUntil([&] { return sidebar->hasFocus(); }));
    list = view->findChild<QListView *>(u"cues.list"_s);
  }
  bool key(const QString &name) { return xdotoolLive({u"key"_s, name}); }
  qsizetype syncs() { return console.console.requests(u"/eos/get/cue/1/count"_s).size(); }

  SyncedCueConsole console;
  QWidget window;
  QListWidget *sidebar = nullptr;
  CueView *view = nullptr;
  QListView *list = nullptr;
};

TEST_F(CueViewKeysXServer, RefreshKeysSyncWhileTheFocusIsInTheSidebar) {
  for (const QString &refresh : {u"F5"_s, u"ctrl+r"_s}) {
    SCOPED_TRACE(refresh.toStdString());
    const qsizetype before = syncs();
    ASSERT_TRUE(sidebar->hasFocus());
    ASSERT_TRUE(key(refresh));
    EXPECT_TRUE(waitUntil([&] { return syncs() == before + 1; }));
    ASSERT_TRUE(waitUntil([&] { return !console.model->isLoadingCues(); }));
  }
}

TEST_F(CueViewKeysXServer, EnterOrSpaceOnACueRowOpensItAndGoingBackLeavesTheFocusOnTheRow) {
  const QAbstractItemModel &rows = *list->model();
  int cueThree = -1;
  for (int row = 0; row < rows.rowCount(); ++row) {
    if (rows.index(row, 0).data() == u"Cue 3"_s) cueThree = row;
  }
  const int sidebarRow = sidebar->currentRow();
  // A click on the "Cue List 1" header puts the focus in the list and opens nothing; from
  // there on, each way back leaves it on the row for the next way in.
  const QPoint header =
      list->viewport()->mapTo(&window, list->visualRect(rows.index(0, 0)).center());
  ASSERT_TRUE(
      xdotool({u"mousemove"_s, u"--window"_s, QString::number(window.winId()),
               QString::number(header.x()), QString::number(header.y()), u"click"_s, u"1"_s}));
  ASSERT_TRUE(waitUntil([&] { return list->hasFocus(); }));
  const struct {
    QString open;
    QString back;  // a key, or a click on the back button
  } ways[] = {{u"Return"_s, u"Escape"_s},
              {u"KP_Enter"_s, {}},
              {u"space"_s, u"Escape"_s},
              {u"Return"_s, u"alt+Left"_s}};
  for (const auto &[open, back] : ways) {
    SCOPED_TRACE((open + u" then "_s + back).toStdString());
    list->setCurrentIndex(rows.index(cueThree, 0));
    ASSERT_TRUE(key(open));
    ASSERT_TRUE(waitUntil([&] { return view->findChild<CueDetailView *>() != nullptr; }));
    EXPECT_EQ(view->findChild<CueDetailView *>()->title(), u"Cue 3"_s);
    ASSERT_TRUE(back.isEmpty()
                    ? clickCentre(window, *view->findChild<QAbstractButton *>(u"cues.back"_s))
                    : key(back));
    ASSERT_TRUE(waitUntil([&] { return view->findChild<CueDetailView *>() == nullptr; }));
    // The next key goes on in the list, not to the sidebar.
    ASSERT_TRUE(key(u"Down"_s));
    EXPECT_TRUE(waitUntil([&] { return list->currentIndex().row() > cueThree; }));
    EXPECT_EQ(sidebar->currentRow(), sidebarRow);
  }
}

}  // namespace
}  // namespace tarnik::testing
