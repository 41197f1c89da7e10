#include "foundation/UptimeClock.h"
#include "operations/MoverController.h"
#include "operations/MoverDedicatedOSCTransport.h"
#include "platform/SDLGamePadSource.h"
#include "support/EosConsoleDouble.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"
#include "support/VirtualXboxPad.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace tarnik {
namespace {

using testing::EosConsoleDouble;
using testing::VirtualXboxPad;
using testing::waitUntil;

// A virtual pad, SDL, the controller on its own poll timer and the console double: what a
// person does, on the real clock.
TEST(InteropMoverEndToEnd, MovesOnlyWhileArmedHeldAndFresh) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  testing::ensureCoreApplication();
  EosConsoleDouble console;
  console.commandLines[5] = {QStringLiteral("LIVE: Chan 1 Thru 5 #"), 0};
  console.selections[5] = {1, 2, 3, 4, 5};
  auto source = std::make_unique<SDLGamePadSource>();
  ASSERT_TRUE(source->isAvailable());
  VirtualXboxPad pad;
  MoverController controller(std::make_unique<MoverDedicatedOSCTransport>(), std::move(source),
                             true);
  // The gate learns the focus at its first poll: no GUI application, so not active.
  ASSERT_TRUE(waitUntil([&] { return controller.controllerName() == pad.name(); }));
  EXPECT_FALSE(controller.gate().appActive);
  controller.setApplicationActive(true);
  controller.connect(OSCEndpoint::hostPort(QStringLiteral("127.0.0.1"),
                                           console.tcpPort(OSCTCPFraming::packetLength)),
                     OSCTCPFraming::packetLength, 5);
  ASSERT_TRUE(waitUntil([&] { return controller.canArm(); })) << controller.status().toStdString();
  EXPECT_EQ(controller.controllerName(), pad.name());

  // Unarmed, the stick and RB move nothing.
  pad.setButton(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true);
  pad.setAxis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
  ASSERT_TRUE(waitUntil([&] { return !controller.canArm(); }));
  pad.setButton(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, false);
  pad.setAxis(SDL_CONTROLLER_AXIS_LEFTX, 0);
  ASSERT_TRUE(waitUntil([&] { return controller.canArm(); }));
  EXPECT_TRUE(console.wheelMoves().isEmpty());

  controller.arm();
  ASSERT_TRUE(controller.isArmed()) << controller.status().toStdString();
  pad.setButton(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true);
  pad.setAxis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
  ASSERT_TRUE(waitUntil([&] { return console.wheelMoves().size() >= 10; }));
  // 12 units a second: 0.4 a tick at most, less for a tick that came early.
  std::vector<float> values;
  for (const EosConsoleDouble::WheelMove &move : console.wheelMoves()) {
    EXPECT_EQ(move.message.address, "/eos/user/5/wheel/coarse/pan");
    values.push_back(std::get<float>(move.message.arguments.first().value));
    EXPECT_TRUE(values.back() >= -0.4f && values.back() < 0) << values.back();
  }
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  EXPECT_LT(values[values.size() / 2], -0.3f);

  pad.setAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
  ASSERT_TRUE(waitUntil(
      [&] { return console.wheelMoves().last().message.address.contains(u"/wheel/fine/pan"); }));
  pad.setAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);

  // Letting go of RB stops the messages; a few polls go by with nothing sent.
  pad.setButton(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, false);
  QTest::qWait(100);
  const qsizetype afterRelease = console.wheelMoves().size();
  QTest::qWait(200);
  EXPECT_EQ(console.wheelMoves().size(), afterRelease);
  EXPECT_TRUE(controller.isArmed());

  // Unanswered selection requests: moving stops once the last selection is 2.0 s old.
  console.setHandler(QStringLiteral("/eos/get/chans"),
                     [](const OSCMessage &) { return QList<OSCMessage>{}; });
  const double silencedAt = systemUptime();
  pad.setButton(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true);
  ASSERT_TRUE(waitUntil([&] { return !controller.isArmed(); }, 5000));
  EXPECT_GT(systemUptime() - silencedAt, 1.7) << "the last selection was at most 0.3 s old";
  EXPECT_GT(console.wheelMoves().size(), afterRelease);
  EXPECT_EQ(controller.status(), "Waiting for fresh board selection and Live feedback.");
}

}  // namespace
}  // namespace tarnik
