#include "ConnectionScreen.h"
#include "app/AppViewModel.h"
#include "link/OSCManager.h"
#include "screens/connection/ConnectionView.h"
#include "screens/kit/LocaleTexts.h"
#include "screens/support/Screenshots.h"
#include "support/EosConsoleDouble.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using testing::ConnectionScreen;
using testing::profile;
using testing::waitUntil;

TEST(ConnectionView, StatusFollowsTheManagerAndTheModelAgainstTheConsoleOverTCP) {
  testing::EosConsoleDouble console;
  console.replyDelay = 800ms;
  ConnectionScreen screen;
  AppViewModel &model = *screen.model;
  EXPECT_EQ(screen.text(u"connection.status.managerSocket"_s),
            model.oscManager()->connectionStateDescription());
  EXPECT_TRUE(screen.text(u"connection.status.lastEosResponse"_s).isEmpty());

  model.setConsoleIP(u"127.0.0.1"_s);
  model.setTcpFraming(OSCTCPFraming::packetLength);
  model.setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::packetLength)));
  model.connect();
  ASSERT_TRUE(
      waitUntil([&] { return screen.text(u"connection.status.managerSocket"_s) == u"Ready"_s; }));
  EXPECT_EQ(screen.text(u"connection.status.eosResponse"_s), u"Not confirmed"_s);
  EXPECT_TRUE(screen.text(u"connection.status.lastEosResponse"_s).isEmpty());

  ASSERT_TRUE(
      waitUntil([&] { return screen.text(u"connection.status.eosResponse"_s) == u"Fresh"_s; }));
  ASSERT_TRUE(
      waitUntil([&] { return !screen.text(u"connection.status.lastEosResponse"_s).isEmpty(); }));
  EXPECT_EQ(screen.text(u"connection.status.lastEosResponse"_s),
            timeOfDayText(*model.oscManager()->lastEosResponse()));
  EXPECT_EQ(screen.text(u"connection.configuration"_s), model.transportDescription());
  model.disconnect();
}

// What a screen reader finds on the page: the names of everything not hidden from it.
QStringList spokenNames(QWidget &root) {
  QStringList names;
  const std::function<void(QAccessibleInterface *)> visit = [&](QAccessibleInterface *node) {
    if (!node || node->state().invisible) return;
    names.append(node->text(QAccessible::Name));
    for (int index = 0; index < node->childCount(); ++index) visit(node->child(index));
  };
  visit(QAccessible::queryAccessibleInterface(&root));
  return names;
}

// Rows without a value keep their place on the page but are not there for a reader either:
// no label is spoken without its value.
TEST(ConnectionView, RowsWithoutAValueAreNotSpoken) {
  testing::EosConsoleDouble console;
  console.pingReplyDelay = 300ms;
  ConnectionScreen screen;
  AppViewModel &model = *screen.model;
  const QStringList labels{u"Last Eos response"_s, u"Console identity"_s, u"Eos version"_s};
  const auto spokenLabels = [&] {
    screen.settle();
    QStringList spoken;
    for (const QString &name : spokenNames(*screen.view)) {
      if (labels.contains(name)) spoken.append(name);
    }
    return spoken;
  };
  EXPECT_EQ(spokenLabels(), QStringList{});

  model.setConsoleIP(u"127.0.0.1"_s);
  model.setTcpFraming(OSCTCPFraming::slip);
  model.setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::slip)));
  model.connect();
  model.testConnection();
  ASSERT_TRUE(waitUntil([&] {
    return model.oscManager()->lastEosResponse() && !model.isTestingConnection() &&
           model.testConnectionVersion();
  }));
  EXPECT_EQ(spokenLabels(), labels);
  EXPECT_TRUE(
      spokenNames(*screen.view).contains(timeOfDayText(*model.oscManager()->lastEosResponse())));
  model.disconnect();
}

// A console that is not up yet: the row shows the manager's own waiting text, then "Ready"
// once a listener takes the port and the manager's next try gets through.
TEST(ConnectionView, ManagerSocketShowsTheWaitingTextUntilTheConsoleListens) {
  quint16 port = 0;
  {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    port = probe.serverPort();
  }
  ConnectionScreen screen;
  AppViewModel &model = *screen.model;
  model.setConsoleIP(u"127.0.0.1"_s);
  model.setTcpFraming(OSCTCPFraming::packetLength);
  model.setCustomSendPort(QString::number(port));
  model.connect();
  ASSERT_TRUE(waitUntil([&] {
    return screen.text(u"connection.status.managerSocket"_s).startsWith(u"Waiting to connect — "_s);
  }));
  EXPECT_EQ(screen.text(u"connection.status.managerSocket"_s),
            model.oscManager()->connectionStateDescription());

  QTcpServer console;
  ASSERT_TRUE(console.listen(QHostAddress::LocalHost, port));
  EXPECT_TRUE(
      waitUntil([&] { return screen.text(u"connection.status.managerSocket"_s) == u"Ready"_s; }));
  model.disconnect();
}

