// The Cues page against the console double: the list, its empty states, the toolbar, the
// breaker gestures and dialogs, and the record-cue and breaker sheets.

#include "SyncedCueConsole.h"
#include "screens/kit/EmptyStateView.h"
#include "screens/live/CueDetailView.h"
#include "screens/live/CueListModel.h"
#include "screens/live/CueOrdering.h"
#include "screens/live/CuePlaybackBar.h"
#include "screens/live/CueView.h"
#include "screens/live/SceneBreakSheet.h"
#include "screens/live/SlotLabel.h"
#include "screens/support/Screenshots.h"
#include "support/QtPrinting.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

using testing::waitUntil;
using RowKind = CueListModel::RowKind;

constexpr int sceneField = 28;  // the scene text among a console cue's fields

// A generated show whose only breakers are the given scene texts, by cue number.
testing::ConsoleShow showWithBreakers(const QHash<QString, QString> &scenes, int cueCount = 30) {
  testing::ConsoleShow show = testing::generateConsoleShow(cueCount, 0, 5);
  for (testing::ConsoleCue &cue : show.cueLists[1])
    cue.fields[sceneField] = OSCArgument::fromString(scenes.value(cue.number));
  return show;
}

QString text(const OSCMessage &message) {
  if (message.arguments.isEmpty()) return u"<none>"_s;
  const auto *value = std::get_if<QString>(&message.arguments.first().value);
  return value ? *value : u"<not text>"_s;
}

class CueViewWidget : public ::testing::Test {
 protected:
  void SetUp() override { SlotLabel::setSlideDuration(std::chrono::milliseconds(0)); }
  void TearDown() override { SlotLabel::setSlideDuration(std::chrono::milliseconds(450)); }

  void makeView() {
    view = std::make_unique<CueView>(*console.model, pressTiming);
    view->resize(440, 720);
    view->show();
  }
  template <typename T = QWidget>
  T *part(const QString &name) {
    return view->findChild<T *>(name);
  }
  QListView *list() { return part<QListView>(u"cues.list"_s); }
  QAbstractItemModel *rows() { return list()->model(); }
  int rowOf(RowKind kind, const QString &title) {
    for (int row = 0; row < rows()->rowCount(); ++row) {
      const QModelIndex index = rows()->index(row, 0);
      if (index.data(CueListModel::KindRole).toInt() == int(kind) && index.data() == title)
        return row;
    }
    return -1;
  }
  QPoint rowCentre(int row) {
    list()->scrollTo(rows()->index(row, 0));
    return list()->visualRect(rows()->index(row, 0)).center();
  }
  QStringList menuItems() {
    QStringList names;
    for (QAction *action : part<QToolButton>(u"cues.menu"_s)->menu()->actions())
      names.append(action->objectName());
    return names;
  }
  QAction *menuItem(const QString &name) {
    return part<QToolButton>(u"cues.menu"_s)->menu()->findChild<QAction *>(name);
  }
  bool barShown() { return !part(u"cues.playback"_s)->isHidden(); }
  QMessageBox *dialog(const QString &name) { return part<QMessageBox>(name); }
  QDialog *sheet(const QString &name) { return part<QDialog>(name); }
  QLineEdit *field(const QString &name) { return part<QLineEdit>(name); }
  QPushButton *button(const QString &name) { return part<QPushButton>(name); }
  // The breaker 'Act 2' above cue '12', a long press away.
  void holdOn(int row, double seconds, QPoint move = {}) {
    QWidget *viewport = list()->viewport();
    const QPoint at = rowCentre(row);
    QTest::mousePress(viewport, Qt::LeftButton, {}, at);
    if (!move.isNull()) QTest::mouseMove(viewport, at + move);
    pressTiming->advance(seconds);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at + move);
  }
  void syncActTwo() {
    ASSERT_TRUE(console.syncShow(showWithBreakers({{u"12"_s, u"Act 2"_s}})));
    makeView();
    ASSERT_TRUE(waitUntil([&] { return rowOf(RowKind::sceneBreak, u"Act 2"_s) >= 0; }));
  }
  void typeInto(const QString &name, const QString &typed) {
    field(name)->clear();
    QTest::keyClicks(field(name), typed);
  }
  QList<OSCMessage> sceneSends() { return console.console.requests(u"/eos/set/cue/1/12/scene"_s); }
  // Return in a sheet's field leaves the sheet open with the text as typed.
  bool returnKeepsTheSheet(const QString &name, const QString &fieldName) {
    const QString typed = field(fieldName)->text();
    QTest::keyClick(field(fieldName), Qt::Key_Return);
    QCoreApplication::processEvents();
    return sheet(name) && sheet(name)->isVisible() && field(fieldName)->text() == typed;
  }
  QString emptyShown();
  bool cardAboveEmpty();
  void connectWithHeldCount(std::chrono::milliseconds pingDelay);
  void sendHeldCount(int count);
  QStringList commandLines() {
    QStringList lines;
    for (const OSCMessage &message : console.console.requests(u"/eos/cmd"_s))
      lines.append(text(message));
    return lines;
  }

  testing::SyncedCueConsole console;
  std::shared_ptr<testing::ManualAppTiming> pressTiming =
      std::make_shared<testing::ManualAppTiming>();
  std::unique_ptr<CueView> view;
};

