// The connection page of the real window under Xvfb, typed into with real keys.

#include "WorkspaceTestSupport.h"
#include "app/AppViewModel.h"
#include "screens/connection/ConnectionView.h"
#include "screens/kit/ElidedLabel.h"
#include "screens/support/Screenshots.h"
#include "screens/support/XdoTool.h"
#include "shell/MacWorkspaceView.h"
#include "shell/TarnikApp.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using testing::clickCentre;
using testing::waitUntil;
using testing::xdotool;

TEST(ConnectionViewXServer, TypedHostAndPortReachTheModelAndTheValidationLineFollowsEachKey) {
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow(testing::connectionPageWithoutBrowsing());
  window.resize(1200, 1000);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  AppViewModel &model = app.appViewModel();
  auto *host = window.findChild<QLineEdit *>(u"connection.host"_s);
  auto *port = window.findChild<QLineEdit *>(u"connection.destinationPort"_s);
  auto *validation = window.findChild<ElidedLabel *>(u"connection.validationError"_s);
  ASSERT_TRUE(host && port && validation);
  const QString wid = QString::number(window.winId());
  ASSERT_TRUE(xdotool({u"windowfocus"_s, u"--sync"_s, wid}));
  ASSERT_TRUE(clickCentre(window, *host));
  ASSERT_TRUE(waitUntil([&] { return host->hasFocus(); }));
  EXPECT_EQ(validation->fullText(), u"Enter a console IP address or hostname."_s);

  ASSERT_TRUE(xdotool({u"type"_s, u"--delay"_s, u"30"_s, u"127.0.0.1/"_s}));
  EXPECT_TRUE(waitUntil([&] {
    return validation->fullText() ==
           u"Enter only an IP address or hostname, without a URL or port."_s;
  }));
  ASSERT_TRUE(xdotool({u"key"_s, u"BackSpace"_s}));
  EXPECT_TRUE(waitUntil([&] { return model.consoleIP() == u"127.0.0.1"_s; }));
  EXPECT_TRUE(waitUntil([&] { return validation->fullText().isEmpty(); }));

  for (int tabs = 0; tabs < 3 && !port->hasFocus(); ++tabs) {
    ASSERT_TRUE(xdotool({u"key"_s, u"Tab"_s}));
    waitUntil([&] { return port->hasFocus(); }, 1000);
  }
  ASSERT_TRUE(port->hasFocus());
  ASSERT_TRUE(xdotool({u"key"_s, u"ctrl+a"_s, u"BackSpace"_s}));
  EXPECT_TRUE(
      waitUntil([&] { return validation->fullText() == u"Destination port must be 1–65535."_s; }));
  ASSERT_TRUE(xdotool({u"type"_s, u"--delay"_s, u"30"_s, u"3037"_s}));
  EXPECT_TRUE(waitUntil([&] { return model.customSendPort() == u"3037"_s; }));
  EXPECT_TRUE(waitUntil([&] { return validation->fullText().isEmpty(); }));
  window.close();
}

