// Against the stand-in logind of with-logind.sh: what sleep and quitting do to the relay
// and to the locks it holds.

#include "WorkspaceTestSupport.h"
#include "link/TarnikRelayServer.h"
#include "shell/TarnikApp.h"
#include "support/EosConsoleDouble.h"
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

bool holdsLock(const QString &what) {
  const auto locks = LogindStandIn::inhibitors();
  return std::any_of(locks.begin(), locks.end(),
                     [&](const auto &lock) { return lock.what == what; });
}

class WorkspaceLogindIntegration : public ::testing::Test {
 protected:
  quint16 startRelay(TarnikApp &app) {
    TarnikRelayServer &relay = app.relayServer();
    relay.start(OSCEndpoint::hostPort(QStringLiteral("127.0.0.1"),
                                      console.tcpPort(OSCTCPFraming::packetLength)),
                0, testing::relayTestPairingCode());
    if (!waitUntil([&] { return relay.isRunning() && holdsLock(QStringLiteral("idle")); }))
      return 0;
    return relay.boundPort().value_or(0);
  }

  testing::EosConsoleDouble console;
};

TEST_F(WorkspaceLogindIntegration, SleepStopsTheRelay) {
  TarnikApp app;
  ASSERT_NE(startRelay(app), 0);
  ASSERT_TRUE(waitUntil([] { return holdsLock(QStringLiteral("sleep")); }));
  ASSERT_TRUE(LogindStandIn::announcePrepareForSleep(true));
  EXPECT_TRUE(waitUntil([&] { return !app.relayServer().isRunning(); }));
  EXPECT_FALSE(app.relayServer().status().isEmpty());
  EXPECT_TRUE(waitUntil([] { return !holdsLock(QStringLiteral("idle")); }));
}

TEST_F(WorkspaceLogindIntegration, ClosingTheWindowEndsTheLoopAndLetsGoOfPortAndLocks) {
  auto app = std::make_unique<TarnikApp>();
  MacWorkspaceView &window = app->openWindow();
  const quint16 port = startRelay(*app);
  ASSERT_NE(port, 0);
  window.show();
  QTimer::singleShot(0, &window, [&] { window.close(); });
  EXPECT_EQ(QApplication::exec(), 0);

  EXPECT_FALSE(app->relayServer().isRunning());
  QTcpServer again;
  EXPECT_TRUE(again.listen(QHostAddress::Any, port)) << again.errorString().toStdString();
  EXPECT_TRUE(waitUntil([] { return !holdsLock(QStringLiteral("idle")); }));
  app.reset();
  EXPECT_TRUE(waitUntil([] { return LogindStandIn::inhibitors().isEmpty(); }));
}

// Under without-system-bus.sh: no logind at all, so no locks and no sleep notice, and
// nothing fails for it.
TEST(WorkspaceNoBusIntegration, TheWindowOpensAndTheRelayRunsWithoutASystemBus) {
  testing::EosConsoleDouble console;
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow();
  window.show();
  app.relayServer().start(OSCEndpoint::hostPort(QStringLiteral("127.0.0.1"),
                                                console.tcpPort(OSCTCPFraming::packetLength)),
                          0, testing::relayTestPairingCode());
  EXPECT_TRUE(waitUntil([&] {
    return testing::labelText(window, "workspace.status.relay") ==
           QStringLiteral("Relay on · 0 sessions");
  }));
  window.close();
}

}  // namespace
}  // namespace tarnik