QString CueViewWidget::emptyShown() {
  return part<QLabel>(u"cues.empty.title"_s)->text() + u" | "_s +
         part<QLabel>(u"cues.empty.description"_s)->text();
}

bool CueViewWidget::cardAboveEmpty() {
  QWidget *card = part(u"cues.sync.showName"_s);
  QWidget *empty = part(u"cues.empty"_s);
  return card->isVisible() && empty->isVisible() && list()->isHidden() &&
         card->mapTo(view.get(), QPoint()).y() < empty->mapTo(view.get(), QPoint()).y();
}

// The console answers, the sync starts and the cue count is held back until the test sends
// it; the ping's answer is held back as long as given.
void CueViewWidget::connectWithHeldCount(std::chrono::milliseconds pingDelay) {
  console.console.setHandler(u"/eos/get/cue/1/count"_s,
                             [](const OSCMessage &) { return QList<OSCMessage>{}; });
  console.console.pingReplyDelay = pingDelay;
  console.manager().connect(u"127.0.0.1"_s, console.console.tcpPort(OSCTCPFraming::packetLength));
  ASSERT_TRUE(waitUntil([&] { return console.model->isLoadingCues(); }));
}

void CueViewWidget::sendHeldCount(int count) {
  console.console.removeHandler(u"/eos/get/cue/1/count"_s);
  console.console.send({OSCMessage{u"/eos/out/get/cue/1/count"_s, {OSCArgument::fromInt(count)}}});
}

TEST_F(CueViewWidget, TheEmptyStateFollowsLoadingAndReachabilityBelowTheCard) {
  makeView();
  EXPECT_EQ(emptyShown(), u"No Cues Loaded | Connect to Eos to load cue data."_s);
  EXPECT_TRUE(cardAboveEmpty());
  EXPECT_FALSE(testing::saveScreenshot(*view, u"cues-page-empty"_s).isEmpty());

  console.console.setShow(testing::ConsoleShow{});
  connectWithHeldCount(std::chrono::milliseconds(0));
  ASSERT_TRUE(waitUntil([&] { return console.model->isConsoleReachable(); }));
  ASSERT_TRUE(
      waitUntil([&] { return emptyShown() == u"Loading Cues | Pulling cue data from Eos."_s; }));
  EXPECT_TRUE(cardAboveEmpty());

  sendHeldCount(0);
  ASSERT_TRUE(
      waitUntil([&] { return emptyShown() == u"No Cues Loaded | Pulling cue data from Eos."_s; }));
  EXPECT_FALSE(console.model->isLoadingCues());
  EXPECT_TRUE(cardAboveEmpty());
}

TEST_F(CueViewWidget, LoadingBeforeThePingIsAnsweredAsksToConnect) {
  makeView();
  connectWithHeldCount(std::chrono::minutes(1));
  EXPECT_FALSE(console.model->isConsoleReachable());
  ASSERT_TRUE(waitUntil(
      [&] { return emptyShown() == u"Loading Cues | Connect to Eos to load cue data."_s; }));
  EXPECT_TRUE(cardAboveEmpty());
}

