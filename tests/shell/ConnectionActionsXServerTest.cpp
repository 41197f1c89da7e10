// The connection page of the real window under Xvfb: Connect, Disconnect and Test Connection
// worked with the pointer and the keyboard, against the console double.

#include "WorkspaceTestSupport.h"
#include "app/AppViewModel.h"
#include "link/OSCManager.h"
#include "screens/connection/ConnectionView.h"
#include "screens/support/Screenshots.h"
#include "screens/support/XdoTool.h"
#include "shell/MacWorkspaceView.h"
#include "shell/TarnikApp.h"
#include "support/EosConsoleDouble.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using namespace Qt::StringLiterals;
using testing::clickCentre;
using testing::waitUntil;
using testing::xdotool;

void fillFormFor(AppViewModel &model, const testing::EosConsoleDouble &console) {
  model.setConsoleIP(u"127.0.0.1"_s);
  model.setConnectionTransport(OSCTransport::tcp);
  model.setTcpFraming(OSCTCPFraming::slip);
  model.setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::slip)));
}

// The connection page's window, shown whole on the X server's 1400 × 1000 screen so every
// point of it can be clicked, its form filled for the console double.
class ConnectionActionsXServer : public ::testing::Test {
 protected:
  void SetUp() override {
    window.setGeometry(0, 0, 1200, 800);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    fillFormFor(model, console);
  }

  testing::EosConsoleDouble console;
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow(testing::connectionPageWithoutBrowsing());
  AppViewModel &model = app.appViewModel();
};

TEST_F(ConnectionActionsXServer, APersonConnectsToTheConsoleAndDisconnectsFromThePage) {
  auto *connect = window.findChild<QPushButton *>(u"connection.connect"_s);
  auto *disconnect = window.findChild<QPushButton *>(u"connection.disconnect"_s);
  auto *list = window.findChild<QScrollArea *>(u"connection.list"_s);
  ASSERT_TRUE(connect && disconnect && list);
  // Into view, and the button itself under its centre, wherever the rows above have moved it.
  const auto showDisconnect = [&] {
    return waitUntil([&] {
      list->ensureWidgetVisible(disconnect);
      return window.childAt(disconnect->mapTo(&window, disconnect->rect().center())) == disconnect;
    });
  };
  ASSERT_TRUE(showDisconnect());
  EXPECT_FALSE(disconnect->isEnabled());
  // Where the buttons are before anything happens: no state change below moves them.
  const auto places = [&] {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    return QList{connect->mapTo(&window, QPoint()), disconnect->mapTo(&window, QPoint())};
  };
  const QList<QPoint> offline = places();

  ASSERT_TRUE(clickCentre(window, *connect));
  // Verified, and the page has written the time of the last reply into its row.
  auto *lastResponse = window.findChild<QLabel *>(u"connection.status.lastEosResponse"_s);
  ASSERT_TRUE(lastResponse);
  ASSERT_TRUE(waitUntil([&] {
    return model.oscManager()->isEosVerified() && !lastResponse->text().isEmpty();
  })) << model.oscManager()->connectionStateDescription().toStdString();
  EXPECT_TRUE(waitUntil([&] { return disconnect->isEnabled(); }));
  EXPECT_EQ(places(), offline) << "connected";
  testing::saveScreenshot(window, u"connection-connected"_s);

  // The console goes away: the status rows change, the buttons stay under the pointer.
  console.closeClients();
  ASSERT_TRUE(waitUntil([&] { return !model.isConsoleReachable(); }));
  EXPECT_EQ(places(), offline) << "after the drop";
  testing::saveScreenshot(window, u"connection-dropped"_s);

  ASSERT_TRUE(showDisconnect());
  ASSERT_TRUE(clickCentre(window, *disconnect));
  EXPECT_TRUE(waitUntil([&] { return !disconnect->isEnabled(); }));
  EXPECT_FALSE(model.oscManager()->isConnected());
  EXPECT_TRUE(connect->isEnabled());
  window.close();
}

// A person re-running the test presses Space after clicking Test Connection: the test runs
// again, the working connection stays, and the page does not move.
TEST_F(ConnectionActionsXServer, SpaceAfterTestConnectionTestsAgainAndKeepsTheConnection) {
  ASSERT_TRUE(xdotool({u"windowfocus"_s, u"--sync"_s, QString::number(window.winId())}));
  model.connect();
  ASSERT_TRUE(waitUntil([&] { return model.oscManager()->isEosVerified(); }));
  auto *test = window.findChild<QPushButton *>(u"connection.test"_s);
  auto *list = window.findChild<QScrollArea *>(u"connection.list"_s);
  ASSERT_TRUE(test && list);
  ASSERT_TRUE(waitUntil([&] {
    list->ensureWidgetVisible(test);
    return window.childAt(test->mapTo(&window, test->rect().center())) == test;
  }));
  const int scrolled = list->verticalScrollBar()->value();
  QSignalSpy drops(model.oscManager(), &OSCManager::isConnectedChanged);
  const testing::KeyReleaseCount spaces(window, Qt::Key_Space);
  // The console holds its answers, so the test is still running when Space comes.
  QList<std::function<void()>> held;
  console.answerTiming = [&](const OSCMessage &, std::function<void()> answer) {
    held.append(std::move(answer));
  };

  ASSERT_TRUE(clickCentre(window, *test));
  ASSERT_TRUE(waitUntil([&] { return !test->isEnabled(); }));
  ASSERT_TRUE(xdotool({u"key"_s, u"space"_s}));
  ASSERT_TRUE(waitUntil([&] { return spaces.count() == 1; }));
  EXPECT_TRUE(model.isTestingConnection());
  console.answerTiming = nullptr;
  for (const auto &answer : std::exchange(held, {})) answer();
  ASSERT_TRUE(waitUntil([&] { return test->isEnabled(); }));
  EXPECT_EQ(QApplication::focusWidget(), test);
  EXPECT_EQ(list->verticalScrollBar()->value(), scrolled);

  const qsizetype asked = console.requests(u"/eos/get/version"_s).size();
  ASSERT_TRUE(xdotool({u"key"_s, u"space"_s}));
  EXPECT_TRUE(waitUntil([&] { return console.requests(u"/eos/get/version"_s).size() > asked; }));
  ASSERT_TRUE(waitUntil([&] { return spaces.count() == 2 && test->isEnabled(); }));
  EXPECT_EQ(QApplication::focusWidget(), test);
  EXPECT_EQ(list->verticalScrollBar()->value(), scrolled);
  EXPECT_EQ(drops.count(), 0);
  EXPECT_TRUE(model.oscManager()->isEosVerified());
  model.disconnect();  // the next test's start has no connection to come back to
  window.close();
}

}  // namespace
}  // namespace tarnik
