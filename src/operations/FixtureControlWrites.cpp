#include "foundation/TextRules.h"
#include "operations/EosOSCAddress.h"
#include "operations/FixtureControlStore.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tarnik {

bool FixtureControlStore::sendParameterValue(double value, const QString &name, int channel) {
  if (!std::isfinite(value) || !hasActiveSession() || channel < 1) return false;
  const std::optional<FixtureControlState> current = state(channel);
  if (!current || current->parameters.empty() ||
      (current->parameterReadState != FixtureControlReadState::loading &&
       current->parameterReadState != FixtureControlReadState::loaded))
    return false;
  const auto parameter =
      std::ranges::find(current->parameters, name, &FixtureControlParameter::name);
  // Outside the range the console reported is refused, never clamped: the user would see one
  // value and the fixture get another.
  if (parameter == current->parameters.end() || !parameter->isAdjustable() ||
      value < parameter->minimum || value > parameter->maximum)
    return false;
  const QString trimmed = trimmedText(parameter->name);
  if (trimmed.isEmpty() || containsControlCharacter(trimmed)) return false;
  // The range arrived as 32-bit floats, so a value inside it always fits one.
  const OSCMessage message{
      EosOSCAddress::channel(channel) + QStringLiteral("/param/") + escapedParameterName(trimmed),
      {OSCArgument::fromFloat(static_cast<float>(value))}};
  if (!mayControl() || !closures_.mutationSender || !closures_.mutationSender(message))
    return false;
  recordMutation(channel, parameter->name, value);
  return true;
}

void FixtureControlStore::recordMutation(int channel, const QString &name, double value) {
  const int generation = ++parameterMutationGenerations_[channel];
  // A confirmation read still running now speaks for an older write.
  parameterConfirmationGenerations_.erase(channel);
  parameterConfirmationRemaining_.erase(channel);
  if (const auto settle = parameterSettleActions_.find(channel);
      settle != parameterSettleActions_.end()) {
    Action action = std::move(settle->second);
    parameterSettleActions_.erase(settle);
    retire(std::move(action));
  }
  FixtureControlState changed = stateOrEmpty(channel);
  changed.pendingParameterValues.insert_or_assign(name, value);
  storeState(std::move(changed));
  if (anyRequestInFlight(channel)) needsLatestReadback_.insert(channel);
  // A drag writes many times; only the last write of a burst is read back.
  const std::optional<QUuid> sessionID = sessionID_;
  const std::optional<QString> showIdentity = showIdentity_;
  parameterSettleActions_[channel] = timeoutScheduler_->schedule(
      parameterReadbackSettleDelay_,
      timerAction([sessionID, showIdentity, channel, generation](FixtureControlStore &store) {
        if (store.sessionID_ == sessionID && store.showIdentity_ == showIdentity)
          store.handleSettle(channel, generation);
      }));
}

void FixtureControlStore::handleSettle(int channel, int generation) {
  const auto current = parameterMutationGenerations_.find(channel);
  if (current == parameterMutationGenerations_.end() || current->second != generation ||
      !hasPendingValues(channel))
    return;
  // This action is the one running: its handle leaves the map.
  if (const auto settle = parameterSettleActions_.find(channel);
      settle != parameterSettleActions_.end()) {
    Action action = std::move(settle->second);
    parameterSettleActions_.erase(settle);
    retire(std::move(action));
  }
  if (anyRequestInFlight(channel)) {
    // The reply awaited now starts the confirmation read once it arrives.
    needsLatestReadback_.insert(channel);
    return;
  }
  needsLatestReadback_.erase(channel);
  startConfirmationRead(channel, generation);
}

void FixtureControlStore::startConfirmationRead(int channel, int generation) {
  const auto current = parameterMutationGenerations_.find(channel);
  if (current == parameterMutationGenerations_.end() || current->second != generation ||
      !hasPendingValues(channel))
    return;
  parameterConfirmationGenerations_[channel] = generation;
  parameterConfirmationRemaining_[channel] = {RequestKind::parameters, RequestKind::emitters};
  if (!sendQuery(channel, generation)) abandonConfirmation(channel, generation);
}

void FixtureControlStore::recordConfirmation(int channel, RequestKind kind,
                                             std::optional<int> generation) {
  if (!generation) return;
  const auto confirming = parameterConfirmationGenerations_.find(channel);
  const auto written = parameterMutationGenerations_.find(channel);
  if (confirming == parameterConfirmationGenerations_.end() || confirming->second != *generation ||
      written == parameterMutationGenerations_.end() || written->second != *generation)
    return;
  const auto remaining = parameterConfirmationRemaining_.find(channel);
  if (remaining == parameterConfirmationRemaining_.end()) return;
  remaining->second.erase(kind);
  if (!remaining->second.empty()) return;
  // Both lists of this very write are in: what they hold is now the console's word.
  parameterConfirmationGenerations_.erase(channel);
  parameterConfirmationRemaining_.erase(channel);
  FixtureControlState changed = stateOrEmpty(channel);
  changed.pendingParameterValues.clear();
  changed.parameterReadState = FixtureControlReadState::loaded;
  changed.emitterReadState = FixtureControlReadState::loaded;
  storeState(std::move(changed));
}

void FixtureControlStore::abandonConfirmation(int channel, std::optional<int> generation) {
  const auto confirming = parameterConfirmationGenerations_.find(channel);
  if (!generation || confirming == parameterConfirmationGenerations_.end() ||
      confirming->second != *generation)
    return;
  parameterConfirmationGenerations_.erase(channel);
  parameterConfirmationRemaining_.erase(channel);
  needsLatestReadback_.erase(channel);
  // Unproven values must not linger as if they were on their way to being confirmed.
  FixtureControlState changed = stateOrEmpty(channel);
  changed.pendingParameterValues.clear();
  storeState(std::move(changed));
}

bool FixtureControlStore::sendColor(double hue, double saturation, int channel) {
  if (channel < 1 || !hasActiveSession()) return false;
  // Written so that NaN fails every test.
  if (!(hue >= 0 && hue <= 360 && saturation >= 0 && saturation <= 100)) return false;
  const std::optional<FixtureControlState> current = state(channel);
  if (!current || !current->hasAdjustableColorEmitters()) return false;
  const OSCMessage message{EosOSCAddress::channel(channel) + QStringLiteral("/color/hs"),
                           {OSCArgument::fromFloat(static_cast<float>(hue)),
                            OSCArgument::fromFloat(static_cast<float>(saturation))}};
  if (!mayControl() || !closures_.mutationSender || !closures_.mutationSender(message))
    return false;
  // A colour has no pending value of its own: the native colour read proves it.
  requestLatestReadback(channel);
  return true;
}

}  // namespace tarnik
