// The connection page of the real window under Xvfb: Connect and Disconnect clicked with the
// pointer, against the console double.

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

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using namespace Qt::StringLiterals;
using testing::clickCentre;
using testing::waitUntil;

TEST(ConnectionActionsXServer, APersonConnectsToTheConsoleAndDisconnectsFromThePage) {
  testing::EosConsoleDouble console;
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow(testing::connectionPageWithoutBrowsing());
  // Whole on the X server's 1400 × 1000 screen, so every point of it can be clicked.
  window.setGeometry(0, 0, 1200, 800);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  AppViewModel &model = app.appViewModel();
  model.setConsoleIP(u"127.0.0.1"_s);
  model.setConnectionTransport(OSCTransport::tcp);
  model.setTcpFraming(OSCTCPFraming::slip);
  model.setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::slip)));
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

}  // namespace
}  // namespace tarnik
