#include "WorkspaceTestSupport.h"
#include "app/AppViewModel.h"
#include "foundation/ReferenceDate.h"
#include "foundation/UptimeClock.h"
#include "shell/ConnectionDiagnosticsContent.h"
#include "shell/ConnectionDiagnosticsView.h"
#include "shell/LocaleTexts.h"
#include "support/EosConsoleShow.h"
#include "support/ManualAppTiming.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"
#include "support/Screenshots.h"

#include <QElapsedTimer>
#include <QGroupBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::labelText;
using testing::waitUntil;

class ConnectionDiagnosticsScreen : public ::testing::Test {
 protected:
  void makeScreen(double syncTimeout = 30, std::shared_ptr<AppTiming> timing = nullptr) {
    AppViewModel::Arguments arguments;
    arguments.defaults = &settings;
    // Networking (discovery and the heartbeat) only with virtual time.
    arguments.startNetworkingOnInit = timing != nullptr;
    arguments.syncTimeout = syncTimeout;
    arguments.timing = std::move(timing);
    model = std::make_unique<AppViewModel>(std::move(arguments));
    view = std::make_unique<ConnectionDiagnosticsView>(*model);
    view->resize(560, 1200);
    view->show();
  }

  OSCManager &manager() { return *model->oscManager(); }
  ConnectionDiagnosticsContent &content() {
    return *view->findChild<ConnectionDiagnosticsContent *>();
  }
  QString shown(const char *objectName) { return labelText(*view, objectName); }
  bool isShown(const char *objectName) {
    return !view->findChild<QWidget *>(QString::fromLatin1(objectName))->isHidden();
  }
  void connectToConsole() {
    manager().connect(QStringLiteral("127.0.0.1"), console.tcpPort(OSCTCPFraming::packetLength));
    ASSERT_TRUE(waitUntil([&] {
      return shown("diagnostics.eosVerification") == QStringLiteral("Verified by Eos reply");
    }));
  }

  QTemporaryDir folder;
  QSettings settings{folder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat};
  testing::EosConsoleDouble console;
  std::unique_ptr<AppViewModel> model;
  std::unique_ptr<ConnectionDiagnosticsView> view;
};

TEST_F(ConnectionDiagnosticsScreen, KeepsSocketVerificationAndHeartbeatApart) {
  makeScreen();
  model->setConsoleName(QStringLiteral("  Stage  "));
  ASSERT_TRUE(waitUntil([&] { return shown("diagnostics.configuredConsole") == "Stage"; }));
  EXPECT_EQ(shown("diagnostics.managerSocket"), manager().connectionStateDescription());
  EXPECT_EQ(shown("diagnostics.roundTrip"), QStringLiteral("Not measured"));
  EXPECT_EQ(shown("diagnostics.rttSamples"), QStringLiteral("0"));
  EXPECT_EQ(shown("diagnostics.matchedPingReplies"), QStringLiteral("0"));
  EXPECT_EQ(shown("diagnostics.identity"), QStringLiteral("Unavailable"));
  EXPECT_FALSE(isShown("diagnostics.rttSampleAge"));
  EXPECT_FALSE(isShown("diagnostics.lastEosResponse"));
  EXPECT_FALSE(isShown("diagnostics.lastErrorSection"));
  EXPECT_FALSE(isShown("diagnostics.progress"));
  testing::saveScreenshot(*view, QStringLiteral("diagnostics-idle"));

  connectToConsole();
  EXPECT_EQ(shown("diagnostics.managerSocket"), QStringLiteral("Ready"));
  EXPECT_TRUE(isShown("diagnostics.lastEosResponse"));
  EXPECT_EQ(shown("diagnostics.lastEosResponse"),
            diagnosticsTimestampText(dateTimeFromReferenceSeconds(*manager().lastEosResponse())));
  EXPECT_NE(shown("diagnostics.activeEndpoint"), QStringLiteral("Unavailable"));
  testing::saveScreenshot(*view, QStringLiteral("diagnostics-connected"));

  // "Done" only asks to be closed.
  int closeRequests = 0;
  QObject::connect(view.get(), &ConnectionDiagnosticsView::doneRequested, [&] { ++closeRequests; });
  const qint64 attemptsBefore = manager().attemptedMessageCount();
  const int redrawsBefore = content().redrawCount();
  view->findChild<QPushButton *>(QStringLiteral("diagnostics.done"))->click();
  QCoreApplication::processEvents();
  EXPECT_EQ(closeRequests, 1);
  EXPECT_EQ(manager().attemptedMessageCount(), attemptsBefore);
  EXPECT_TRUE(manager().isConnected());
  EXPECT_EQ(content().redrawCount(), redrawsBefore);

  console.closeClients();
  ASSERT_TRUE(waitUntil([&] { return isShown("diagnostics.lastErrorSection"); }));
  EXPECT_EQ(shown("diagnostics.lastError"), manager().lastError().value_or(QString()));
  testing::saveScreenshot(*view, QStringLiteral("diagnostics-error"));
}