TEST(ConnectionView, SavedConnectionsListTheProfilesInOrderAndCheckOnlyTheSelectedOne) {
  {
    ConnectionScreen empty;
    EXPECT_EQ(empty.text(u"connection.profiles.empty"_s), u"No saved connections"_s);
    EXPECT_FALSE(empty.shown(u"connection.profile.storageError"_s));
    testing::saveScreenshot(*empty.view, u"connection-tcp"_s);
  }
  const QList<ConsoleConnectionProfile> profiles{profile(u"<b>Booth & Co</b>"_s, u"127.0.0.1"_s),
                                                 profile(u"Stage left"_s, u"10.0.0.7"_s)};
  ConnectionScreen screen(profiles, profiles[1].id);
  const auto row = [&](const ConsoleConnectionProfile &p) {
    return screen.find<QPushButton>(u"connection.profile."_s +
                                    p.id.toString(QUuid::WithoutBraces).toUpper());
  };
  const auto lines = [&](const ConsoleConnectionProfile &p) {
    QStringList texts;
    for (QLabel *label : row(p)->findChildren<QLabel *>()) {
      texts.append(label->pixmap().isNull() ? label->text() : label->accessibleName());
    }
    return texts;
  };
  const auto rowsAndButton = [&] {
    screen.settle();
    return QList{lines(profiles[0]), lines(profiles[1]),
                 QStringList{screen.text<QPushButton>(u"connection.profile.save"_s)}};
  };
  EXPECT_EQ(rowsAndButton(),
            (QList<QStringList>{{u"<b>Booth & Co</b>"_s, u"127.0.0.1:3037"_s},
                                {u"Stage left"_s, u"10.0.0.7:3037"_s, u"Selected"_s},
                                {u"Update Selected Connection"_s}}));
  EXPECT_LT(row(profiles[0])->y(), row(profiles[1])->y());
  screen.model->setSelectedConnectionProfileID(std::nullopt);
  EXPECT_EQ(rowsAndButton(), (QList<QStringList>{{u"<b>Booth & Co</b>"_s, u"127.0.0.1:3037"_s},
                                                 {u"Stage left"_s, u"10.0.0.7:3037"_s},
                                                 {u"Save Connection"_s}}));
}

// Each row: relay on, UDP, pairing code, host, destination and listen port, the line shown.
TEST(ConnectionView, ValidationLineFollowsTheFormAtEveryRedraw) {
  const QString code = QString::fromLatin1(QByteArray(32, 'k').toBase64());
  const QString relay = u"Mac relay requires TCP."_s;
  const QString pairing = u"Paste the pairing code shown in Tarnik on the Mac."_s;
  const QString empty = u"Enter a console IP address or hostname."_s;
  const QString url = u"Enter only an IP address or hostname, without a URL or port."_s;
  const QString port = u"Destination port must be 1–65535."_s;
  const QString listen = u"UDP listen port must be 1–65535."_s;
  const struct {
    bool relay, udp;
    QString code, host, port, listen, expected;
  } cases[] = {
      {true, true, code, u"h"_s, u"1"_s, u"1"_s, relay},
      {true, false, u"abc"_s, u"h"_s, u"1"_s, u"1"_s, pairing},
      {false, false, {}, u""_s, u"1"_s, u"1"_s, empty},
      {false, false, {}, u"   "_s, u"1"_s, u"1"_s, empty},
      {false, false, {}, u"a b"_s, u"1"_s, u"1"_s, url},
      {false, false, {}, u"x/y"_s, u"1"_s, u"1"_s, url},
      {false, false, {}, u"h?"_s, u"1"_s, u"1"_s, url},
      {false, false, {}, u"#"_s, u"1"_s, u"1"_s, url},
      {false, false, {}, u"h"_s, u" 3037"_s, u"1"_s, port},
      {false, false, {}, u"h"_s, u"3037 "_s, u"1"_s, port},
      {false, false, {}, u"h"_s, u"0"_s, u"1"_s, port},
      {false, false, {}, u"h"_s, u"65536"_s, u"1"_s, port},
      {false, false, {}, u" h "_s, u"+3037"_s, u""_s, {}},
      {false, true, {}, u"h"_s, u"65535"_s, u""_s, listen},
      {false, false, {}, u"fe80::1"_s, u"3037"_s, u"1"_s, {}},
  };
  ConnectionScreen screen;
  AppViewModel &model = *screen.model;
  for (const auto &c : cases) {
    model.setUsesMacRelay(c.relay);
    model.setConnectionTransport(c.udp ? OSCTransport::udp : OSCTransport::tcp);
    model.setRelayPairingCode(c.code);
    model.setConsoleIP(c.host);
    model.setCustomSendPort(c.port);
    model.setCustomListenPort(c.listen);
    screen.settle();
    EXPECT_EQ(std::pair(screen.shown(u"connection.validationError"_s),
                        screen.text(u"connection.validationError"_s)),
              std::pair(!c.expected.isEmpty(), c.expected))
        << c.host.toStdString() << " " << c.port.toStdString();
  }
  model.setConsoleIP(u"a b"_s);
  screen.settle();
  testing::saveScreenshot(*screen.view, u"connection-validation-error"_s);
}

