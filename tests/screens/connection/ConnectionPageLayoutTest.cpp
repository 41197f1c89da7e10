// The connection page as a person meets it: nothing moves under the pointer when a state
// changes, Tab follows the page from the top, and long names end in "…" without hiding
// what they say.

#include "ConnectionScreen.h"
#include "foundation/ReferenceDate.h"
#include "foundation/UptimeClock.h"
#include "link/OSCManager.h"
#include "screens/kit/ElidedLabel.h"
#include "screens/support/Screenshots.h"
#include "support/EosConsoleDouble.h"
#include "support/ManualAppTiming.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollArea>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using namespace Qt::StringLiterals;
using testing::ConnectionScreen;
using testing::profile;
using testing::waitUntil;

// Where every control of the page is, by name, in the page's own coordinates.
QMap<QString, QRect> controlPlaces(const ConnectionScreen &screen) {
  screen.settle();
  QMap<QString, QRect> places;
  for (QWidget *control : screen.view->findChildren<QWidget *>()) {
    const bool isControl = qobject_cast<QAbstractButton *>(control) ||
                           qobject_cast<QLineEdit *>(control) || qobject_cast<QComboBox *>(control);
    if (isControl && control->isVisibleTo(screen.view.get()) && !control->objectName().isEmpty()) {
      places.insert(control->objectName(),
                    QRect(control->mapTo(screen.view.get(), QPoint()), control->size()));
    }
  }
  return places;
}

// The controls whose place differs, each with its top edge before and after.
QStringList movedControls(const QMap<QString, QRect> &before, const QMap<QString, QRect> &after) {
  QStringList moved;
  for (auto place = before.begin(); place != before.end(); ++place) {
    if (after.value(place.key()) != place.value()) {
      moved.append(u"%1 %2→%3"_s.arg(place.key())
                       .arg(place.value().top())
                       .arg(after.value(place.key()).top()));
    }
  }
  return moved;
}

TEST(ConnectionPage, NoControlMovesWhenTheConnectionDropsTheFormChangesOrATestStarts) {
  testing::EosConsoleDouble console;
  ConnectionScreen screen({profile(u"Stage left"_s, u"10.0.0.7"_s)});
  // Wide enough for the test's first line on one line: the rows are what is checked here,
  // not a longer text wrapping.
  screen.view->resize(900, 1100);
  AppViewModel &model = *screen.model;
  model.setConsoleIP(u"127.0.0.1"_s);
  model.setTcpFraming(OSCTCPFraming::packetLength);
  model.setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::packetLength)));
  const QMap<QString, QRect> offline = controlPlaces(screen);
  ASSERT_FALSE(offline.isEmpty());

  model.connect();
  ASSERT_TRUE(
      waitUntil([&] { return !screen.text(u"connection.status.lastEosResponse"_s).isEmpty(); }));
  const QMap<QString, QRect> connected = controlPlaces(screen);
  EXPECT_EQ(connected, offline);
  testing::saveScreenshot(*screen.view, u"connection-connected-places"_s);

  console.closeClients();
  ASSERT_TRUE(waitUntil([&] { return !model.isConsoleReachable(); }));
  EXPECT_EQ(controlPlaces(screen), connected) << "after the drop";
  testing::saveScreenshot(*screen.view, u"connection-dropped-places"_s);
  model.disconnect();

  model.setConsoleIP(u"127.0.0.1/"_s);  // the validation line comes
  screen.settle();
  ASSERT_FALSE(screen.text(u"connection.validationError"_s).isEmpty());
  EXPECT_EQ(controlPlaces(screen), connected) << "with a validation message";
  model.setConsoleIP(u"127.0.0.1"_s);

  model.testConnection();  // the test rows fill and the busy bar shows
  screen.settle();
  ASSERT_TRUE(screen.shown(u"connection.test.busy"_s));
  EXPECT_EQ(controlPlaces(screen).value(u"connection.connect"_s),
            connected.value(u"connection.connect"_s));
  EXPECT_EQ(controlPlaces(screen).value(u"connection.test"_s),
            connected.value(u"connection.test"_s));
}

