#include "WorkspaceTestSupport.h"
#include "app/AppViewModel.h"
#include "link/OSCTCPFramer.h"
#include "operations/MoverController.h"
#include "screens/connection/ControllerPage.h"
#include "screens/connection/RelayPage.h"
#include "shell/TarnikApp.h"
#include "support/InstalledPrerequisites.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"
#include "support/VirtualXboxPad.h"

#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::labelText;
using testing::waitUntil;

// The pairing code the page loads: the test's key, as if it had been stored before.
RelayPairingKeychain keychainHolding(const QString &code) {
  return {[code]() -> std::expected<std::optional<QString>, TarnikRelaySecurity::Failure> {
            return code;
          },
          nullptr, nullptr};
}

WorkspacePageFactories relayAndControllerPages() {
  WorkspacePageFactories pages;
  pages.relaySection = [](WorkspaceContext &context) -> QWidget * {
    return new RelayPage(context);
  };
  pages.controllerSections = [](WorkspaceContext &context) -> QWidget * {
    return new ControllerPage(context);
  };
  return pages;
}

// Two saved profiles for the one console double, one per TCP framing.
void saveBothFramings(AppViewModel &model, const testing::EosConsoleDouble &console) {
  for (const OSCTCPFraming framing : {OSCTCPFraming::slip, OSCTCPFraming::packetLength}) {
    model.startNewConnection();
    model.setConsoleName(framing == OSCTCPFraming::slip ? QStringLiteral("SLIP")
                                                        : QStringLiteral("Packet length"));
    model.setConsoleIP(QStringLiteral("127.0.0.1"));
    model.setTcpFraming(framing);
    model.setCustomSendPort(QString::number(console.tcpPort(framing)));
    model.saveConnectionProfile();
  }
}

// The model connected to the console double over TCP, and the page started on the real
// relay port with the test's code, as a person does it; openssl s_client is the phone.
TEST(InteropRelayPage, StartCarriesAPhonesPingAndAnotherProfileStopsItAndTheController) {
  TARNIK_REQUIRE_PROGRAMS("openssl");
  testing::EosConsoleDouble console;
  TarnikApp app;
  MacWorkspaceView &window =
      app.openWindow(relayAndControllerPages(),
                     keychainHolding(QString::fromLatin1(testing::relayTestKey.toBase64())));
  window.show();
  AppViewModel &model = app.appViewModel();
  saveBothFramings(model, console);
  // The two just saved, after the examples a first start stores.
  const QList<ConsoleConnectionProfile> saved = model.savedConnectionProfiles();
  ASSERT_GE(saved.size(), 2);
  const QList<ConsoleConnectionProfile> profiles = saved.last(2);
  model.applyConnectionProfile(profiles[1]);
  model.connect();
  auto *toggle = window.findChild<QPushButton *>(QStringLiteral("relay.toggle"));
  ASSERT_TRUE(waitUntil([&] { return toggle->isEnabled(); }));
  toggle->click();
  ASSERT_TRUE(waitUntil([&] {
    return labelText(window, "relay.status") == QStringLiteral("Relay listening on 9443");
  }));
  EXPECT_TRUE(waitUntil([&] { return toggle->text() == QStringLiteral("Stop phone relay"); }));

  QProcess phone;
  QByteArray heard;
  QObject::connect(&phone, &QProcess::readyReadStandardOutput,
                   [&] { heard += phone.readAllStandardOutput(); });
  phone.start(QStringLiteral("openssl"),
              QStringLiteral("s_client -quiet -nocommands -tls1_2 -cipher PSK-AES128-GCM-SHA256 "
                             "-psk_identity TarnikRelay.v1 -connect 127.0.0.1:9443 -psk %1")
                  .arg(QString::fromLatin1(testing::relayTestKey.toHex()))
                  .split(' '));
  EXPECT_TRUE(
      waitUntil([&] { return labelText(window, "relay.sessions") == QStringLiteral("1"); }));

  // The phone's ping, framed as the console's packet-length port expects, and its answer.
  const OSCMessage ping{QStringLiteral("/eos/ping"),
                        {OSCArgument::fromString(QStringLiteral("phone"))}};
  const auto framed = OSCTCPFramer::frame(ping.encoded(), OSCTCPFraming::packetLength);
  ASSERT_TRUE(framed.has_value());
  phone.write(*framed);
  const OSCMessage answer{QStringLiteral("/eos/out/ping"), ping.arguments};
  const QByteArray expected = *OSCTCPFramer::frame(answer.encoded(), OSCTCPFraming::packetLength);
  EXPECT_TRUE(waitUntil([&] { return heard.contains(expected); })) << heard.toHex().toStdString();
  EXPECT_TRUE(console.requests(QStringLiteral("/eos/ping")).contains(ping));

  // Another saved route to the console ends what the old one carried.
  model.disconnect();
  model.applyConnectionProfile(profiles[0]);
  model.connect();
  EXPECT_TRUE(waitUntil([&] { return !app.relayServer().isRunning(); }));
  EXPECT_EQ(app.moverController().status(), QStringLiteral("Disconnected; movement disarmed."));
  window.showPage(QStringLiteral("Xbox controller"));
  EXPECT_EQ(labelText(window, "controller.status"),
            QStringLiteral("Disconnected; movement disarmed."));
  phone.kill();
  phone.waitForFinished(5000);
}

