#include "WorkspaceTestSupport.h"
#include "app/AppViewModel.h"
#include "operations/MoverController.h"
#include "shell/ControllerPage.h"
#include "shell/RelayPage.h"
#include "shell/TarnikApp.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QProcess>
#include <QPushButton>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::labelText;
using testing::waitUntil;

// The model connected to the console double over TCP, and the page started on the real
// relay port with the test's code, as a person does it; openssl s_client is the phone.
TEST(InteropRelayPage, StartListensOnTheRelayPortAndANewRouteStopsItAndTheController) {
  testing::EosConsoleDouble console;
  const QString code = QString::fromLatin1(testing::relayTestKey.toBase64());
  RelayPairingKeychain keychain{
      [&]() -> std::expected<std::optional<QString>, TarnikRelaySecurity::Failure> { return code; },
      nullptr, nullptr};
  WorkspacePageFactories pages;
  pages.relaySection = [](WorkspaceContext &context) -> QWidget * {
    return new RelayPage(context);
  };
  TarnikApp app;
  MacWorkspaceView &window = app.openWindow(std::move(pages), keychain);
  window.show();
  AppViewModel &model = app.appViewModel();
  model.setConsoleIP(QStringLiteral("127.0.0.1"));
  model.setConnectionTransport(OSCTransport::tcp);
  model.setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::packetLength)));
  model.connect();
  auto *toggle = window.findChild<QPushButton *>(QStringLiteral("relay.toggle"));
  ASSERT_TRUE(waitUntil([&] { return toggle->isEnabled(); }));
  toggle->click();
  ASSERT_TRUE(waitUntil([&] {
    return labelText(window, "relay.status") == QStringLiteral("Relay listening on 9443");
  }));
  EXPECT_TRUE(waitUntil([&] { return toggle->text() == QStringLiteral("Stop phone relay"); }));

  QProcess phone;
  phone.start(QStringLiteral("openssl"),
              QStringLiteral("s_client -quiet -tls1_2 -cipher PSK-AES128-GCM-SHA256 "
                             "-psk_identity TarnikRelay.v1 -connect 127.0.0.1:9443 -psk %1")
                  .arg(QString::fromLatin1(testing::relayTestKey.toHex()))
                  .split(' '));
  EXPECT_TRUE(
      waitUntil([&] { return labelText(window, "relay.sessions") == QStringLiteral("1"); }));

  // Another route to the console ends what the old one carried.
  model.disconnect();
  model.setTcpFraming(OSCTCPFraming::slip);
  model.setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::slip)));
  model.connect();
  EXPECT_TRUE(waitUntil([&] { return !app.relayServer().isRunning(); }));
  EXPECT_EQ(app.moverController().status(), QStringLiteral("Disconnected; movement disarmed."));
  phone.kill();
  phone.waitForFinished(5000);
}

}  // namespace
}  // namespace tarnik