// In a narrow pane the validation line and the test's result wrap: they keep the lines set
// aside for them and end in "…" past those, the whole text their tooltip and accessible name.
TEST(ConnectionPage, NoControlMovesWhenALongMessageWrapsInANarrowPane) {
  ConnectionScreen screen({profile(u"Stage left"_s, u"10.0.0.7"_s)});
  screen.view->resize(380, 1100);
  AppViewModel &model = *screen.model;
  model.setConsoleIP(u"10.0.0.7"_s);
  const QMap<QString, QRect> valid = controlPlaces(screen);
  ASSERT_FALSE(valid.isEmpty());

  model.setConsoleIP(u"10.0.0.7/"_s);
  const QString issue = u"Enter only an IP address or hostname, without a URL or port."_s;
  screen.settle();
  auto *validation = screen.find(u"connection.validationError"_s);
  ASSERT_EQ(screen.text(u"connection.validationError"_s), issue);
  ASSERT_GT(validation->fontMetrics().horizontalAdvance(issue), validation->width())
      << "the message is meant to wrap";
  EXPECT_EQ(movedControls(valid, controlPlaces(screen)), QStringList{})
      << "with a wrapping validation message";

  model.testConnection();  // refused at once: the result is the same long message
  screen.settle();
  auto *result = screen.find(u"connection.test.status"_s);
  ASSERT_EQ(screen.text(u"connection.test.status"_s), issue);
  ASSERT_GT(result->fontMetrics().horizontalAdvance(issue), result->width());
  EXPECT_EQ(movedControls(valid, controlPlaces(screen)), QStringList{}) << "with a wrapping result";
  for (QLabel *label : {validation, result}) {
    EXPECT_EQ(label->toolTip(), issue);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name), issue);
  }
  testing::saveScreenshot(*screen.view, u"connection-narrow-messages"_s);
}

// The connection pane's width in the window at its first size, 1200 by 820.
constexpr int firstPaneWidth = 470;

// Whether a label shows its whole text, unchanged (its breaks are only drawn), with all the
// lines its width gives within its height.
bool showsWholly(const QLabel &label, const QString &wholeText) {
  return label.text() == wholeText && label.heightForWidth(label.width()) <= label.height();
}

// The longest result a test gives, a failure quoting the connection's own reason, is read
// whole at the pane's least width and at its width in the window's first size, a long host
// name quoted twice included, and nothing a person aims at moves while it comes.
TEST(ConnectionPage, TheWholeTestResultIsShownInTheNarrowestPaneWithoutMovingControls) {
  quint16 closedPort = 0;
  {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    closedPort = closed.serverPort();
  }
  // Its first label is longer than 63 characters, so the resolver refuses it itself and no
  // lookup leaves the machine.
  const QString host =
      u"front-of-house-main-console-upper-balcony-stage-left-booth-number-one.theatre.example.org"_s;
  const struct {
    QString host;
    quint16 port;
    int paneWidth;
    bool fitsItsRoom;  // within the room kept for the result, so nothing below moves
  } rows[] = {
      {u"127.0.0.1"_s, closedPort, 360, true},
      {host + u".stage"_s, 41199, 360, false},
      {host + u".stage"_s, 41199, firstPaneWidth, false},
      {host + u"."_s + host.left(62), 41199, 360, false},
      {host + u"."_s + host.left(62), 41199, firstPaneWidth, false},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(u"%1 characters at %2"_s.arg(row.host.size()).arg(row.paneWidth).toStdString());
    auto timing = std::make_shared<testing::ManualAppTiming>(systemUptime(), referenceSecondsNow());
    ConnectionScreen screen({profile(u"Stage left"_s, u"10.0.0.7"_s)}, std::nullopt,
                            testing::idleBrowserFactory(), [&](AppViewModel::Arguments &arguments) {
                              arguments.timing = timing;
                              arguments.makeConnectionTestManager = [] {
                                return std::make_unique<OSCManager>(0.1, 5);
                              };
                            });
    screen.view->resize(row.paneWidth, 1100);
    AppViewModel &model = *screen.model;
    model.setConsoleIP(row.host);
    model.setCustomSendPort(QString::number(row.port));
    const QMap<QString, QRect> before = controlPlaces(screen);
    auto *result = screen.find(u"connection.test.status"_s);
    ASSERT_TRUE(result);
    const auto whole = [&] { return screen.text(u"connection.test.status"_s); };

    model.testConnection();
    ASSERT_TRUE(waitUntil([&] { return whole().contains(u"socket-ready"_s); }));
    EXPECT_EQ(movedControls(before, controlPlaces(screen)), QStringList{}) << "while it runs";
    EXPECT_TRUE(showsWholly(*result, whole())) << result->text().toStdString();

    timing->advance(10.1);
    ASSERT_TRUE(waitUntil([&] {
      return whole().startsWith(u"No verified Eos handshake within 10 seconds"_s);
    })) << whole().toStdString();
    ASSERT_TRUE(whole().contains(u"socket-ready"_s));
    screen.settle();
    if (row.fitsItsRoom) {
      EXPECT_EQ(movedControls(before, controlPlaces(screen)), QStringList{}) << "when it ends";
    }
    EXPECT_TRUE(showsWholly(*result, whole())) << result->text().toStdString();
    EXPECT_LE(result->mapTo(screen.view.get(), QPoint()).x() + result->width(), row.paneWidth);
    testing::saveScreenshot(
        *screen.view,
        u"connection-narrow-test-failure-%1-%2"_s.arg(row.host.size()).arg(row.paneWidth));
  }
}

