// The Cues page under a real X server: a person's long press on a breaker opens its
// actions, a click on a cue opens its detail.

#include "SyncedCueConsole.h"
#include "screens/live/CueDetailView.h"
#include "screens/live/CueListModel.h"
#include "screens/live/CueView.h"
#include "screens/support/XdoTool.h"

#include <QListView>
#include <QMessageBox>
#include <QTest>

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
  SyncedCueConsole console;
  std::unique_ptr<CueView> view;
  QListView *list = nullptr;
};

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

}  // namespace
}  // namespace tarnik::testing
