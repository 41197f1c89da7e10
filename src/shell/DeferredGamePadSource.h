#pragma once

#include "platform/GamePadSource.h"

#include <memory>

namespace tarnik {

// The game controllers, read through SDL once the window is on screen. SDL takes a good
// ten milliseconds to start and look for controllers, and the window's first paint need
// not wait for that. Until started, every poll finds no controller, which is also all SDL
// would report before its first look.
class DeferredGamePadSource final : public GamePadSource {
 public:
  DeferredGamePadSource();
  ~DeferredGamePadSource() override;

  // Starts SDL; later calls do nothing.
  void start();
  QList<GamePad> poll() override;

 private:
  std::unique_ptr<GamePadSource> source_;
};

}  // namespace tarnik
