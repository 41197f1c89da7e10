// "Actions" against the console double, and "Nearby OSC Services" over the model's list.

#include "ConnectionScreen.h"
#include "link/OSCManager.h"
#include "screens/support/Screenshots.h"
#include "support/EosConsoleDouble.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QPointer>
#include <QScrollArea>
#include <QTest>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using namespace Qt::StringLiterals;
using testing::ConnectionScreen;
using testing::waitUntil;

TEST(ConnectionActions, DisconnectIsEnabledExactlyWhileAConnectionIsWanted) {
  testing::EosConsoleDouble console;
  int connections = 0;
  QObject::connect(&console, &testing::EosConsoleDouble::clientConnected, [&] { ++connections; });
  ConnectionScreen screen;
  AppViewModel &model = *screen.model;
  auto *connect = screen.find<QPushButton>(u"connection.connect"_s);
  auto *disconnect = screen.find<QPushButton>(u"connection.disconnect"_s);
  const auto enabled = [&] {
    screen.settle();
    return std::pair(connect->isEnabled(), disconnect->isEnabled());
  };
  EXPECT_EQ(enabled(), std::pair(true, false));

  model.setConsoleIP({});
  QTest::mouseClick(connect, Qt::LeftButton);
  EXPECT_EQ(enabled(), std::pair(true, false));
  EXPECT_EQ(model.dataStatusMessage(), u"Enter a console IP address or hostname."_s);

  model.setConsoleIP(u"127.0.0.1"_s);
  model.setConnectionTransport(OSCTransport::tcp);
  model.setTcpFraming(OSCTCPFraming::slip);
  model.setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::slip)));
  QTest::mouseClick(connect, Qt::LeftButton);
  EXPECT_EQ(enabled(), std::pair(true, true));
  ASSERT_TRUE(waitUntil([&] { return connections == 1 && model.oscManager()->isConnected(); }));

  // Connect while connected starts afresh.
  QTest::mouseClick(connect, Qt::LeftButton);
  ASSERT_TRUE(waitUntil([&] { return connections == 2; }));
  EXPECT_EQ(enabled(), std::pair(true, true));

  QTest::mouseClick(disconnect, Qt::LeftButton);
  EXPECT_EQ(enabled(), std::pair(true, false));
  EXPECT_TRUE(waitUntil([&] { return console.tcpClientCount() == 0; }));
}

OSCEndpoint service(const QString &name, const QString &type) {
  return OSCEndpoint::service(name, type, u"local"_s, u"lo"_s);
}

TEST(ConnectionActions, ServiceRowsAreMadeAfreshOnEachListAndConnectFromAnywhereOnTheRow) {
  ConnectionScreen screen;
  AppViewModel &model = *screen.model;
  auto resolver = std::make_shared<testing::RecordingResolver>();
  model.oscManager()->setServiceResolver(resolver);
  const auto rows = [&] {
    screen.settle();
    return screen.buttonsIn(u"connection.nearbyServices"_s);
  };
  auto *empty = screen.find<QLabel>(u"connection.nearbyServices.empty"_s);
  EXPECT_EQ(empty->text(), u"No OSC services are currently advertised."_s);
  EXPECT_TRUE(empty->font().italic());
  EXPECT_TRUE(rows().isEmpty());

  const QList<OSCEndpoint> found{service(u"Console <b>&"_s, u"_osc._udp"_s),
                                 OSCEndpoint::hostPort(u"127.0.0.1"_s, 8000),
                                 service(u"Desk"_s, u"_osc._tcp"_s)};
  model.updateDiscoveredConsoles(found);
  QList<QPushButton *> drawn = rows();
  ASSERT_EQ(drawn.size(), 2);
  const QString caption = u"OSC advertisement — Eos unverified"_s;
  EXPECT_EQ(QList({ConnectionScreen::lines(*drawn[0]), ConnectionScreen::lines(*drawn[1])}),
            (QList<QStringList>{{u"Console <b>&"_s, caption}, {u"Desk"_s, caption}}));
  EXPECT_LT(drawn[0]->y(), drawn[1]->y());
  EXPECT_FALSE(screen.shown(u"connection.nearbyServices.empty"_s));
  screen.find<QScrollArea>(u"connection.list"_s)
      ->ensureWidgetVisible(screen.find<QWidget>(u"connection.nearbyServicesSection"_s));
  testing::saveScreenshot(*screen.view, u"connection-nearby-services"_s);

  // In the stretch between the texts and the symbol.
  QPushButton *desk = drawn[1];
  int textsEnd = 0;
  int symbolStart = desk->width();
  for (QLabel *label : desk->findChildren<QLabel *>()) {
    if (label->pixmap().isNull()) {
      textsEnd = std::max(textsEnd, label->geometry().right());
    } else {
      symbolStart = label->geometry().left();
    }
  }
  ASSERT_LT(textsEnd + 8, symbolStart);
  QTest::mouseClick(desk, Qt::LeftButton, {},
                    QPoint((textsEnd + symbolStart) / 2, desk->height() / 2));
  ASSERT_TRUE(model.activeConnectionSettings());
  EXPECT_EQ(model.activeConnectionSettings()->name, u"Desk"_s);
  EXPECT_EQ(model.activeConnectionSettings()->transport, OSCTransport::tcp);
  EXPECT_EQ(model.activeConsoleEndpoint(), found[2]);
  screen.settle();
  EXPECT_TRUE(screen.find<QPushButton>(u"connection.disconnect"_s)->isEnabled());

  // The same services published again are new entries, so new rows.
  const QPointer<QPushButton> before = drawn[0];
  model.updateDiscoveredConsoles(found);
  drawn = rows();
  EXPECT_TRUE(before.isNull());
  EXPECT_EQ(drawn.size(), 2);

  model.updateDiscoveredConsoles({});
  EXPECT_TRUE(rows().isEmpty());
  EXPECT_TRUE(screen.shown(u"connection.nearbyServices.empty"_s));
  model.disconnect();
}

}  // namespace
}  // namespace tarnik
