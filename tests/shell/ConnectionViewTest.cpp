#include "app/AppViewModel.h"
#include "link/OSCManager.h"
#include "shell/ConnectionView.h"
#include "shell/LocaleTexts.h"
#include "support/EosConsoleDouble.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"
#include "support/Screenshots.h"

#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using testing::waitUntil;

// A model on a settings file of its own (optionally holding saved profiles), with the
// keychain left out, and its connection screen shown.
struct ConnectionScreen {
  explicit ConnectionScreen(const QList<ConsoleConnectionProfile> &profiles = {},
                            std::optional<QUuid> selected = std::nullopt) {
    QJsonArray stored;
    for (const ConsoleConnectionProfile &profile : profiles) {
      stored.append(profile.toJson());
    }
    settings.setValue(u"connectionProfiles.v1"_s,
                      QString::fromUtf8(QJsonDocument(stored).toJson(QJsonDocument::Compact)));
    if (selected) {
      settings.setValue(QStringLiteral("selectedConnectionProfileID"),
                        selected->toString(QUuid::WithoutBraces).toUpper());
    }
    AppViewModel::Arguments arguments;
    arguments.defaults = &settings;
    arguments.startNetworkingOnInit = false;
    arguments.storeRelayKey = [](const QString &, const QString &) {
      return std::expected<void, TarnikRelaySecurity::Failure>();
    };
    arguments.loadRelayKey = [](const QString &) {
      return std::expected<std::optional<QString>, TarnikRelaySecurity::Failure>(std::nullopt);
    };
    model = std::make_unique<AppViewModel>(std::move(arguments));
    view = std::make_unique<ConnectionView>(
        *model, [](const QString &, BonjourBrowseHandlers) { return std::make_unique<QObject>(); });
    view->resize(460, 1100);
    view->show();
  }

  template <typename Widget = QLabel>
  Widget *find(const QString &objectName) const {
    auto *widget = view->findChild<Widget *>(objectName);
    EXPECT_NE(widget, nullptr) << objectName.toStdString();
    return widget;
  }
  template <typename Widget = QLabel>
  QString text(const QString &objectName) const {
    Widget *widget = find<Widget>(objectName);
    return widget ? widget->text() : u"<none>"_s;
  }
  bool shown(const QString &objectName) const {
    QWidget *widget = view->findChild<QWidget *>(objectName);
    return widget && widget->isVisibleTo(view.get());
  }
  void settle() const { QCoreApplication::processEvents(); }

  QTemporaryDir folder;
  QSettings settings{folder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat};
  std::unique_ptr<AppViewModel> model;
  std::unique_ptr<ConnectionView> view;
};

ConsoleConnectionProfile profile(const QString &name, const QString &host) {
  return {.id = QUuid::createUuid(),
          .name = name,
          .host = host,
          .transport = OSCTransport::tcp,
          .destinationPort = 3037,
          .udpListenPort = 8001,
          .tcpFraming = OSCTCPFraming::slip};
}

TEST(ConnectionView, StatusFollowsTheManagerAndTheModelAgainstTheConsoleOverTCP) {
  testing::EosConsoleDouble console;
  console.replyDelay = 800ms;
  ConnectionScreen screen;
  AppViewModel &model = *screen.model;
  EXPECT_EQ(screen.text(u"connection.status.managerSocket"_s),
            model.oscManager()->connectionStateDescription());
  EXPECT_FALSE(screen.shown(u"connection.status.lastEosResponse"_s));

  model.setConsoleIP(u"127.0.0.1"_s);
  model.setTcpFraming(OSCTCPFraming::packetLength);
  model.setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::packetLength)));
  screen.settle();
  EXPECT_EQ(screen.text(u"connection.configuration"_s), model.transportDescription());
  model.connect();
  ASSERT_TRUE(
      waitUntil([&] { return screen.text(u"connection.status.managerSocket"_s) == u"Ready"_s; }));
  EXPECT_EQ(screen.text(u"connection.status.eosResponse"_s), u"Not confirmed"_s);
  EXPECT_FALSE(screen.shown(u"connection.status.lastEosResponse"_s));

  ASSERT_TRUE(
      waitUntil([&] { return screen.text(u"connection.status.eosResponse"_s) == u"Fresh"_s; }));
  ASSERT_TRUE(waitUntil([&] { return screen.shown(u"connection.status.lastEosResponse"_s); }));
  EXPECT_EQ(screen.text(u"connection.status.lastEosResponse"_s),
            timeOfDayText(*model.oscManager()->lastEosResponse()));
  EXPECT_EQ(screen.text(u"connection.configuration"_s), model.transportDescription());
  model.disconnect();
}