// A virtual pad through SDL, the page's buttons and the console double, on the real clock.
TEST(InteropControllerPage, ConnectsTheBoardUserThenArmsAndDisarmsThePad) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  testing::EosConsoleDouble console;
  console.commandLines[1] = {QStringLiteral("LIVE: Chan 1 Thru 5 #"), 0};
  console.selections[1] = {1, 2, 3, 4, 5};
  TarnikApp app;
  MacWorkspaceView &window =
      app.openWindow(relayAndControllerPages(),
                     keychainHolding(QString::fromLatin1(testing::relayTestKey.toBase64())));
  window.show();
  window.showPage(QStringLiteral("Xbox controller"));
  // SDL starts once the window has been painted; the pad can be plugged in after that.
  ASSERT_TRUE(waitUntil([] { return SDL_WasInit(SDL_INIT_GAMECONTROLLER) != 0; }));
  testing::VirtualXboxPad pad;
  MoverController &mover = app.moverController();
  mover.setApplicationActive(true);  // the offscreen window never takes the focus
  ASSERT_TRUE(waitUntil([&] { return labelText(window, "controller.name") == pad.name(); }));

  AppViewModel &model = app.appViewModel();
  model.setConsoleIP(QStringLiteral("127.0.0.1"));
  model.setConnectionTransport(OSCTransport::tcp);
  model.setTcpFraming(OSCTCPFraming::packetLength);
  model.setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::packetLength)));
  model.connect();
  auto *connect = window.findChild<QPushButton *>(QStringLiteral("controller.connect"));
  auto *arm = window.findChild<QPushButton *>(QStringLiteral("controller.arm"));
  ASSERT_TRUE(connect && arm);
  ASSERT_TRUE(waitUntil([&] { return connect->isEnabled(); }));
  connect->click();
  ASSERT_TRUE(waitUntil([&] { return arm->isEnabled(); })) << mover.status().toStdString();
  EXPECT_FALSE(labelText(window, "controller.selection").isEmpty());
  EXPECT_TRUE(
      window.findChild<QPushButton *>(QStringLiteral("controller.disconnect"))->isEnabled());

  arm->click();
  ASSERT_TRUE(waitUntil([&] { return arm->text() == QStringLiteral("Disarm controller"); }))
      << mover.status().toStdString();
  EXPECT_TRUE(arm->isEnabled());
  arm->click();
  EXPECT_TRUE(waitUntil([&] { return arm->text() == QStringLiteral("Arm controller"); }));
  EXPECT_FALSE(mover.isArmed());
  // "Movement disarmed." lasts until the controller's next tick reads the pad again; the
  // page shows what the controller publishes, never a text of its own.
  EXPECT_TRUE(waitUntil([&] {
    return mover.status() == QStringLiteral("Ready to arm. Hold RB after arming to move.");
  }));
  EXPECT_TRUE(waitUntil([&] { return labelText(window, "controller.status") == mover.status(); }))
      << labelText(window, "controller.status").toStdString();
}

}  // namespace
}  // namespace tarnik