TEST_F(CueViewWidget, CueListOneHeadsTheCuesBeforeTheFirstBreakerOnly) {
  ASSERT_TRUE(console.syncShow(showWithBreakers({{u"3"_s, u"Act 1"_s}, {u"12"_s, u"Act 2"_s}})));
  makeView();
  EXPECT_EQ(rowOf(RowKind::cueListTitle, u"Cue List 1"_s), 0);
  EXPECT_GT(rowOf(RowKind::sceneBreak, u"Act 1"_s), 0);
  EXPECT_GT(rowOf(RowKind::sceneBreak, u"Act 2"_s), rowOf(RowKind::sceneBreak, u"Act 1"_s));

  console.console.setShow(showWithBreakers({{u"1"_s, u"Prologue"_s}}));
  console.model->requestFullSync(u"test"_s);
  ASSERT_TRUE(waitUntil([&] { return rowOf(RowKind::sceneBreak, u"Prologue"_s) == 0; }));
  EXPECT_EQ(rowOf(RowKind::cueListTitle, u"Cue List 1"_s), -1);
}

TEST_F(CueViewWidget, EveryRowTheActiveCueMarksIsMarked) {
  testing::ConsoleShow show = showWithBreakers({{u"3"_s, u"Act 1"_s}});
  testing::ConsoleCue five = show.cueLists.at(1).at(8);
  five.number = u"5.0"_s;
  show.setCue(1, five);
  ASSERT_TRUE(console.syncShow(show));
  makeView();
  console.console.send({OSCMessage{u"/eos/out/active/cue/1/5"_s, {OSCArgument::fromFloat(0.5f)}}});
  ASSERT_TRUE(waitUntil([&] { return console.model->activeCueNumber() == u"5"_s; }));
  QStringList marked;
  for (int row = 0; row < rows()->rowCount(); ++row) {
    if (rows()->index(row, 0).data(CueListModel::IsActiveRole).toBool())
      marked.append(rows()->index(row, 0).data(CueListModel::CueNumberRole).toString());
  }
  EXPECT_EQ(marked, (QStringList{u"5"_s, u"5.0"_s}));
  EXPECT_FALSE(testing::saveScreenshot(*view, u"cues-page-editor"_s).isEmpty());
}

TEST_F(CueViewWidget, ViewerModeLeavesOnlySyncNowAndNoBar) {
  ASSERT_TRUE(console.syncShow(showWithBreakers({{u"12"_s, u"Act 2"_s}})));
  console.model->setInteractionMode(InteractionMode::viewer);
  makeView();
  EXPECT_EQ(menuItems(), (QStringList{u"cues.menu.syncNow"_s}));
  EXPECT_TRUE(part(u"cues.record"_s)->isHidden());
  EXPECT_FALSE(part(u"cues.menu"_s)->isHidden());
  EXPECT_FALSE(barShown());
  EXPECT_TRUE(view->showsPlaybackButtons());
  EXPECT_FALSE(testing::saveScreenshot(*view, u"cues-page-viewer"_s).isEmpty());

  console.model->setInteractionMode(InteractionMode::editor);
  ASSERT_TRUE(waitUntil([&] { return menuItems().size() == 3; }));
  EXPECT_EQ(menuItems(), (QStringList{u"cues.menu.syncNow"_s, u"cues.menu.addBreaker"_s,
                                      u"cues.menu.showButtons"_s}));
  EXPECT_FALSE(part(u"cues.record"_s)->isHidden());
  EXPECT_TRUE(barShown());
}

TEST_F(CueViewWidget, ShowButtonsHidesTheBarAndBringsItBackCurrent) {
  ASSERT_TRUE(console.syncShow(showWithBreakers({})));
  makeView();
  EXPECT_TRUE(barShown());
  menuItem(u"cues.menu.showButtons"_s)->trigger();
  EXPECT_FALSE(barShown());
  console.console.send(
      {OSCMessage{u"/eos/out/pending/cue/text"_s, {OSCArgument::fromString(u"1/4 Sunrise"_s)}}});
  ASSERT_TRUE(waitUntil([&] { return console.model->pendingCueNumber() == u"4"_s; }));
  menuItem(u"cues.menu.showButtons"_s)->trigger();
  EXPECT_TRUE(barShown());
  EXPECT_TRUE(menuItem(u"cues.menu.showButtons"_s)->isChecked());
  EXPECT_EQ(part<QAbstractButton>(u"cues.playback.go"_s)->text(), u"Go Cue 4"_s);
}