TEST(ConnectionView, SavedConnectionsListTheProfilesInOrderAndCheckOnlyTheSelectedOne) {
  {
    ConnectionScreen empty;
    EXPECT_EQ(empty.text(u"connection.profiles.empty"_s), u"No saved connections"_s);
    EXPECT_EQ(empty.text<QPushButton>(u"connection.profile.save"_s), u"Save Connection"_s);
    EXPECT_FALSE(empty.shown(u"connection.profile.storageError"_s));
    EXPECT_EQ(empty.view->findChildren<QLabel *>(u"connection.profile.selected"_s).size(), 0);
    testing::saveScreenshot(*empty.view, u"connection-tcp"_s);
  }
  const QList<ConsoleConnectionProfile> profiles{profile(u"<b>Booth & Co</b>"_s, u"127.0.0.1"_s),
                                                 profile(u"Stage left"_s, u"10.0.0.7"_s)};
  ConnectionScreen screen(profiles, profiles[1].id);
  const auto rowName = [](const ConsoleConnectionProfile &p) {
    return u"connection.profile."_s + p.id.toString(QUuid::WithoutBraces).toUpper();
  };
  QList<QPushButton *> rows;
  for (QPushButton *button : screen.view->findChildren<QPushButton *>()) {
    const QString name = button->objectName();
    if (name.startsWith(u"connection.profile."_s) &&
        !QUuid::fromString(name.mid(name.lastIndexOf(u'.') + 1)).isNull()) {
      rows.append(button);
    }
  }
  ASSERT_EQ(rows.size(), 2);
  EXPECT_EQ(rows[0]->objectName(), rowName(profiles[0]));
  EXPECT_EQ(rows[1]->objectName(), rowName(profiles[1]));
  const QList<QLabel *> firstLines = rows[0]->findChildren<QLabel *>();
  ASSERT_GE(firstLines.size(), 2);
  EXPECT_EQ(firstLines[0]->text(), u"<b>Booth & Co</b>"_s);
  EXPECT_EQ(firstLines[0]->textFormat(), Qt::PlainText);
  EXPECT_EQ(firstLines[1]->text(), u"127.0.0.1:3037"_s);

  const auto checkedRows = [&] {
    QStringList checked;
    for (QLabel *check : screen.view->findChildren<QLabel *>(u"connection.profile.selected"_s)) {
      EXPECT_EQ(check->accessibleName(), u"Selected"_s);
      checked.append(check->parentWidget()->objectName());
    }
    return checked;
  };
  EXPECT_EQ(checkedRows(), QStringList{rowName(profiles[1])});
  EXPECT_EQ(screen.text<QPushButton>(u"connection.profile.save"_s),
            u"Update Selected Connection"_s);
  screen.model->setSelectedConnectionProfileID(std::nullopt);
  screen.settle();
  EXPECT_EQ(checkedRows(), QStringList{});
  EXPECT_EQ(screen.text<QPushButton>(u"connection.profile.save"_s), u"Save Connection"_s);
}

