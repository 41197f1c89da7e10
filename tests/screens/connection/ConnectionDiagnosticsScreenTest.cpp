#include "app/AppViewModel.h"
#include "foundation/UptimeClock.h"
#include "screens/connection/ConnectionDiagnosticsContent.h"
#include "screens/connection/ConnectionDiagnosticsView.h"
#include "screens/kit/LocaleTexts.h"
#include "screens/kit/WrappedLabel.h"
#include "screens/support/Screenshots.h"
#include "support/EosConsoleDouble.h"
#include "support/EosConsoleShow.h"
#include "support/ManualAppTiming.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QElapsedTimer>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::waitUntil;

class ConnectionDiagnosticsScreen : public ::testing::Test {
 protected:
  // Networking (discovery and the heartbeat) starts only with virtual time.
  void makeScreen(double syncTimeout = 30, std::shared_ptr<AppTiming> timing = nullptr,
                  const std::function<void(AppViewModel::Arguments &)> &adjust = {}) {
    AppViewModel::Arguments arguments{.defaults = &settings,
                                      .startNetworkingOnInit = timing != nullptr,
                                      .syncTimeout = syncTimeout,
                                      .timing = std::move(timing)};
    if (adjust) adjust(arguments);
    model = std::make_unique<AppViewModel>(std::move(arguments));
    view = std::make_unique<ConnectionDiagnosticsView>(*model);
    view->resize(560, 1000);
    view->show();
  }
  OSCManager &manager() { return *model->oscManager(); }
  int redraws() { return view->findChild<ConnectionDiagnosticsContent *>()->redrawCount(); }
  QString shown(const char *name) {
    const auto *label = view->findChild<QLabel *>(QString::fromLatin1(name));
    if (const auto *wrapped = qobject_cast<const WrappedLabel *>(label)) return wrapped->fullText();
    return label ? label->text() : QStringLiteral("<none>");
  }
  bool isShown(const char *name) {
    return !view->findChild<QWidget *>(QString::fromLatin1(name))->isHidden();
  }
  void connectToConsole(const std::function<void()> &turn = [] {}) {
    manager().connect(QStringLiteral("127.0.0.1"), console.tcpPort(OSCTCPFraming::packetLength));
    ASSERT_TRUE(waitUntil([&] {
      turn();
      return shown("diagnostics.eosVerification") == QStringLiteral("Verified by Eos reply");
    }));
  }
  void saveScreenshot(const char *name) {
    QCoreApplication::processEvents();  // rows shown or hidden are laid out
    testing::saveScreenshot(*view, QString::fromLatin1(name));
  }

  QTemporaryDir folder;
  SettingsStore settings{folder.filePath(QStringLiteral("settings.ini"))};
  testing::EosConsoleDouble console;
  std::unique_ptr<AppViewModel> model;
  std::unique_ptr<ConnectionDiagnosticsView> view;
};