// A person walks the page with Tab: every stop is the next control down the page, and each
// shows that it has the focus (its picture with the focus differs from the one without).
TEST(ConnectionViewXServer, TabWalksThePageInReadingOrderAndEveryStopShowsItsFocus) {
  TarnikApp app;  // a first start lists the two example connections as saved ones
  MacWorkspaceView &window = app.openWindow(testing::connectionPageWithoutBrowsing());
  window.resize(1200, 1000);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ASSERT_TRUE(xdotool({u"windowfocus"_s, u"--sync"_s, QString::number(window.winId())}));
  auto *saved = window.findChild<QWidget *>(u"connection.savedConnectionsSection"_s);
  ASSERT_NE(saved, nullptr);
  QList<QPushButton *> rows;
  ASSERT_TRUE(waitUntil([&] {
    rows.clear();
    for (QPushButton *row : saved->findChildren<QPushButton *>()) {
      if (row->objectName().startsWith(u"connection.profile."_s) &&
          row->objectName().count(u'-') == 4) {
        rows.append(row);
      }
    }
    return rows.size() >= 2;
  }));
  rows.first()->setFocus(Qt::OtherFocusReason);
  ASSERT_TRUE(waitUntil([&] { return rows.first()->hasFocus(); }));

  QStringList stops;
  for (int stop = 0; stop < 20; ++stop) {
    if (stop > 0) {
      ASSERT_TRUE(xdotool({u"key"_s, u"Tab"_s}));
      const QString before = stops.last();
      ASSERT_TRUE(waitUntil([&] {
        return QApplication::focusWidget() && QApplication::focusWidget()->objectName() != before;
      }));
    }
    QWidget *focused = QApplication::focusWidget();
    stops.append(focused->objectName());
    testing::saveScreenshot(window, u"connection-tab-%1"_s.arg(stop, 2, 10, QChar(u'0')));
    const QImage withFocus = focused->grab().toImage();
    focused->clearFocus();
    const QImage withoutFocus = focused->grab().toImage();
    focused->setFocus(Qt::TabFocusReason);
    EXPECT_NE(withFocus, withoutFocus) << focused->objectName().toStdString();
    if (focused->objectName() == u"connection.connect"_s) {
      break;
    }
  }
  // Disconnect is off while no connection is wanted, so the walk ends at Connect.
  QStringList expected;
  for (const QPushButton *row : rows) {
    expected.append(row->objectName());
  }
  expected += QStringList{u"connection.profile.new"_s,
                          u"connection.profile.save"_s,
                          u"connection.usesMacRelay"_s,
                          u"connection.name"_s,
                          u"connection.host"_s,
                          u"connection.transport"_s,
                          u"connection.destinationPort"_s,
                          u"connection.tcpFraming"_s,
                          u"connection.example.school"_s,
                          u"connection.example.lighting"_s,
                          u"connection.test"_s,
                          u"connection.connect"_s};
  EXPECT_EQ(stops, expected);
  window.close();
}

// A person scrolls the page at the smallest window with the wheel, the pointer resting on the
// Transport and Framing boxes as the form passes under it: the page moves, the settings stay.
TEST(ConnectionViewXServer, WheelNotchesOverUnfocusedBoxesScrollThePageAndChangeNoSetting) {
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow(testing::connectionPageWithoutBrowsing());
  window.resize(window.minimumSize());
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  AppViewModel &model = app.appViewModel();
  model.setConnectionTransport(OSCTransport::tcp);
  model.setTcpFraming(OSCTCPFraming::slip);
  auto *list = window.findChild<QScrollArea *>(u"connection.list"_s);
  auto *transport = window.findChild<QComboBox *>(u"connection.transport"_s);
  auto *framing = window.findChild<QComboBox *>(u"connection.tcpFraming"_s);
  ASSERT_TRUE(list && transport && framing);
  QScrollBar *bar = list->verticalScrollBar();
  for (QComboBox *box : {transport, framing}) {
    for (const QString &notch : {u"5"_s, u"4"_s}) {
      SCOPED_TRACE(box->objectName().toStdString() + " button " + notch.toStdString());
      // The box in the middle of the page, with room to scroll either way.
      bar->setValue(box->mapTo(list->widget(), QPoint()).y() - list->viewport()->height() / 2);
      ASSERT_TRUE(bar->value() > bar->minimum() && bar->value() < bar->maximum())
          << bar->value() << " of " << bar->maximum();
      const int before = bar->value();
      ASSERT_TRUE(clickCentre(window, *box, notch));
      EXPECT_TRUE(waitUntil([&] { return bar->value() != before; }, 2000));
      QCoreApplication::processEvents();
      EXPECT_EQ(model.connectionTransport(), OSCTransport::tcp);
      EXPECT_EQ(model.tcpFraming(), OSCTCPFraming::slip);
      EXPECT_FALSE(box->hasFocus());
    }
  }
  testing::saveScreenshot(window, u"connection-wheel-smallest"_s);
  window.close();
}

}  // namespace
}  // namespace tarnik
