#include "WorkspaceTestSupport.h"
#include "app/AppViewModel.h"
#include "operations/MoverController.h"
#include "screens/support/Screenshots.h"
#include "shell/TarnikApp.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::waitUntil;

// The console double over TCP: the status block follows the model to "Eos responding", and
// the new route ends the relay and the mover's session, which the window's first drawing
// did not.
TEST(WorkspaceStatus, ReadsEosRespondingOnceTheModelReachesTheConsoleAndTheNewRouteEndsTheRelay) {
  testing::EosConsoleDouble console;
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow();
  window.show();
  // A keychain without a code makes one after the first paint, and replacing the code
  // stops the relay: the relay starts once the code is there.
  ASSERT_TRUE(waitUntil([&] { return !window.state().pairingKey.isEmpty(); }))
      << window.state().pairingError.value_or(QString()).toStdString();
  testing::startRelayTowards(app.relayServer(), console);
  ASSERT_TRUE(waitUntil([&] { return app.relayServer().isRunning(); }));
  QCoreApplication::processEvents();
  ASSERT_TRUE(app.relayServer().isRunning());

  AppViewModel &model = app.appViewModel();
  model.setConsoleIP(QStringLiteral("127.0.0.1"));
  model.setConnectionTransport(OSCTransport::tcp);
  model.setTcpFraming(OSCTCPFraming::packetLength);
  model.setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::packetLength)));
  model.connect();
  EXPECT_TRUE(waitUntil([&] {
    return testing::labelText(window, "workspace.status.console") ==
           QStringLiteral("Eos responding");
  }));
  EXPECT_FALSE(app.relayServer().isRunning());
  EXPECT_EQ(app.moverController().status(), QStringLiteral("Disconnected; movement disarmed."));
  testing::saveScreenshot(window, QStringLiteral("workspace-eos-responding"));
  window.close();
}

}  // namespace
}  // namespace tarnik