TEST_F(ConnectionDiagnosticsScreen, ReportsIdleConnectedAndFailedLinks) {
  makeScreen();
  model->setConsoleName(QStringLiteral("  Stage  "));
  ASSERT_TRUE(waitUntil([&] { return shown("diagnostics.configuredConsole") == "Stage"; }));
  EXPECT_EQ(shown("diagnostics.managerSocket"), manager().connectionStateDescription());
  EXPECT_EQ(shown("diagnostics.roundTrip"), QStringLiteral("Not measured"));
  EXPECT_EQ(shown("diagnostics.rttSamples") + shown("diagnostics.matchedPingReplies"), "00");
  for (const char *absent : {"diagnostics.rttSampleAge", "diagnostics.lastEosResponse",
                             "diagnostics.lastErrorSection", "diagnostics.progress"}) {
    EXPECT_FALSE(isShown(absent)) << absent;
  }
  saveScreenshot("diagnostics-idle");

  connectToConsole();
  EXPECT_EQ(shown("diagnostics.managerSocket"), QStringLiteral("Ready"));
  EXPECT_TRUE(isShown("diagnostics.lastEosResponse"));
  saveScreenshot("diagnostics-connected");

  // "Done" only asks to be closed: nothing is sent, the link stays up, the form is as it was.
  int closeRequests = 0;
  QObject::connect(view.get(), &ConnectionDiagnosticsView::doneRequested, [&] { ++closeRequests; });
  const auto values = [&] {
    return QStringList{QString::number(manager().attemptedMessageCount()),
                       QString::number(manager().receivedMessageCount()),
                       manager().connectionStateDescription(),
                       manager().effectiveEndpointDescription(),
                       QString::number(model->isConsoleReachable()),
                       model->consoleName(),
                       model->transportDescription(),
                       model->dataStatusMessage()};
  };
  const QStringList before = values();
  view->findChild<QPushButton *>(QStringLiteral("diagnostics.done"))->click();
  QCoreApplication::processEvents();
  EXPECT_EQ(closeRequests, 1);
  EXPECT_EQ(values(), before);
  EXPECT_TRUE(manager().isConnected());

  console.closeClients();
  ASSERT_TRUE(waitUntil([&] { return isShown("diagnostics.lastErrorSection"); }));
  EXPECT_EQ(shown("diagnostics.lastError"), manager().lastError().value_or(QString()));
  saveScreenshot("diagnostics-error");
}

TEST_F(ConnectionDiagnosticsScreen, AVerifiedPeerWhoseHeartbeatLapsedStaysVerified) {
  auto timing = std::make_shared<testing::ManualAppTiming>(systemUptime());
  makeScreen(30, timing);
  connectToConsole([&] { timing->advance(0.1); });
  console.silent = true;
  EXPECT_TRUE(waitUntil([&] {
    timing->advance(0.1);
    return shown("diagnostics.heartbeatFreshness") == QStringLiteral("No fresh response");
  }));
  EXPECT_EQ(shown("diagnostics.eosVerification"), QStringLiteral("Verified by Eos reply"));
}

TEST_F(ConnectionDiagnosticsScreen, ShowsTheProgressRowWhileASyncWaitsOnTheConsole) {
  console.setShow(testing::generateConsoleShow(4, 2));
  console.cueFaults = {{0, testing::EosConsoleDouble::RecordFault::noAnswer}};
  makeScreen(0.5);
  connectToConsole();
  model->requestFullSync(QStringLiteral("Diagnostics"));
  EXPECT_TRUE(waitUntil([&] { return isShown("diagnostics.progress"); }));
  EXPECT_TRUE(waitUntil([&] { return !isShown("diagnostics.progress"); }));  // the time limit
}

// Each value that cannot be read whole where it stands: cut off at the right of the report,
// taller than the room it was given, or not on its label's row.
QStringList valuesNotReadableBesideTheirLabels(const QScrollArea &scroll) {
  QStringList faults;
  const QWidget &viewport = *scroll.viewport();
  for (QLabel *value : scroll.widget()->findChildren<QLabel *>()) {
    if (!value->objectName().startsWith(QStringLiteral("diagnostics.")) ||
        !value->isVisibleTo(scroll.widget())) {
      continue;
    }
    const QRect place(value->mapTo(&viewport, QPoint()), value->size());
    if (place.left() < 0 || place.right() >= viewport.width() ||
        value->heightForWidth(value->width()) > value->height()) {
      faults.append(value->objectName());
    }
    const auto *rows = qobject_cast<QFormLayout *>(value->parentWidget()->layout());
    const QWidget *label = rows ? rows->labelForField(value) : nullptr;
    if (label && (label->geometry().right() >= value->geometry().left() ||
                  label->geometry().top() > value->geometry().top() + value->height() / 2)) {
      faults.append(value->objectName() + QStringLiteral(" beside ") + label->objectName());
    }
  }
  return faults;
}