TEST_F(CueViewWidget, AddBreakerProposesThePendingThenTheFirstCue) {
  const auto proposed = [&] {
    menuItem(u"cues.menu.addBreaker"_s)->trigger();
    QDialog *open = sheet(u"cues.breakerSheet"_s);
    EXPECT_TRUE(open);
    if (!open) return u"<no sheet>"_s;
    EXPECT_EQ(open->windowTitle(), u"Add Breaker"_s);
    EXPECT_FALSE(field(u"cues.breakerSheet.number"_s)->isReadOnly());
    EXPECT_TRUE(field(u"cues.breakerSheet.label"_s)->text().isEmpty());
    const QString number = field(u"cues.breakerSheet.number"_s)->text();
    open->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return number;
  };
  makeView();
  EXPECT_EQ(proposed(), QString());
  ASSERT_TRUE(console.syncShow(showWithBreakers({}, 10)));  // cues 1 to 5.x
  ASSERT_TRUE(waitUntil([&] { return !list()->isHidden(); }));
  EXPECT_EQ(proposed(), u"1"_s);
  console.console.send(
      {OSCMessage{u"/eos/out/pending/cue/text"_s, {OSCArgument::fromString(u"1/7 Finale"_s)}}});
  ASSERT_TRUE(waitUntil([&] { return console.model->pendingCueNumber() == u"7"_s; }));
  EXPECT_EQ(proposed(), u"7"_s);
}

TEST_F(CueViewWidget, ALongPressOnABreakerLeadsToItsDeletion) {
  syncActTwo();
  holdOn(rowOf(RowKind::sceneBreak, u"Act 2"_s), 0.6);
  QMessageBox *actions = dialog(u"cues.breakerActions"_s);
  ASSERT_TRUE(actions);
  EXPECT_TRUE(actions->isVisible());
  EXPECT_EQ(actions->text(), u"Act 2"_s);
  EXPECT_EQ(actions->informativeText(), u"Cue 12"_s);
  EXPECT_EQ(actions->textFormat(), Qt::PlainText);
  EXPECT_FALSE(testing::saveScreenshot(*actions, u"cues-breaker-actions"_s).isEmpty());

  button(u"cues.breakerActions.delete"_s)->click();
  QMessageBox *confirm = dialog(u"cues.breakerDelete"_s);
  ASSERT_TRUE(confirm);
  EXPECT_EQ(confirm->text(), u"Delete this breaker?"_s);
  EXPECT_EQ(confirm->informativeText(), u"This removes the breaker above cue 12."_s);
  EXPECT_FALSE(testing::saveScreenshot(*confirm, u"cues-breaker-delete"_s).isEmpty());
  button(u"cues.breakerDelete.confirm"_s)->click();
  ASSERT_TRUE(waitUntil([&] { return sceneSends().size() == 1; }));
  EXPECT_EQ(text(sceneSends().first()), QString());
  QTest::qWait(100);
  EXPECT_EQ(sceneSends().size(), 1);

  // Once more, cancelled: nothing goes out.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  holdOn(rowOf(RowKind::sceneBreak, u"Act 2"_s), 0.6);
  button(u"cues.breakerActions.delete"_s)->click();
  ASSERT_TRUE(dialog(u"cues.breakerDelete"_s));
  dialog(u"cues.breakerDelete"_s)->reject();
  QTest::qWait(100);
  EXPECT_EQ(sceneSends().size(), 1);
}

// A console's 64 KB breaker label titles its actions as one line at most as wide as the page.
TEST_F(CueViewWidget, ALongBreakerLabelTitlesItsActionsWithOneLine) {
  const QString label = u"Act 2"_s + u" Storm"_s.repeated(10921);
  ASSERT_TRUE(console.syncShow(showWithBreakers({{u"12"_s, label}})));
  makeView();
  ASSERT_TRUE(waitUntil([&] { return rowOf(RowKind::sceneBreak, label) >= 0; }));
  holdOn(rowOf(RowKind::sceneBreak, label), 0.6);
  QMessageBox *actions = dialog(u"cues.breakerActions"_s);
  ASSERT_TRUE(actions);
  EXPECT_TRUE(actions->text().endsWith(QChar(0x2026))) << actions->text().left(40).toStdString();
  EXPECT_LE(QFontMetrics(view->font()).horizontalAdvance(actions->text()), view->width());
  EXPECT_EQ(actions->windowTitle(), actions->text());
  EXPECT_FALSE(testing::saveScreenshot(*actions, u"cues-breaker-actions-long-label"_s).isEmpty());
}

