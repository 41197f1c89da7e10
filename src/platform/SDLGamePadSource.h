#pragma once

#include "platform/GamePadSource.h"

#include <memory>

namespace tarnik {

// Game controllers through SDL2's game controller API. SDL is started once per process,
// told to leave SIGINT and SIGTERM to Qt; each poll pumps SDL and empties its event queue
// (which would otherwise fill up), opens the controllers that came and closes the ones
// that went. GUI thread only.
class SDLGamePadSource final : public GamePadSource {
 public:
  SDLGamePadSource();
  ~SDLGamePadSource() override;
  SDLGamePadSource(const SDLGamePadSource &) = delete;
  SDLGamePadSource &operator=(const SDLGamePadSource &) = delete;

  // False when SDL could not start; every poll then reports no controller.
  bool isAvailable() const;
  QList<GamePad> poll() override;

  // A raw SDL axis as -1...1: SDL's -32768 would otherwise read a hair beyond -1.
  static float axisValue(int raw);

 private:
  struct Controllers;
  std::unique_ptr<Controllers> controllers_;
};

}  // namespace tarnik