TEST_F(ConnectionDiagnosticsScreen, AVerifiedPeerWhoseHeartbeatLapsedStaysVerified) {
  auto timing = std::make_shared<testing::ManualAppTiming>(systemUptime());
  makeScreen(30, timing);
  const auto waitAdvancing = [&](const QString &row, const QString &text) {
    return waitUntil([&] {
      timing->advance(0.1);
      return labelText(*view, row.toLatin1().constData()) == text;
    });
  };
  manager().connect(QStringLiteral("127.0.0.1"), console.tcpPort(OSCTCPFraming::packetLength));
  ASSERT_TRUE(
      waitAdvancing(QStringLiteral("diagnostics.heartbeatFreshness"), QStringLiteral("Fresh")));
  console.silent = true;
  ASSERT_TRUE(waitAdvancing(QStringLiteral("diagnostics.heartbeatFreshness"),
                            QStringLiteral("No fresh response")));
  EXPECT_EQ(shown("diagnostics.eosVerification"), QStringLiteral("Verified by Eos reply"));
}

TEST_F(ConnectionDiagnosticsScreen, ShowsTheProgressRowWhileASyncWaitsOnTheConsole) {
  console.setShow(testing::generateConsoleShow(4, 2));
  console.cueFaults = {{0, testing::EosConsoleDouble::RecordFault::noAnswer}};
  makeScreen(0.5);
  connectToConsole();
  model->requestFullSync(QStringLiteral("Diagnostics"));
  EXPECT_TRUE(waitUntil([&] { return isShown("diagnostics.progress"); }));
  EXPECT_TRUE(waitUntil([&] { return !isShown("diagnostics.progress"); }));
  EXPECT_FALSE(model->isLoadingCues() || model->isLoadingPatch());
}

// A flood the model ignores reaches the screen only through the model's throttled notice:
// at most one redraw per notice, about ten a second, and the last counts are never lost.
TEST_F(ConnectionDiagnosticsScreen, RedrawsOnlyOnTheModelsThrottledNotice) {
  makeScreen();
  connectToConsole();
  QCoreApplication::processEvents();

  int notices = 0;
  QObject::connect(model.get(), &AppViewModel::objectWillChange, [&] { ++notices; });
  QCoreApplication::processEvents();  // a redraw still pending from an earlier notice
  notices = 0;
  const int redrawsBefore = content().redrawCount();
  QTimer flood;
  QObject::connect(&flood, &QTimer::timeout, [&] {
    console.send(QList<OSCMessage>(
        10, OSCMessage{QStringLiteral("/tarnik/ignored"), {OSCArgument::fromInt(1)}}));
  });
  flood.start(1);
  QElapsedTimer elapsed;
  elapsed.start();
  waitUntil([&] { return elapsed.elapsed() >= 2000; }, 3000);
  flood.stop();
  const int redraws = content().redrawCount() - redrawsBefore;
  EXPECT_LE(redraws, notices);
  EXPECT_LE(redraws, 22);
  EXPECT_GT(manager().receivedMessageCount(), 1000);

  EXPECT_TRUE(waitUntil([&] {
    return shown("diagnostics.messagesReceived") ==
               QString::number(manager().receivedMessageCount()) &&
           shown("diagnostics.bytesReceived") == byteCountText(manager().receivedByteCount()) &&
           shown("diagnostics.writesCompleted") == QString::number(manager().sentMessageCount());
  }));
}

}  // namespace
}  // namespace tarnik
