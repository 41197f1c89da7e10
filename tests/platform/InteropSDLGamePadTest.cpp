#include "platform/SDLGamePadSource.h"
#include "support/QtPrinting.h"
#include "support/VirtualXboxPad.h"

#include <SDL.h>

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace tarnik {
namespace {

using testing::VirtualXboxPad;

class InteropSDLGamePad : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("SDL_VIDEODRIVER", "dummy", 1); }
  void SetUp() override { ASSERT_TRUE(source->isAvailable()) << SDL_GetError(); }

  GamePad onlyPad() {
    const QList<GamePad> pads = source->poll();
    EXPECT_EQ(pads.size(), 1);
    return pads.value(0);
  }

  std::unique_ptr<SDLGamePadSource> source = std::make_unique<SDLGamePadSource>();
};

TEST_F(InteropSDLGamePad, ReportsAnXboxOnePadByItsInstance) {
  VirtualXboxPad virtualPad;
  const GamePad pad = onlyPad();
  EXPECT_TRUE(pad.isXbox);
  EXPECT_EQ(pad.id, virtualPad.id);
  EXPECT_FALSE(pad.name.isEmpty());
  EXPECT_EQ(pad.name, virtualPad.name());
  EXPECT_EQ(pad.leftTrigger, 0.0f) << "released";

  virtualPad.detach();
  EXPECT_TRUE(source->poll().isEmpty());
}

TEST_F(InteropSDLGamePad, ReadsAxesWithinRangeAndUpAsPositive) {
  VirtualXboxPad virtualPad;
  const struct {
    SDL_GameControllerAxis axis;
    Sint16 raw;
    float GamePad::*field;
    float expected;
  } rows[] = {
      {SDL_CONTROLLER_AXIS_LEFTX, -32768, &GamePad::leftStickX, -1.0f},
      {SDL_CONTROLLER_AXIS_LEFTX, 32767, &GamePad::leftStickX, 1.0f},
      {SDL_CONTROLLER_AXIS_LEFTX, 0, &GamePad::leftStickX, 0.0f},
      {SDL_CONTROLLER_AXIS_LEFTY, -32768, &GamePad::leftStickY, 1.0f},
      {SDL_CONTROLLER_AXIS_LEFTY, 32767, &GamePad::leftStickY, -1.0f},
      {SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767, &GamePad::leftTrigger, 1.0f},
      {SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768, &GamePad::leftTrigger, 0.0f},
  };
  for (const auto &row : rows) {
    virtualPad.setAxis(row.axis, row.raw);
    EXPECT_EQ(onlyPad().*row.field, row.expected) << "axis " << row.axis << " at " << row.raw;
  }
}

TEST_F(InteropSDLGamePad, ReadsEachButtonAlone) {
  VirtualXboxPad virtualPad;
  const struct {
    SDL_GameControllerButton button;
    bool GamePad::*field;  // nothing for a button the pad does not report
  } rows[] = {
      {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, &GamePad::rightShoulder},
      {SDL_CONTROLLER_BUTTON_B, &GamePad::buttonB},
      {SDL_CONTROLLER_BUTTON_START, &GamePad::buttonStart},
      {SDL_CONTROLLER_BUTTON_A, nullptr},
  };
  for (const auto &row : rows) {
    virtualPad.setButton(row.button, true);
    const GamePad pad = onlyPad();
    for (bool GamePad::*field : {&GamePad::rightShoulder, &GamePad::buttonB, &GamePad::buttonStart})
      EXPECT_EQ(pad.*field, field == row.field) << "button " << row.button;
    virtualPad.setButton(row.button, false);
  }
}

TEST_F(InteropSDLGamePad, ListsTwoPadsApart) {
  VirtualXboxPad first;
  VirtualXboxPad second;
  const QList<GamePad> pads = source->poll();
  ASSERT_EQ(pads.size(), 2);
  EXPECT_NE(pads[0].id, pads[1].id);
  EXPECT_TRUE(pads[0].isXbox && pads[1].isXbox);
}

}  // namespace
}  // namespace tarnik
