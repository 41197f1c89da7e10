// The "Connection route" section: the "Via Mac" switch and the nearby Macs, found through a
// relay browser the test drives.

#include "ConnectionScreen.h"
#include "link/OSCManager.h"
#include "screens/support/Screenshots.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using namespace Qt::StringLiterals;
using testing::ConnectionScreen;
using testing::waitUntil;

const QStringList relayParts{u"connection.relayPairingCode"_s, u"connection.nearbyMacs"_s,
                             u"connection.relayDiscoveryStatus"_s, u"connection.relayGuidance"_s};

// Which of the parts under the switch are shown, the "Nearby Macs" headline first.
QList<bool> relayPartsShown(const ConnectionScreen &screen) {
  screen.settle();
  bool headline = false;
  for (QLabel *label : screen.view->findChildren<QLabel *>()) {
    headline =
        headline || (label->text() == u"Nearby Macs"_s && label->isVisibleTo(screen.view.get()));
  }
  QList<bool> shown{headline};
  for (const QString &part : relayParts) {
    shown.append(screen.shown(part));
  }
  return shown;
}

void flip(QCheckBox *box) {
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->height() / 2, box->height() / 2));
}

TEST(ConnectionRoute, TheSwitchWritesRouteTransportPortAndFramingInThatOrder) {
  ConnectionScreen screen;
  AppViewModel &model = *screen.model;
  model.setConnectionTransport(OSCTransport::udp);
  model.setTcpFraming(OSCTCPFraming::packetLength);
  model.setCustomSendPort(u"8000"_s);
  EXPECT_EQ(relayPartsShown(screen), QList<bool>(5, false));

  QStringList writes;
  QObject::connect(&model, &AppViewModel::usesMacRelayChanged, [&] { writes << u"route"_s; });
  QObject::connect(&model, &AppViewModel::connectionTransportChanged,
                   [&] { writes << u"transport"_s; });
  QObject::connect(&model, &AppViewModel::customSendPortChanged, [&] { writes << u"port"_s; });
  QObject::connect(&model, &AppViewModel::tcpFramingChanged, [&] { writes << u"framing"_s; });
  const auto settings = [&] {
    return std::tuple(model.usesMacRelay(), model.connectionTransport(), model.customSendPort(),
                      model.tcpFraming());
  };
  auto *box = screen.find<QCheckBox>(u"connection.usesMacRelay"_s);

  flip(box);
  EXPECT_EQ(writes, (QStringList{u"route"_s, u"transport"_s, u"port"_s, u"framing"_s}));
  EXPECT_EQ(settings(), std::tuple(true, OSCTransport::tcp, u"9443"_s, OSCTCPFraming::slip));
  EXPECT_EQ(relayPartsShown(screen), QList<bool>(5, true));
  EXPECT_TRUE(box->isChecked());
  testing::saveScreenshot(*screen.view, u"connection-route-on"_s);

  writes.clear();
  flip(box);
  EXPECT_EQ(writes, (QStringList{u"route"_s, u"port"_s}));
  EXPECT_EQ(settings(), std::tuple(false, OSCTransport::tcp, u"3037"_s, OSCTCPFraming::slip));
  EXPECT_EQ(relayPartsShown(screen), QList<bool>(5, false));
  testing::saveScreenshot(*screen.view, u"connection-route-off"_s);

  flip(box);
  model.setTcpFraming(OSCTCPFraming::packetLength);
  screen.settle();
  flip(box);
  EXPECT_EQ(settings(),
            std::tuple(false, OSCTransport::tcp, u"3032"_s, OSCTCPFraming::packetLength));
}

OSCEndpoint relayService(const QString &name) {
  return OSCEndpoint::service(name, u"_tarnik-relay._tcp"_s, u"local"_s, u"lo"_s);
}

TEST(ConnectionRoute, NearbyMacsFollowTheBrowserAndOnlyAUsablePairingCodeEnablesThem) {
  auto browse = std::make_shared<BonjourBrowseHandlers>();
  ConnectionScreen screen({}, std::nullopt,
                          [browse](const QString &, BonjourBrowseHandlers handlers) {
                            *browse = std::move(handlers);
                            return std::make_unique<QObject>();
                          });
  AppViewModel &model = *screen.model;
  auto resolver = std::make_shared<testing::RecordingResolver>();
  model.oscManager()->setServiceResolver(resolver);
  flip(screen.find<QCheckBox>(u"connection.usesMacRelay"_s));
  ASSERT_TRUE(browse->resultsChanged);
  browse->resultsChanged({relayService(u"Zed & <b>Mac</b>"_s), relayService(u"Booth Mac"_s)});
  const auto rows = [&] {
    screen.settle();
    return screen.buttonsIn(u"connection.nearbyMacs"_s);
  };
  ASSERT_TRUE(waitUntil([&] { return rows().size() == 2; }));
  // The browser's order, which is by name; the names exactly as announced.
  EXPECT_EQ(QList({ConnectionScreen::lines(*rows()[0]), ConnectionScreen::lines(*rows()[1])}),
            (QList<QStringList>{{u"Booth Mac"_s}, {u"Zed & <b>Mac</b>"_s}}));
  EXPECT_EQ(screen.text(u"connection.relayDiscoveryStatus"_s),
            screen.view->relayDiscovery().status());

  const auto code = [](int bytes) {
    return QString::fromLatin1(QByteArray(bytes, '\x5a').toBase64());
  };
  const QString unpadded = code(32).chopped(1);
  const struct {
    QString code;
    bool enabled;
  } cases[] = {{u"  "_s + code(32) + u"\t "_s, true},
               {code(32) + u"\n"_s, true},
               {code(31), false},
               {code(33), false},
               {unpadded, false},
               {u""_s, false}};
  for (const auto &c : cases) {
    model.setRelayPairingCode(c.code);
    EXPECT_EQ(QList({rows()[0]->isEnabled(), rows()[1]->isEnabled()}),
              QList({c.enabled, c.enabled}))
        << c.code.toStdString();
  }

  auto *field = screen.find<QLineEdit>(u"connection.relayPairingCode"_s);
  EXPECT_EQ(field->echoMode(), QLineEdit::Password);
  field->clear();
  QTest::keyClicks(field, code(32));
  EXPECT_EQ(model.relayPairingCode(), code(32));
  ASSERT_TRUE(rows()[0]->isEnabled());
  QTest::mouseClick(rows()[0], Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return model.activeConnectionSettings().has_value(); }));
  EXPECT_EQ(model.activeConnectionSettings()->name, u"Booth Mac"_s);
  EXPECT_EQ(model.activeConsoleEndpoint(), relayService(u"Booth Mac"_s));
  EXPECT_EQ(
      screen.keychain->value(AppViewModel::relayKeyAccount(model.activeConnectionSettings()->id)),
      code(32));
  model.disconnect();
}

}  // namespace
}  // namespace tarnik