// Counts the paints a widget gets.
struct PaintCounter : QObject {
  explicit PaintCounter(QWidget &widget) { widget.installEventFilter(this); }
  bool eventFilter(QObject *, QEvent *event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  int paints = 0;
};

// With the test's result in sight and nothing happening, the page is drawn once and then
// left alone: drawing the result never lays its text out again, which would ask for the next
// paint and keep the program busy for as long as the row shows.
TEST(ConnectionPage, AtRestWithTheTestResultInSightThePageIsNotPaintedAgain) {
  ConnectionScreen screen;
  screen.view->resize(600, 760);
  auto *result = screen.find(u"connection.test.status"_s);
  ASSERT_TRUE(result);
  screen.settle();
  screen.find<QScrollArea>(u"connection.list"_s)->ensureWidgetVisible(result);
  PaintCounter counter(*result);
  ASSERT_TRUE(waitUntil([&] { return counter.paints > 0; }));
  counter.paints = 0;
  QTest::qWait(1000);
  EXPECT_LE(counter.paints, 2);
}

TEST(ConnectionPage, TabFollowsTheReadingOrderWithTheSavedConnectionsBeforeTheirButtons) {
  const QList<ConsoleConnectionProfile> profiles{profile(u"Booth"_s, u"10.0.0.6"_s),
                                                 profile(u"Stage left"_s, u"10.0.0.7"_s)};
  ConnectionScreen screen(profiles);
  screen.settle();
  QStringList order;
  QWidget *first = screen.find<QWidget>(u"connection.profile."_s +
                                        profiles[0].id.toString(QUuid::WithoutBraces).toUpper());
  for (QWidget *stop = first; stop && order.size() < 40; stop = stop->nextInFocusChain()) {
    if ((stop->focusPolicy() & Qt::TabFocus) && stop->isVisibleTo(screen.view.get()) &&
        !stop->objectName().isEmpty()) {
      order.append(stop->objectName());
    }
    if (stop->objectName() == u"connection.disconnect"_s) break;
  }
  const auto rowName = [](const ConsoleConnectionProfile &p) {
    return u"connection.profile."_s + p.id.toString(QUuid::WithoutBraces).toUpper();
  };
  EXPECT_EQ(order, (QStringList{
                       rowName(profiles[0]), rowName(profiles[1]), u"connection.profile.new"_s,
                       u"connection.profile.save"_s, u"connection.usesMacRelay"_s,
                       u"connection.name"_s, u"connection.host"_s, u"connection.transport"_s,
                       u"connection.destinationPort"_s, u"connection.tcpFraming"_s,
                       u"connection.example.school"_s, u"connection.example.lighting"_s,
                       u"connection.test"_s, u"connection.connect"_s, u"connection.disconnect"_s}));
}

TEST(ConnectionPage, ALongNameAndHostEndInAnEllipsisWithTheWholeTextAsTipAndName) {
  const QString name = u"Front of house main console in the upper balcony booth"_s;
  const QString host = u"front-of-house-main-console-upper-balcony.theatre.example.org"_s;
  const ConsoleConnectionProfile saved = profile(name, host);
  ConnectionScreen screen({saved});
  screen.view->resize(380, 1100);
  screen.settle();
  const QString rowName =
      u"connection.profile."_s + saved.id.toString(QUuid::WithoutBraces).toUpper();
  auto *row = screen.find<QPushButton>(rowName);
  auto *title = screen.find<ElidedLabel>(rowName + u".title"_s);
  auto *detail = screen.find<ElidedLabel>(rowName + u".detail"_s);
  ASSERT_TRUE(row && title && detail);
  EXPECT_TRUE(title->text().endsWith(QChar(0x2026))) << title->text().toStdString();
  EXPECT_TRUE(detail->text().endsWith(QChar(0x2026))) << detail->text().toStdString();
  EXPECT_LE(row->width(), screen.view->width());
  EXPECT_EQ(row->accessibleName(), name + u", "_s + host + u":3037"_s);
  EXPECT_EQ(row->toolTip(), name + u'\n' + host + u":3037"_s);
  testing::saveScreenshot(*screen.view, u"connection-long-names"_s);
}

}  // namespace
}  // namespace tarnik