TEST_F(CueViewWidget, BreakerGesturesWorkInViewerModeAndTheModelRefuses) {
  syncActTwo();
  console.model->setInteractionMode(InteractionMode::viewer);
  const int header = rowOf(RowKind::sceneBreak, u"Act 2"_s);
  holdOn(header, 0.6);
  ASSERT_TRUE(dialog(u"cues.breakerActions"_s));
  dialog(u"cues.breakerActions"_s)->reject();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

  emit list()->customContextMenuRequested(rowCentre(header));
  QMenu *menu = part<QMenu>(u"cues.breakerMenu"_s);
  ASSERT_TRUE(menu);
  menu->findChild<QAction *>(u"cues.breakerMenu.delete"_s)->trigger();
  menu->close();
  ASSERT_TRUE(dialog(u"cues.breakerDelete"_s));
  button(u"cues.breakerDelete.confirm"_s)->click();
  EXPECT_EQ(console.model->commandHistory().last().source, u"Rejected"_s);
  EXPECT_TRUE(console.model->commandHistory().last().text.endsWith(u"Viewer mode"_s))
      << console.model->commandHistory().last().text.toStdString();
  QTest::qWait(100);
  EXPECT_TRUE(sceneSends().isEmpty());
}

TEST_F(CueViewWidget, ShortOrMovingPressesAndClicksOnAHeaderOpenNothing) {
  syncActTwo();
  const int header = rowOf(RowKind::sceneBreak, u"Act 2"_s);
  holdOn(header, 0.3);
  pressTiming->advance(1);
  holdOn(header, 0.6, QPoint(15, 0));
  QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rowCentre(header));
  pressTiming->advance(1);
  QCoreApplication::processEvents();
  EXPECT_FALSE(dialog(u"cues.breakerActions"_s));
  EXPECT_EQ(part<QWidget>(u"cues.pages"_s)->findChildren<CueDetailView *>().size(), 0);
}

TEST_F(CueViewWidget, RenameFromTheDialogOrTheMenuSavesTheNewLabel) {
  syncActTwo();
  // The double keeps what is set, as the console does, so the refresh brings it back.
  console.console.setHandler(u"/eos/set/cue/1/12/scene"_s, [&](const OSCMessage &request) {
    testing::ConsoleShow show = console.console.show();
    for (testing::ConsoleCue &cue : show.cueLists[1]) {
      if (cue.number == u"12"_s) cue.fields[sceneField] = request.arguments.first();
    }
    console.console.setShow(show);
    return QList<OSCMessage>{};
  });
  const auto checkSheet = [&] {
    QDialog *open = sheet(u"cues.breakerSheet"_s);
    ASSERT_TRUE(open);
    EXPECT_EQ(open->windowTitle(), u"Rename Breaker"_s);
    EXPECT_EQ(field(u"cues.breakerSheet.number"_s)->text(), u"12"_s);
    EXPECT_TRUE(field(u"cues.breakerSheet.number"_s)->isReadOnly());
    EXPECT_EQ(field(u"cues.breakerSheet.label"_s)->text(), u"Act 2"_s);
    EXPECT_EQ(button(u"cues.breakerSheet.confirm"_s)->text(), u"Save"_s);
  };

  // From the context menu, then cancelled.
  const int header = rowOf(RowKind::sceneBreak, u"Act 2"_s);
  emit list()->customContextMenuRequested(rowCentre(header));
  QMenu *menu = part<QMenu>(u"cues.breakerMenu"_s);
  ASSERT_TRUE(menu);
  menu->findChild<QAction *>(u"cues.breakerMenu.rename"_s)->trigger();
  menu->close();
  checkSheet();
  sheet(u"cues.breakerSheet"_s)->reject();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

  // From the long press's dialog, saved.
  holdOn(header, 0.6);
  button(u"cues.breakerActions.rename"_s)->click();
  checkSheet();
  EXPECT_FALSE(
      testing::saveScreenshot(*sheet(u"cues.breakerSheet"_s), u"cues-breaker-sheet"_s).isEmpty());
  typeInto(u"cues.breakerSheet.label"_s, u"Act II"_s);
  ASSERT_TRUE(returnKeepsTheSheet(u"cues.breakerSheet"_s, u"cues.breakerSheet.label"_s));
  EXPECT_TRUE(sceneSends().isEmpty());
  button(u"cues.breakerSheet.confirm"_s)->click();
  ASSERT_TRUE(waitUntil([&] { return sceneSends().size() == 1; }));
  EXPECT_EQ(text(sceneSends().first()), u"Act II"_s);
  console.timing->advance(0.75);
  EXPECT_TRUE(waitUntil([&] { return rowOf(RowKind::sceneBreak, u"Act II"_s) >= 0; }));
  EXPECT_EQ(rowOf(RowKind::sceneBreak, u"Act 2"_s), -1);
}

