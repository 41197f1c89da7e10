#pragma once

// A virtual Xbox One pad (see README.md), driven through the joystick inputs that SDL's own
// mapping binds to each control, as a real pad would be.

#include <QString>

#include <SDL.h>

#include <gtest/gtest.h>

namespace tarnik::testing {

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
  ~VirtualXboxPad() {
    SDL_GameControllerClose(controller_);
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
      if (SDL_JoystickGetDeviceInstanceID(index) == id) SDL_JoystickDetachVirtual(index);
    }
  }
  VirtualXboxPad(const VirtualXboxPad &) = delete;
  VirtualXboxPad &operator=(const VirtualXboxPad &) = delete;

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

  SDL_JoystickID id = -1;

 private:
  SDL_GameController *controller_ = nullptr;
  SDL_Joystick *joystick_ = nullptr;
};

}  // namespace tarnik::testing
