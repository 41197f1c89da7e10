#include "platform/SDLGamePadSource.h"

#include <SDL.h>

#include <algorithm>
#include <map>

namespace tarnik {

namespace {

bool startSDLOnce() {
  static const bool started = [] {
    // SDL would otherwise install its own SIGINT and SIGTERM handlers over Qt's.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    return SDL_Init(SDL_INIT_GAMECONTROLLER) == 0;
  }();
  return started;
}

GamePad readPad(SDL_GameController *controller, SDL_JoystickID id) {
  GamePad pad;
  pad.id = id;
  if (const char *name = SDL_GameControllerName(controller)) pad.name = QString::fromUtf8(name);
  const SDL_GameControllerType type = SDL_GameControllerGetType(controller);
  pad.isXbox = type == SDL_CONTROLLER_TYPE_XBOX360 || type == SDL_CONTROLLER_TYPE_XBOXONE;
  const auto axis = [controller](SDL_GameControllerAxis which) {
    return SDLGamePadSource::axisValue(SDL_GameControllerGetAxis(controller, which));
  };
  const auto button = [controller](SDL_GameControllerButton which) {
    return SDL_GameControllerGetButton(controller, which) != 0;
  };
  pad.leftStickX = axis(SDL_CONTROLLER_AXIS_LEFTX);
  // SDL's y grows downwards; up is positive here.
  pad.leftStickY = -axis(SDL_CONTROLLER_AXIS_LEFTY);
  pad.leftTrigger = axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT);
  pad.rightShoulder = button(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
  pad.buttonB = button(SDL_CONTROLLER_BUTTON_B);
  pad.buttonStart = button(SDL_CONTROLLER_BUTTON_START);
  return pad;
}

}  // namespace

struct SDLGamePadSource::Controllers {
  bool available = false;
  std::map<SDL_JoystickID, SDL_GameController *> open;
};

SDLGamePadSource::SDLGamePadSource() : controllers_(std::make_unique<Controllers>()) {
  controllers_->available = startSDLOnce();
}

SDLGamePadSource::~SDLGamePadSource() {
  for (const auto &[id, controller] : controllers_->open) SDL_GameControllerClose(controller);
}

bool SDLGamePadSource::isAvailable() const { return controllers_->available; }

float SDLGamePadSource::axisValue(int raw) {
  return std::clamp(float(raw) / 32767.0f, -1.0f, 1.0f);
}

QList<GamePad> SDLGamePadSource::poll() {
  if (!controllers_->available) return {};
  // Pumping reads the devices; the events themselves are not needed, since the device list
  // below is the truth, but left in the queue they would pile up.
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) {
  }

  auto &open = controllers_->open;
  for (auto it = open.begin(); it != open.end();) {
    if (SDL_GameControllerGetAttached(it->second)) {
      ++it;
    } else {
      SDL_GameControllerClose(it->second);
      it = open.erase(it);
    }
  }
  QList<GamePad> pads;
  const int count = SDL_NumJoysticks();
  for (int index = 0; index < count; ++index) {
    if (!SDL_IsGameController(index)) continue;
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
    auto found = open.find(id);
    if (found == open.end()) {
      SDL_GameController *controller = SDL_GameControllerOpen(index);
      if (!controller) continue;
      found = open.emplace(id, controller).first;
    }
    pads.append(readPad(found->second, id));
  }
  return pads;
}

}  // namespace tarnik