// A label the field shows cut (a letter under more combining marks than one carries, as in a
// console's 64 KB label that froze the window at each caret blink) is saved whole when left
// as it was.
TEST_F(CueViewWidget, ARenameLeftAsItWasSavesTheWholeLabelTheFieldShowsCut) {
  ASSERT_TRUE(console.syncShow(showWithBreakers({})));
  const QString stacked = u"e"_s + QString(QChar(0x0301)).repeated(40);
  SceneBreakSheet sheet(
      *console.model, {.edit = SceneBreakEditor::Rename{{.cueNumber = u"12"_s, .label = stacked}}});
  sheet.show();
  EXPECT_EQ(sheet.findChild<QLineEdit *>(u"cues.breakerSheet.label"_s)->text(),
            stacked.left(31) + u"…"_s);
  EXPECT_FALSE(testing::saveScreenshot(sheet, u"cues-breaker-sheet-stacked-label"_s).isEmpty());
  sheet.findChild<QPushButton *>(u"cues.breakerSheet.confirm"_s)->click();
  ASSERT_TRUE(waitUntil([&] { return sceneSends().size() == 1; }));
  EXPECT_EQ(text(sceneSends().first()), stacked);
}

TEST_F(CueViewWidget, RecordSendsTheTypedCueWithTimeAndLabel) {
  ASSERT_TRUE(console.syncShow(showWithBreakers({})));
  makeView();
  const auto record = [&](const QString &number, const QString &label, const QString &time) {
    part<QAbstractButton>(u"cues.record"_s)->click();
    EXPECT_TRUE(sheet(u"cues.recordSheet"_s));
    typeInto(u"cues.recordSheet.number"_s, number);
    typeInto(u"cues.recordSheet.label"_s, label);
    typeInto(u"cues.recordSheet.time"_s, time);
    button(u"cues.recordSheet.confirm"_s)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(sheet(u"cues.recordSheet"_s)) << "the sheet closes";
  };
  record(u" 7 "_s, {}, {});
  ASSERT_TRUE(waitUntil([&] { return commandLines().size() == 1; }));
  EXPECT_EQ(commandLines(), (QStringList{u"Record Cue 7 Enter"_s}));

  record(u"7"_s, u"Act One"_s, u"3"_s);
  ASSERT_TRUE(waitUntil([&] { return commandLines().size() == 3; }));
  EXPECT_EQ(commandLines().mid(1),
            (QStringList{u"Record Cue 7 Time 3 Enter"_s, u"Cue 7 Label \"Act One\" Enter"_s}));

  for (const QString &time : {u"abc"_s, u"nan"_s}) {
    record(u"7"_s, {}, time);
    EXPECT_EQ(console.model->commandHistory().last().text, u"Record Cue 7 — invalid time"_s);
    EXPECT_EQ(console.model->commandHistory().last().source, u"Rejected"_s);
  }
  QTest::qWait(100);
  EXPECT_EQ(commandLines().size(), 3);
}

TEST_F(CueViewWidget, RecordWantsANumberAndAReachableConsole) {
  makeView();
  part<QAbstractButton>(u"cues.record"_s)->click();
  typeInto(u"cues.recordSheet.number"_s, u"7"_s);
  EXPECT_FALSE(button(u"cues.recordSheet.confirm"_s)->isEnabled());
  sheet(u"cues.recordSheet"_s)->reject();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

  ASSERT_TRUE(console.syncShow(showWithBreakers({})));
  part<QAbstractButton>(u"cues.record"_s)->click();
  QPushButton *confirm = button(u"cues.recordSheet.confirm"_s);
  EXPECT_FALSE(confirm->isEnabled());
  typeInto(u"cues.recordSheet.number"_s, u"  "_s);
  EXPECT_FALSE(confirm->isEnabled());
  typeInto(u"cues.recordSheet.number"_s, u"7"_s);
  EXPECT_TRUE(confirm->isEnabled());
  EXPECT_FALSE(
      testing::saveScreenshot(*sheet(u"cues.recordSheet"_s), u"cues-record-sheet"_s).isEmpty());
}