// Each row: the form's fields, then the line under them ("" for none).
TEST(ConnectionView, ValidationLineFollowsTheFormAtEveryRedraw) {
  struct Case {
    bool relay;
    OSCTransport transport;
    QString pairingCode, host, port, listenPort, expected;
  };
  const QString code = QString::fromLatin1(QByteArray(32, 'k').toBase64());
  const QString hostHint = u"Enter only an IP address or hostname, without a URL or port."_s;
  const QString portHint = u"Destination port must be 1–65535."_s;
  const auto tcp = OSCTransport::tcp;
  const auto udp = OSCTransport::udp;
  const Case cases[] = {
      {true, udp, code, u"h"_s, u"3037"_s, u"8001"_s, u"Mac relay requires TCP."_s},
      {true, tcp, u"abc"_s, u"h"_s, u"3037"_s, u"8001"_s,
       u"Paste the pairing code shown in Tarnik on the Mac."_s},
      {false, tcp, {}, u""_s, u"3037"_s, u"8001"_s, u"Enter a console IP address or hostname."_s},
      {false,
       tcp,
       {},
       u"   "_s,
       u"3037"_s,
       u"8001"_s,
       u"Enter a console IP address or hostname."_s},
      {false, tcp, {}, u"a b"_s, u"3037"_s, u"8001"_s, hostHint},
      {false, tcp, {}, u"x/y"_s, u"3037"_s, u"8001"_s, hostHint},
      {false, tcp, {}, u"h?"_s, u"3037"_s, u"8001"_s, hostHint},
      {false, tcp, {}, u"#"_s, u"3037"_s, u"8001"_s, hostHint},
      {false, tcp, {}, u"h"_s, u" 3037"_s, u"8001"_s, portHint},
      {false, tcp, {}, u"h"_s, u"3037 "_s, u"8001"_s, portHint},
      {false, tcp, {}, u"h"_s, u"0"_s, u"8001"_s, portHint},
      {false, tcp, {}, u"h"_s, u"65536"_s, u"8001"_s, portHint},
      {false, tcp, {}, u"h"_s, u"+3037"_s, u"8001"_s, u""_s},
      {false, tcp, {}, u"h"_s, u"65535"_s, u""_s, u""_s},
      {false, udp, {}, u"h"_s, u"8000"_s, u""_s, u"UDP listen port must be 1–65535."_s},
      {false, tcp, {}, u"fe80::1"_s, u"3037"_s, u"8001"_s, u""_s},
  };
  ConnectionScreen screen;
  AppViewModel &model = *screen.model;
  for (const Case &c : cases) {
    model.setUsesMacRelay(c.relay);
    model.setConnectionTransport(c.transport);
    model.setRelayPairingCode(c.pairingCode);
    model.setConsoleIP(c.host);
    model.setCustomSendPort(c.port);
    model.setCustomListenPort(c.listenPort);
    screen.settle();
    SCOPED_TRACE((c.host + u" / "_s + c.port).toStdString());
    EXPECT_EQ(screen.shown(u"connection.validationError"_s), !c.expected.isEmpty());
    EXPECT_EQ(screen.text(u"connection.validationError"_s), c.expected);
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

  struct Look {
    QString label, placeholder;
    bool listenRow, framingRow;
    QString footer;
  };
  const auto look = [&] {
    screen.settle();
    return Look{port->accessibleName(), port->placeholderText(),
                screen.shown(u"connection.udpListenPort"_s),
                screen.shown(u"connection.tcpFraming"_s),
                screen.text(u"connection.settingsFooter"_s)};
  };
  auto *transport = screen.find<QComboBox>(u"connection.transport"_s);
  transport->setCurrentIndex(1);
  emit transport->activated(1);
  const Look udp = look();
  EXPECT_EQ(model.connectionTransport(), OSCTransport::udp);
  EXPECT_EQ(udp.label, u"Destination Port (Console RX)"_s);
  EXPECT_EQ(udp.placeholder, u"8000"_s);
  EXPECT_TRUE(udp.listenRow);
  EXPECT_FALSE(udp.framingRow);
  EXPECT_TRUE(udp.footer.startsWith(u"Destination sends to Console RX;"_s));
  testing::saveScreenshot(*screen.view, u"connection-udp"_s);

  model.setTcpFraming(OSCTCPFraming::slip);
  model.setConnectionTransport(OSCTransport::tcp);
  const Look tcp = look();
  EXPECT_EQ(tcp.label, u"TCP Port (Console RX)"_s);
  EXPECT_EQ(tcp.placeholder, u"3032"_s);
  EXPECT_FALSE(tcp.listenRow);
  EXPECT_TRUE(tcp.framingRow);
  EXPECT_EQ(screen.find<QComboBox>(u"connection.tcpFraming"_s)->currentText(), u"SLIP (OSC 1.1)"_s);
  EXPECT_TRUE(tcp.footer.startsWith(u"The port is the console's OSC RX destination."_s));
  EXPECT_EQ(port->text(), u"4703"_s);
  EXPECT_EQ(host->text(), u"100.1.1.9"_s);
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

TEST(LocaleTexts, TimeOfDayFollowsTheLocaleWithTheAmPmMarkerOnlyWhereItIsUsed) {
  // 23:24:05 UTC on 2024-03-01, in seconds since 2001-01-01.
  const double date =
      QDateTime(QDate(2024, 3, 1), QTime(23, 24, 5), QTimeZone::utc()).toSecsSinceEpoch() -
      978307200.0;
  const struct {
    const char *locale;
    QString expected;
  } cases[] = {{"en_US", u"11:24:05\u202FPM"_s}, {"de_DE", u"23:24:05"_s}};
  for (const auto &c : cases) {
    EXPECT_EQ(timeOfDayText(date, QLocale(QString::fromLatin1(c.locale)), QTimeZone::utc()),
              c.expected)
        << c.locale;
  }
}

}  // namespace
}  // namespace tarnik