// The report is the one place that says why a connection failed, and those texts are long:
// they wrap beside their labels, cut inside a word only when the word alone is too wide.
TEST_F(ConnectionDiagnosticsScreen, LongFailureTextsWrapBesideTheirLabelsWithoutSidewaysScrolling) {
  makeScreen(30, nullptr, [](AppViewModel::Arguments &arguments) {
    arguments.oscManager = std::make_unique<OSCManager>(0.1, 5);
    arguments.reconnectBaseDelay = 0.01;
  });
  quint16 port = 0;
  {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    port = closed.serverPort();
  }
  model->setConsoleName(QStringLiteral("FrontOfHouseMainConsoleUpperBalconyBoothStageLeft"));
  model->setConsoleIP(QStringLiteral("127.0.0.1"));
  model->setCustomSendPort(QString::number(port));
  model->connect();
  ASSERT_TRUE(waitUntil([&] {
    return shown("diagnostics.dataStatus").endsWith(QStringLiteral(" attempts")) &&
           isShown("diagnostics.lastErrorSection");
  })) << shown("diagnostics.dataStatus").toStdString();
  ASSERT_TRUE(shown("diagnostics.dataStatus").contains(QStringLiteral("socket-ready")));

  auto *scroll = view->findChild<QScrollArea *>();
  // The sheet as it opens from the window at its first size and at its least, and the
  // narrowest it ever opens.
  for (const QSize size : {QSize(873, 410), QSize(648, 360), QSize(420, 360)}) {
    SCOPED_TRACE(size.width());
    view->resize(size);
    saveScreenshot(qPrintable(QStringLiteral("diagnostics-failure-%1").arg(size.width())));
    EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible());
    EXPECT_EQ(valuesNotReadableBesideTheirLabels(*scroll), QStringList{});
    // A copy of the wrapped error is the error itself, no break inside a name or address.
    auto *error = view->findChild<QLabel *>(QStringLiteral("diagnostics.lastError"));
    error->setSelection(0, int(error->text().size()));
    EXPECT_EQ(error->selectedText(), manager().lastError().value_or(QString()));
  }
  // The whole report at the narrowest, the failure texts further down included.
  testing::saveScreenshot(*scroll->widget(), QStringLiteral("diagnostics-failure-whole"));
}

// A flood the model ignores reaches the screen only through the model's throttled notice:
// at most one redraw per notice, about ten a second, and the last counts are never lost.
TEST_F(ConnectionDiagnosticsScreen, RedrawsOnlyOnTheModelsThrottledNotice) {
  // A locale that groups digits, so a grouped counter would show it.
  const QLocale previous;
  QLocale::setDefault(QLocale(QStringLiteral("en_US")));
  const auto restore = qScopeGuard([&] { QLocale::setDefault(previous); });
  makeScreen();
  connectToConsole();
  int notices = 0;
  QObject::connect(model.get(), &AppViewModel::objectWillChange, [&] { ++notices; });
  const int redrawsBefore = redraws();
  QTimer flood;
  QObject::connect(&flood, &QTimer::timeout, [&] {
    console.send(QList<OSCMessage>(10, {QStringLiteral("/tarnik/ignored"), {}}));
  });
  flood.start(1);
  QElapsedTimer elapsed;
  elapsed.start();
  waitUntil([&] { return elapsed.elapsed() >= 2000; }, 3000);
  flood.stop();
  // One redraw may already have been scheduled by a notice before the count began.
  EXPECT_LE(redraws() - redrawsBefore, std::min(notices + 1, 22));
  EXPECT_GT(manager().receivedMessageCount(), 1000);
  EXPECT_TRUE(waitUntil([&] {
    return shown("diagnostics.messagesReceived") ==
               QString::number(manager().receivedMessageCount()) &&
           shown("diagnostics.bytesReceived") == byteCountText(manager().receivedByteCount());
  }));
  // Counters are plain digits, never grouped, even above a thousand.
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9]{4,}$"))
                  .match(shown("diagnostics.messagesReceived"))
                  .hasMatch())
      << shown("diagnostics.messagesReceived").toStdString();
}

}  // namespace
}  // namespace tarnik
