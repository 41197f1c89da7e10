// Sleep and quitting against the stand-in logind of with-logind.sh, and the same window on
// a machine without a system bus.

#include "WorkspaceTestSupport.h"
#include "operations/MoverController.h"
#include "shell/TarnikApp.h"
#include "support/LogindStandIn.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QApplication>
#include <QTcpServer>
#include <QTimer>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::LogindStandIn;
using testing::waitUntil;

bool holdsLock(const char *what) {
  const auto locks = LogindStandIn::inhibitors();
  return std::any_of(locks.begin(), locks.end(),
                     [&](const auto &lock) { return lock.what == QLatin1String(what); });
}

bool relayRunsKeepingAwake(TarnikApp &app, testing::EosConsoleDouble &console) {
  testing::startRelayTowards(app.relayServer(), console);
  return waitUntil([&] { return app.relayServer().isRunning() && holdsLock("idle"); });
}

TEST(WorkspaceLogindIntegration, SleepStopsTheMoverAndTheRelay) {
  testing::EosConsoleDouble console;
  TarnikApp app;
  ASSERT_TRUE(relayRunsKeepingAwake(app, console));
  ASSERT_TRUE(waitUntil([] { return holdsLock("sleep"); }));
  ASSERT_TRUE(LogindStandIn::announcePrepareForSleep(true));
  EXPECT_TRUE(waitUntil([&] { return !app.relayServer().isRunning() && !holdsLock("idle"); }));
  EXPECT_TRUE(waitUntil([&] {
    return app.moverController().status() == QStringLiteral("Disconnected; movement disarmed.");
  }));
}

TEST(WorkspaceLogindIntegration, ClosingTheWindowEndsTheLoopAndLetsGoOfPortAndLocks) {
  testing::EosConsoleDouble console;
  auto app = std::make_unique<TarnikApp>();
  MacWorkspaceView &window = app->openWindow();
  ASSERT_TRUE(relayRunsKeepingAwake(*app, console));
  const quint16 port = *app->relayServer().boundPort();
  window.show();
  QTimer::singleShot(0, &window, [&] { window.close(); });
  EXPECT_EQ(QApplication::exec(), 0);

  EXPECT_FALSE(app->relayServer().isRunning());
  QTcpServer again;
  EXPECT_TRUE(again.listen(QHostAddress::Any, port));
  EXPECT_TRUE(waitUntil([] { return !holdsLock("idle"); }));
  app.reset();
  EXPECT_TRUE(waitUntil([] { return LogindStandIn::inhibitors().isEmpty(); }));
}

TEST(WorkspaceNoBusIntegration, TheWindowOpensAndTheRelayRunsWithoutASystemBus) {
  testing::EosConsoleDouble console;
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow();
  window.show();
  testing::startRelayTowards(app.relayServer(), console);
  EXPECT_TRUE(waitUntil([&] { return app.relayServer().isRunning(); }));
  window.close();
}

}  // namespace
}  // namespace tarnik
