#include "shell/DeferredGamePadSource.h"

#include "platform/SDLGamePadSource.h"

namespace tarnik {

DeferredGamePadSource::DeferredGamePadSource() = default;
DeferredGamePadSource::~DeferredGamePadSource() = default;

void DeferredGamePadSource::start() {
  if (!source_) {
    source_ = std::make_unique<SDLGamePadSource>();
  }
}

QList<GamePad> DeferredGamePadSource::poll() {
  return source_ ? source_->poll() : QList<GamePad>{};
}

}  // namespace tarnik
