#include "platform/SDLGamePadSource.h"
#include "support/QtPrinting.h"

#include <SDL.h>

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace tarnik {
namespace {

// A virtual Xbox One pad, driven through the joystick inputs SDL's own mapping binds to
// each control, as a real pad would be.
class VirtualXboxPad {
 public:
  VirtualXboxPad() {
    SDL_VirtualJoystickDesc description{};
    description.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    description.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    description.naxes = 6;
    description.nbuttons = 11;
    description.nhats = 1;
    description.vendor_id = 0x045E;
    description.product_id = 0x02EA;
    const int index = SDL_JoystickAttachVirtualEx(&description);
    EXPECT_GE(index, 0) << SDL_GetError();
    controller_ = SDL_GameControllerOpen(index);
    EXPECT_NE(controller_, nullptr) << SDL_GetError();
    joystick_ = SDL_GameControllerGetJoystick(controller_);
    id = SDL_JoystickInstanceID(joystick_);
    // A fresh pad rests every axis at 0, which reads as a half-pressed trigger.
    setAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
  }
  ~VirtualXboxPad() { detach(); }

  void setAxis(SDL_GameControllerAxis axis, Sint16 value) {
    const SDL_GameControllerButtonBind bind = SDL_GameControllerGetBindForAxis(controller_, axis);
    ASSERT_EQ(bind.bindType, SDL_CONTROLLER_BINDTYPE_AXIS);
    SDL_JoystickSetVirtualAxis(joystick_, bind.value.axis, value);
  }
  void setButton(SDL_GameControllerButton button, bool pressed) {
    const SDL_GameControllerButtonBind bind =
        SDL_GameControllerGetBindForButton(controller_, button);
    ASSERT_EQ(bind.bindType, SDL_CONTROLLER_BINDTYPE_BUTTON);
    SDL_JoystickSetVirtualButton(joystick_, bind.value.button, pressed ? 1 : 0);
  }
  QString name() const { return QString::fromUtf8(SDL_GameControllerName(controller_)); }

  void detach() {
    if (!controller_) return;
    SDL_GameControllerClose(controller_);
    controller_ = nullptr;
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
      if (SDL_JoystickGetDeviceInstanceID(index) == id) SDL_JoystickDetachVirtual(index);
    }
  }

  SDL_JoystickID id = -1;

 private:
  SDL_GameController *controller_ = nullptr;
  SDL_Joystick *joystick_ = nullptr;
};

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
