#include "platform/SDLGamePadSource.h"
#include "support/QtPrinting.h"
#include "support/VirtualXboxPad.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::VirtualXboxPad;

TEST(InteropSDLGamePad, ReadsVirtualXboxOnePads) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  SDLGamePadSource source;
  ASSERT_TRUE(source.isAvailable()) << SDL_GetError();
  auto pad = std::make_unique<VirtualXboxPad>();
  const auto onlyPad = [&] {
    const QList<GamePad> pads = source.poll();
    EXPECT_EQ(pads.size(), 1);
    return pads.value(0);
  };
  const GamePad resting = onlyPad();
  EXPECT_TRUE(resting.isXbox);
  EXPECT_EQ(resting.id, pad->id);
  EXPECT_EQ(resting.name, pad->name());
  EXPECT_FALSE(resting.name.isEmpty());

  using Axis = SDL_GameControllerAxis;
  using Button = SDL_GameControllerButton;
  const struct {
    std::variant<Axis, Button> control;
    Sint16 raw;
    float GamePad::*axis;
    bool GamePad::*button;
    float expected;
  } rows[] = {
      {SDL_CONTROLLER_AXIS_LEFTX, -32768, &GamePad::leftStickX, nullptr, -1},
      {SDL_CONTROLLER_AXIS_LEFTX, 32767, &GamePad::leftStickX, nullptr, 1},
      {SDL_CONTROLLER_AXIS_LEFTY, -32768, &GamePad::leftStickY, nullptr, 1},  // up
      {SDL_CONTROLLER_AXIS_LEFTY, 32767, &GamePad::leftStickY, nullptr, -1},
      {SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768, &GamePad::leftTrigger, nullptr, 0},
      {SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767, &GamePad::leftTrigger, nullptr, 1},
      {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 1, nullptr, &GamePad::rightShoulder, 1},
      {SDL_CONTROLLER_BUTTON_B, 1, nullptr, &GamePad::buttonB, 1},
      {SDL_CONTROLLER_BUTTON_START, 1, nullptr, &GamePad::buttonStart, 1},
      {SDL_CONTROLLER_BUTTON_A, 1, nullptr, nullptr, 0},
  };
  for (const auto &row : rows) {
    const Axis *axis = std::get_if<Axis>(&row.control);
    axis ? pad->setAxis(*axis, row.raw) : pad->setButton(std::get<Button>(row.control), true);
    const GamePad read = onlyPad();
    const int index = int(&row - rows);
    if (row.axis) {
      EXPECT_EQ(read.*row.axis, row.expected) << "row " << index;
    }
    for (bool GamePad::*button :
         {&GamePad::rightShoulder, &GamePad::buttonB, &GamePad::buttonStart})
      EXPECT_EQ(read.*button, button == row.button) << "row " << index;
    if (!axis) pad->setButton(std::get<Button>(row.control), false);
  }

  VirtualXboxPad second;
  const QList<GamePad> two = source.poll();
  ASSERT_EQ(two.size(), 2);
  EXPECT_NE(two[0].id, two[1].id);
  pad.reset();
  EXPECT_EQ(onlyPad().id, second.id) << "the detached pad is gone";
}

}  // namespace
}  // namespace tarnik
