// The Live screen against the console double: the header's status, the command line bar,
// the viewer notice, the diagnostics dialog and the page's column.

#include "LiveScreenTestSupport.h"
#include "screens/live/LivePresentation.h"
#include "screens/live/LiveShowButton.h"
#include "screens/live/MainKeypadPanel.h"
#include "screens/support/Screenshots.h"
#include "support/QtPrinting.h"

#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTcpServer>
#include <QTest>

namespace tarnik::testing {
namespace {

using namespace Qt::StringLiterals;

using LiveScreenWidget = LiveScreenTest;

quint16 closedTcpPort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

TEST_F(LiveScreenWidget, TheStatusFollowsTheConnectionFromDisconnectedToSyncing) {
  // The console never answers the cue count, so the first sync keeps running.
  console.setHandler(u"/eos/get/cue/1/count"_s,
                     [](const OSCMessage &) { return QList<OSCMessage>{}; });
  makeView();
  EXPECT_EQ(status(), u"Connection status: Disconnected"_s);
  EXPECT_EQ(symbolButton(u"live.header.status"_s)->dotColor(), liveColor({LiveTint::red, 1}));

  // Nobody listens on this port: the connection says it waits, and the header says so too.
  model->setConsoleIP(u"127.0.0.1"_s);
  model->setConnectionTransport(OSCTransport::tcp);
  model->setCustomSendPort(QString::number(closedTcpPort()));
  model->connect();
  ASSERT_TRUE(waitUntil([&] {
    const QString description = model->oscManager()->connectionStateDescription();
    return LivePresentation::isConnecting(description) &&
           status() == u"Connection status: "_s + description;
  }));
  EXPECT_EQ(symbolButton(u"live.header.status"_s)->dotColor(), liveColor({LiveTint::yellow, 1}));
  model->disconnect();

  connectOverTcp();
  ASSERT_TRUE(model->isLoadingCues());
  EXPECT_TRUE(waitUntil(
      [&] { return status() == u"Connection status: Eos responsive, show data syncing"_s; }));
  EXPECT_EQ(symbolButton(u"live.header.status"_s)->dotColor(), liveColor({LiveTint::green, 1}));
}

TEST_F(LiveScreenWidget, AnEchoShowsInAmberAndViewerModeTurnsTheBorderBlue) {
  makeView();
  connectOverTcp();
  ASSERT_TRUE(waitUntil([&] { return model->dataStatusMessage() == u"Synced"_s; }));
  ASSERT_TRUE(waitUntil([&] { return status() == u"Connection status: Eos responsive"_s; }));
  console.pushCommandLine(1, u"LIVE: Chan 1 Full #"_s);
  ASSERT_TRUE(waitUntil([&] { return commandLine()->text() == u"Chan 1 Full ◆"_s; }));
  EXPECT_EQ(commandLine()->textColor(), (TintedColor{LiveTint::amberAccent, 1}));
  EXPECT_EQ(commandLine()->borderColor(), (TintedColor{LiveTint::amberAccent, 0.92}));
  EXPECT_EQ(commandLine()->accessibleName(), u"Command line: Chan 1 Full ◆"_s);
  saveScreenshot(*view, u"live-screen-editor"_s);

  model->setInteractionMode(InteractionMode::viewer);
  ASSERT_TRUE(waitUntil([&] {
    return commandLine()->borderColor() == TintedColor{LiveTint::blueAccent, 0.92};
  }));
  // The gate is closed, yet the console still answers.
  EXPECT_EQ(status(), u"Connection status: Eos responsive"_s);
  EXPECT_EQ(commandLine()->textColor(), (TintedColor{LiveTint::amberAccent, 1}));
  saveScreenshot(*view, u"live-screen-viewer"_s);
}

TEST_F(LiveScreenWidget, ABlankCommandLineShowsTheActiveCue) {
  makeView();
  connectOverTcp();
  console.pushCommandLine(1, u"LIVE: "_s);
  console.send({OSCMessage{u"/eos/out/active/cue/1/12"_s, {}}});
  ASSERT_TRUE(waitUntil([&] { return commandLine()->text() == u"Q12"_s; }));
  EXPECT_EQ(commandLine()->textColor(), (TintedColor{LiveTint::white, 0.68}));
}

TEST_F(LiveScreenWidget, TheViewerNoticeStandsUnderThePadOnlyInViewerMode) {
  makeView();
  auto *notice = view->findChild<QLabel *>(u"live.viewerNotice"_s);
  auto *keypad = view->findChild<MainKeypadPanel *>(u"live.keypad"_s);
  ASSERT_TRUE(notice && keypad);
  EXPECT_TRUE(notice->isHidden());
  const QRect padInEditor = keypad->geometry();
  const int columnHeight = keypad->parentWidget()->layout()->sizeHint().height();
  EXPECT_EQ(padInEditor.width() - 10, LivePresentation::keypadWidth(view->width()));

  model->setInteractionMode(InteractionMode::viewer);
  ASSERT_TRUE(waitUntil([&] { return notice->isVisible(); }));
  EXPECT_EQ(notice->text(),
            u"Viewer mode is active. Controls are read-only.\nTo use the "
            u"virtual keypad, switch to Editor mode in the More tab."_s);
  EXPECT_EQ(notice->textFormat(), Qt::PlainText);
  settle();
  EXPECT_EQ(notice->y(), keypad->geometry().bottom() + 1 + 5);

  model->setInteractionMode(InteractionMode::editor);
  ASSERT_TRUE(waitUntil([&] { return notice->isHidden(); }));
  keypad->parentWidget()->layout()->activate();
  EXPECT_EQ(keypad->geometry(), padInEditor);
  EXPECT_EQ(keypad->parentWidget()->layout()->sizeHint().height(), columnHeight);
}

TEST_F(LiveScreenWidget, TheStatusButtonOpensTheDiagnosticsAndEveryCloseResetsTheFlag) {
  makeView(560, {.diagnostics = diagnosticsStandIn});
  const auto openDiagnostics = [&]() -> QDialog * {
    // A closed dialog goes at the next turn; until then it would still be found.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTest::mouseClick(symbolButton(u"live.header.status"_s), Qt::LeftButton);
    auto *dialog = view->findChild<QDialog *>(u"live.diagnostics"_s);
    return dialog && dialog->isVisible() ? dialog : nullptr;
  };
  QDialog *dialog = openDiagnostics();
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(view->isShowingConnectionDiagnostics());
  EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
  QTest::mouseClick(dialog->findChild<QPushButton *>(u"diagnostics.done"_s), Qt::LeftButton);
  EXPECT_FALSE(view->isShowingConnectionDiagnostics());

  dialog = openDiagnostics();
  ASSERT_TRUE(dialog);
  dialog->close();
  EXPECT_FALSE(view->isShowingConnectionDiagnostics());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(view->findChildren<QDialog *>(u"live.diagnostics"_s).isEmpty());
}

TEST_F(LiveScreenWidget, TheHistoryButtonWorksOfflineAndInViewerMode) {
  makeView();
  model->setInteractionMode(InteractionMode::viewer);
  settle();
  ASSERT_FALSE(model->isConsoleReachable());
  QTest::mouseClick(symbolButton(u"live.commandLine.history"_s), Qt::LeftButton);
  EXPECT_TRUE(view->isShowingCommandHistory());
}

TEST_F(LiveScreenWidget, TheHeaderNamesTheShowAndItsButtons) {
  makeView();
  connectOverTcp();
  ASSERT_TRUE(waitUntil([&] { return model->dataStatusMessage() == u"Synced"_s; }));
  auto *show = view->findChild<QAbstractButton *>(u"live.header.show"_s);
  ASSERT_TRUE(waitUntil([&] { return show->accessibleName() == u"Show: Tarnik Test"_s; }));
  EXPECT_EQ(show->accessibleDescription(), u"Opens current show details"_s);
  // A console's 64 KB show name asks for no more than the screen is wide.
  qobject_cast<LiveShowButton *>(show)->setShowName(u"Wash "_s.repeated(13108));
  EXPECT_LE(show->sizeHint().width(), show->screen()->availableGeometry().width());
  LiveSymbolButton *torch = symbolButton(u"live.header.torch"_s);
  EXPECT_EQ(torch->accessibleName(), u"Turn flashlight on"_s);
  EXPECT_EQ(torch->accessibleDescription(), u"Explains why the flashlight is unavailable"_s);
  EXPECT_EQ(torch->size(), QSize(44, 44));
  EXPECT_EQ(symbolButton(u"live.header.status"_s)->size(), QSize(44, 44));
  EXPECT_EQ(symbolButton(u"live.commandLine.history"_s)->accessibleName(), u"Command history"_s);
}

}  // namespace
}  // namespace tarnik::testing
