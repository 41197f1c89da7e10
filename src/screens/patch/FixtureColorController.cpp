#include "screens/patch/FixtureColorController.h"

#include "operations/FixtureControlStore.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

constexpr double colorSendsPerSecond = 10;

bool isReadingOrRead(FixtureControlReadState readState) {
  return readState == FixtureControlReadState::loading ||
         readState == FixtureControlReadState::loaded;
}

// Within 0 to `top`; a native colour is finite, as the store accepts no other.
double limited(double value, double top) { return std::max(std::min(value, top), 0.0); }

}  // namespace

FixtureColorController::FixtureColorController(FixtureControlStore &store,
                                               FixtureControlState state, bool canControl,
                                               std::unique_ptr<ColorCommandThrottler> commands)
    : store_(&store),
      state_(std::move(state)),
      canControl_(canControl),
      commands_(commands ? std::move(commands)
                         : std::make_unique<ColorCommandThrottler>(colorSendsPerSecond)) {
  follow();
}

bool FixtureColorController::isActive() const {
  return canControl_ && isReadingOrRead(state_.colorReadState) && state_.nativeColor.has_value();
}

void FixtureColorController::setInputs(FixtureControlState state, bool canControl) {
  state_ = std::move(state);
  canControl_ = canControl;
  follow();
}

void FixtureColorController::follow() {
  // Every baseline moves on each call, whichever reaction runs.
  const bool newSession = sessionID_.changed(store_ ? store_->sessionID() : std::nullopt);
  const bool newShow = showIdentity_.changed(store_ ? store_->showIdentity() : std::nullopt);
  const bool lostActive = isActive_.changed(isActive()) && !isActive();
  const bool newColor = nativeColor_.changed(state_.nativeColor);
  const bool readEnded = colorReadState_.changed(state_.colorReadState) &&
                         (state_.colorReadState == FixtureControlReadState::loaded ||
                          state_.colorReadState == FixtureControlReadState::failed);
  if (newSession || newShow || lostActive)
    cancel();
  else if (newColor || readEnded)
    resync();
}

QString FixtureColorController::statusText() const {
  if (isEditing_) return u"Adjusting color"_s;
  if (isAwaitingColorConfirmation_) return u"Color sent · awaiting Eos"_s;
  return u"Color readback from Eos"_s;
}

std::optional<FixtureColorController::Notice> FixtureColorController::notice() const {
  if (isReadingOrRead(state_.colorReadState) && state_.nativeColor) return std::nullopt;
  if (state_.colorReadState == FixtureControlReadState::failed)
    return Notice{u"Eos color readback is unavailable. Try reading it again."_s, true};
  return Notice{u"Reading color from Eos…"_s, false};
}

void FixtureColorController::begin() {
  if (!isActive() || isEditing_) return;
  isEditing_ = true;
  commands_->begin([store = store_, channel = state_.channel](double hue, double saturation) {
    if (store) store->sendColor(hue, saturation, channel);
  });
}

void FixtureColorController::submit(FixtureColorValue color) {
  if (!isActive()) {
    cancel();
    return;
  }
  // Outside an adjustment the throttler takes nothing.
  commands_->submit(color.hue, color.saturation);
}

void FixtureColorController::commit(FixtureColorValue color) {
  if (!isEditing_) return;
  if (!isActive()) {
    cancel();
    return;
  }
  isAwaitingColorConfirmation_ = true;
  commands_->finish(color.hue, color.saturation);
  isEditing_ = false;
  resync();
}

void FixtureColorController::step(FixtureColorValue color) {
  if (!isActive()) return;
  begin();
  color_ = color;
  submit(color);
  commit(color);
}

void FixtureColorController::cancel() {
  commands_->cancel();
  isEditing_ = false;
  isAwaitingColorConfirmation_ = false;
  resync();
}

void FixtureColorController::resync() {
  if (isEditing_) return;
  std::optional<FixtureControlState> current =
      store_ ? store_->state(state_.channel) : std::nullopt;
  if (!current) current = state_;
  // A colour the store took is read back: until the answer comes, the user's colour stands.
  if (isAwaitingColorConfirmation_ && current->colorReadState == FixtureControlReadState::loading)
    return;
  isAwaitingColorConfirmation_ = false;
  if (!current->nativeColor) return;
  color_ = {limited(current->nativeColor->hue, 360),
            limited(current->nativeColor->saturation, 100)};
}

void FixtureColorController::readColor() {
  if (store_) store_->requestColorRead(state_.channel);
}

}  // namespace tarnik