TEST(ConnectionView, FieldsWriteTheModelAndTheTransportSwapsItsRowsKeepingTheTexts) {
  ConnectionScreen screen;
  AppViewModel &model = *screen.model;
  auto *host = screen.find<QLineEdit>(u"connection.host"_s);
  auto *port = screen.find<QLineEdit>(u"connection.destinationPort"_s);
  QTest::keyClicks(host, u"10.1.1.9"_s);
  host->setCursorPosition(2);
  QTest::keyClicks(host, u"0"_s);  // typing mid-text: the redraw leaves the cursor where it is
  screen.settle();
  EXPECT_EQ(model.consoleIP(), u"100.1.1.9"_s);
  EXPECT_EQ(host->cursorPosition(), 3);
  port->clear();
  QTest::keyClicks(port, u"4703"_s);
  EXPECT_EQ(model.customSendPort(), u"4703"_s);
  EXPECT_EQ(port->alignment() & Qt::AlignRight, Qt::AlignRight);
  EXPECT_EQ(port->width(), 82);

  // The port row's label and placeholder, which row follows it, the footer's start.
  const auto look = [&] {
    screen.settle();
    return QStringList{port->accessibleName(), port->placeholderText(),
                       screen.shown(u"connection.udpListenPort"_s) ? u"listen"_s : u"framing"_s,
                       screen.text(u"connection.settingsFooter"_s).section(u' ', 0, 2)};
  };
  auto *transport = screen.find<QComboBox>(u"connection.transport"_s);
  transport->setCurrentIndex(1);
  emit transport->activated(1);
  EXPECT_EQ(model.connectionTransport(), OSCTransport::udp);
  EXPECT_EQ(look(), (QStringList{u"Destination Port (Console RX)"_s, u"8000"_s, u"listen"_s,
                                 u"Destination sends to"_s}));
  EXPECT_FALSE(screen.shown(u"connection.tcpFraming"_s));
  testing::saveScreenshot(*screen.view, u"connection-udp"_s);

  model.setTcpFraming(OSCTCPFraming::slip);
  model.setConnectionTransport(OSCTransport::tcp);
  EXPECT_EQ(look(),
            (QStringList{u"TCP Port (Console RX)"_s, u"3032"_s, u"framing"_s, u"The port is"_s}));
  EXPECT_TRUE(screen.shown(u"connection.tcpFraming"_s));
  EXPECT_EQ(screen.find<QComboBox>(u"connection.tcpFraming"_s)->currentText(), u"SLIP (OSC 1.1)"_s);
  EXPECT_EQ(QStringList({host->text(), port->text()}), QStringList({u"100.1.1.9"_s, u"4703"_s}));
}

TEST(ConnectionView, BrowsesForRelaysOnlyWhileShown) {
  ConnectionScreen screen;
  auto browsers = std::make_shared<int>(0);  // browsers running
  ConnectionView view(*screen.model, [browsers](const QString &, BonjourBrowseHandlers) {
    auto browser = std::make_unique<QObject>();
    ++*browsers;
    QObject::connect(browser.get(), &QObject::destroyed, [browsers] { --*browsers; });
    return browser;
  });
  EXPECT_EQ(*browsers, 0);
  for (int appearance = 0; appearance < 2; ++appearance) {
    view.show();
    EXPECT_EQ(*browsers, 1);
    view.hide();
    EXPECT_EQ(*browsers, 0);
  }
}

}  // namespace
}  // namespace tarnik