TEST_F(CueViewWidget, TheBreakerConfirmWaitsForALabelAndTheSync) {
  // Reachable, but the sync waits for the cue count.
  console.console.setShow(showWithBreakers({}, 4));
  makeView();
  connectWithHeldCount(std::chrono::milliseconds(0));
  ASSERT_TRUE(waitUntil([&] { return console.model->isConsoleReachable(); }));
  part<QAbstractButton>(u"cues.record"_s)->click();
  typeInto(u"cues.recordSheet.number"_s, u"7"_s);
  EXPECT_TRUE(button(u"cues.recordSheet.confirm"_s)->isEnabled());
  ASSERT_TRUE(returnKeepsTheSheet(u"cues.recordSheet"_s, u"cues.recordSheet.number"_s));
  QTest::keyClick(field(u"cues.recordSheet.number"_s), Qt::Key_Escape);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(sheet(u"cues.recordSheet"_s)) << "Escape closes it";

  menuItem(u"cues.menu.addBreaker"_s)->trigger();
  QPushButton *confirm = button(u"cues.breakerSheet.confirm"_s);
  EXPECT_EQ(confirm->text(), u"Add"_s);
  typeInto(u"cues.breakerSheet.number"_s, u"2"_s);
  EXPECT_FALSE(confirm->isEnabled());
  typeInto(u"cues.breakerSheet.label"_s, u"   "_s);
  EXPECT_FALSE(confirm->isEnabled());
  typeInto(u"cues.breakerSheet.label"_s, u"Act 1"_s);
  EXPECT_FALSE(confirm->isEnabled()) << "not before the show is synced";
  ASSERT_TRUE(returnKeepsTheSheet(u"cues.breakerSheet"_s, u"cues.breakerSheet.label"_s));

  sendHeldCount(4);
  EXPECT_TRUE(waitUntil([&] { return confirm->isEnabled(); }));
  EXPECT_TRUE(console.model->isShowDataCurrent());
}

TEST_F(CueViewWidget, RefreshKeysSyncAndBackReturnsFromADetail) {
  ASSERT_TRUE(console.syncShow(showWithBreakers({})));
  makeView();
  ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
  const qsizetype counts = console.console.requests(u"/eos/get/cue/1/count"_s).size();
  QTest::keyClick(list(), Qt::Key_F5);
  ASSERT_TRUE(waitUntil(
      [&] { return console.console.requests(u"/eos/get/cue/1/count"_s).size() == counts + 1; }));
  ASSERT_TRUE(waitUntil([&] { return !console.model->isLoadingCues(); }));
  QTest::keyClick(list(), Qt::Key_R, Qt::ControlModifier);
  ASSERT_TRUE(waitUntil(
      [&] { return console.console.requests(u"/eos/get/cue/1/count"_s).size() == counts + 2; }));
  ASSERT_TRUE(waitUntil([&] { return !console.model->isLoadingCues(); }));
  menuItem(u"cues.menu.syncNow"_s)->trigger();
  ASSERT_TRUE(waitUntil(
      [&] { return console.console.requests(u"/eos/get/cue/1/count"_s).size() == counts + 3; }));

  const int row = rowOf(RowKind::cue, u"Cue 3"_s);
  QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rowCentre(row));
  ASSERT_TRUE(waitUntil([&] { return view->findChild<CueDetailView *>() != nullptr; }));
  EXPECT_EQ(view->findChild<CueDetailView *>()->title(), u"Cue 3"_s);
  EXPECT_FALSE(list()->isVisible());
  part<QAbstractButton>(u"cues.back"_s)->click();
  EXPECT_TRUE(waitUntil([&] { return view->findChild<CueDetailView *>() == nullptr; }));
  EXPECT_TRUE(list()->isVisible());
}

}  // namespace
}  // namespace tarnik
