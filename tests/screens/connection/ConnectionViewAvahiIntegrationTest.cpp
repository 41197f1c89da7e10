// The connection screen's nearby Macs and OSC services over real Bonjour, beside the private
// Avahi daemon of tests/support/with-avahi.sh.

#include "ConnectionScreen.h"
#include "link/OSCManager.h"
#include "link/TarnikRelayServer.h"
#include "support/AvahiTestPeers.h"
#include "support/EosConsoleDouble.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QUdpSocket>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using namespace Qt::StringLiterals;
using testing::ConnectionScreen;
using testing::waitUntil;

constexpr int bonjourLimit = 20000;

// The row whose title is exactly the name, if one is shown.
QPushButton *rowNamed(const ConnectionScreen &screen, const QString &container,
                      const QString &name) {
  for (QPushButton *row : screen.buttonsIn(container)) {
    const QStringList lines = ConnectionScreen::lines(*row);
    if (!lines.isEmpty() && lines.first() == name) return row;
  }
  return nullptr;
}

TEST(ConnectionViewAvahiIntegration, ANearbyMacRelaysTheMainConnectionOverTLSToAVerifiedEos) {
  testing::EosConsoleDouble console;
  QByteArray key(32, '\0');
  for (int i = 0; i < key.size(); ++i) key[i] = char(7 + i * 11);
  const QString code = QString::fromLatin1(key.toBase64());
  TarnikRelayServer relay;
  relay.start(OSCEndpoint::hostPort(u"127.0.0.1"_s, console.tcpPort(OSCTCPFraming::slip)), 0, code);
  ASSERT_TRUE(waitUntil([&] { return relay.isRunning(); }));

  ConnectionScreen screen({}, std::nullopt, avahiBrowserFactory());
  AppViewModel &model = *screen.model;
  screen.find<QCheckBox>(u"connection.usesMacRelay"_s)->click();
  QTest::keyClicks(screen.find<QLineEdit>(u"connection.relayPairingCode"_s), code);
  QPushButton *row = nullptr;
  ASSERT_TRUE(waitUntil(
      [&] {
        screen.settle();
        const QList<QPushButton *> rows = screen.buttonsIn(u"connection.nearbyMacs"_s);
        row = rows.size() == 1 ? rows.first() : nullptr;
        return row != nullptr;
      },
      bonjourLimit));
  EXPECT_TRUE(ConnectionScreen::lines(*row).first().startsWith(u"Tarnik on "_s));
  ASSERT_TRUE(row->isEnabled());

  QTest::mouseClick(row, Qt::LeftButton);
  ASSERT_TRUE(waitUntil([&] { return model.oscManager()->isEosVerified(); }, bonjourLimit))
      << model.oscManager()->connectionStateDescription().toStdString();
  EXPECT_EQ(relay.clientCount(), 1);  // the pairing code proved over TLS
  EXPECT_EQ(model.activeConnectionSettings()->destinationPort, TarnikRelayServer::standardPort);
  EXPECT_EQ(console.tcpClientCount(), 1);  // the relay's own connection to the console
  model.disconnect();
  relay.stop();
}

// A UDP port on which nothing listens right now.
quint16 freeUdpPort() {
  QUdpSocket probe;
  probe.bind(QHostAddress::LocalHost, 0);
  return probe.localPort();
}

TEST(ConnectionViewAvahiIntegration, AnAdvertisedOscServiceIsListedByItsExactNameAndConnects) {
  testing::EosConsoleDouble console;
  ConnectionScreen screen;
  AppViewModel &model = *screen.model;
  model.setCustomListenPort(QString::number(freeUdpPort()));
  model.oscManager()->startDiscovery();
  const QString name = u"Console <b>&"_s;
  auto published =
      std::make_unique<testing::PublishedService>(name, u"_osc._udp"_s, console.udpPort());
  ASSERT_TRUE(published->established());
  const QString rows = u"connection.nearbyServices"_s;
  ASSERT_TRUE(waitUntil(
      [&] {
        screen.settle();
        return rowNamed(screen, rows, name) != nullptr;
      },
      bonjourLimit));

  QTest::mouseClick(rowNamed(screen, rows, name), Qt::LeftButton);
  ASSERT_TRUE(waitUntil([&] { return model.oscManager()->isEosVerified(); }, bonjourLimit))
      << model.oscManager()->connectionStateDescription().toStdString();
  EXPECT_EQ(model.activeConnectionSettings()->transport, OSCTransport::udp);

  published->stop();
  EXPECT_TRUE(waitUntil(
      [&] {
        screen.settle();
        return screen.buttonsIn(rows).isEmpty() &&
               screen.shown(u"connection.nearbyServices.empty"_s);
      },
      bonjourLimit));
  model.disconnect();
}

}  // namespace
}  // namespace tarnik
