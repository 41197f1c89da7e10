#include "operations/FixtureControlStore.h"

#include "foundation/TextRules.h"
#include "operations/SystemLevelCommandScheduler.h"

#include <utility>

namespace tarnik {

FixtureControlStore::FixtureControlStore(Closures closures, double readTimeout,
                                         double parameterReadbackSettleDelay,
                                         int maximumQueuedColorReads,
                                         std::shared_ptr<LevelCommandScheduling> timeoutScheduler,
                                         QObject *parent)
    : ObservableObject(parent),
      closures_(std::move(closures)),
      readTimeout_(readTimeout),
      parameterReadbackSettleDelay_(parameterReadbackSettleDelay),
      maximumQueuedColorReads_(maximumQueuedColorReads),
      timeoutScheduler_(timeoutScheduler ? std::move(timeoutScheduler)
                                         : std::make_shared<SystemLevelCommandScheduler>()) {}

std::optional<FixtureControlState> FixtureControlStore::state(int channel) const {
  const auto found = statesByChannel_.find(channel);
  if (found == statesByChannel_.end()) return std::nullopt;
  return found->second;
}

bool FixtureControlStore::hasActiveSession() const {
  return sessionID_ && showIdentity_ && !showIdentity_->isEmpty();
}

void FixtureControlStore::updateSession(const std::optional<QUuid> &sessionID,
                                        const QString &showIdentity) {
  const QString trimmed = trimmedText(showIdentity);
  if (trimmed.isEmpty()) {
    resetSession();
    return;
  }
  // The same session and show: requests in flight and their timers carry on.
  if (sessionID == sessionID_ && showIdentity_ == trimmed) return;
  clearRequestBookkeeping();
  publish(sessionID_, sessionID, &FixtureControlStore::sessionIDChanged);
  publish(showIdentity_, trimmed, &FixtureControlStore::showIdentityChanged);
  publish(statesByChannel_, std::map<int, FixtureControlState>{},
          &FixtureControlStore::statesByChannelChanged);
}

void FixtureControlStore::resetSession() {
  clearRequestBookkeeping();
  publish(sessionID_, std::nullopt, &FixtureControlStore::sessionIDChanged);
  publish(showIdentity_, std::nullopt, &FixtureControlStore::showIdentityChanged);
  publish(statesByChannel_, std::map<int, FixtureControlState>{},
          &FixtureControlStore::statesByChannelChanged);
}

void FixtureControlStore::clearRequestBookkeeping() {
  for (auto &[key, action] : std::exchange(readTimeoutActions_, {})) retire(std::move(action));
  for (auto &[channel, action] : std::exchange(parameterSettleActions_, {}))
    retire(std::move(action));
  parameterMutationGenerations_.clear();
  parameterConfirmationGenerations_.clear();
  parameterConfirmationRemaining_.clear();
  confirmationGenerationByRequest_.clear();
  requestsInFlight_.clear();
  needsLatestReadback_.clear();
  retire(std::move(colorReadTimeoutAction_));
  colorReadInFlight_.reset();
  colorReadOperationID_.reset();
  colorReadQueue_.clear();
  queuedColorReads_.clear();
  needsLatestColorReadback_.clear();
}

FixtureControlState FixtureControlStore::stateOrEmpty(int channel) const {
  return state(channel).value_or(FixtureControlState::empty(channel));
}

void FixtureControlStore::storeState(FixtureControlState state) {
  announce();
  const int channel = state.channel;
  statesByChannel_.insert_or_assign(channel, std::move(state));
  emit statesByChannelChanged();
}

bool FixtureControlStore::hasPendingValues(int channel) const {
  const auto found = statesByChannel_.find(channel);
  return found != statesByChannel_.end() && !found->second.pendingParameterValues.empty();
}

bool FixtureControlStore::sameSession(const std::optional<QUuid> &sessionID,
                                      const QString &showIdentity) const {
  return sessionID_ == sessionID && showIdentity_ == showIdentity;
}

std::function<void()> FixtureControlStore::timerAction(
    std::function<void(FixtureControlStore &)> handler) {
  return [store = QPointer(this), handler = std::move(handler)] {
    if (!store) return;
    // Whatever earlier actions retired has finished running by now.
    store->retiredActions_.clear();
    ++store->runningTimerActions_;
    handler(*store);
    if (store) --store->runningTimerActions_;
  };
}

void FixtureControlStore::retire(Action action) {
  if (!action) return;
  action->cancel();
  if (runningTimerActions_ > 0)
    retiredActions_.push_back(std::move(action));
  else
    retiredActions_.clear();
}

bool FixtureControlStore::mayControl() const {
  return closures_.canControl && closures_.canControl();
}

// Park and unpark.

bool FixtureControlStore::park(int channel) {
  return requestPark(channel, FixtureParkAction::park);
}

bool FixtureControlStore::unpark(int channel) {
  return requestPark(channel, FixtureParkAction::unpark);
}

bool FixtureControlStore::requestPark(int channel, FixtureParkAction action) {
  const FixtureParkState proven =
      action == FixtureParkAction::park ? FixtureParkState::unparked() : FixtureParkState::parked();
  if (channel < 1 || !hasActiveSession()) return false;
  const std::optional<FixtureControlState> current = state(channel);
  if (!current || current->parkState != proven) return false;
  if (!mayControl() || !closures_.parkRequest) return false;
  setParkState(FixtureParkState::pending(action), channel);
  const bool accepted = closures_.parkRequest(channel, action);
  // The request may already have settled the state (a failure reported at once); that
  // outcome stands.
  const std::optional<FixtureControlState> after = state(channel);
  if (after && after->parkState == FixtureParkState::pending(action))
    setParkState(accepted ? FixtureParkState::sentUnverified(action) : proven, channel);
  return accepted;
}

bool FixtureControlStore::applyParkedChannels(const std::set<int> &parked,
                                              const std::set<int> &channels, const QUuid &sessionID,
                                              const QString &showIdentity) {
  if (!hasActiveSession() || !sameSession(sessionID, trimmedText(showIdentity))) return false;
  for (const int channel : parked)
    if (!channels.contains(channel)) return false;
  if (!channels.empty() && *channels.begin() < 1) return false;
  announce();
  for (const int channel : channels) {
    FixtureControlState changed = stateOrEmpty(channel);
    changed.parkState =
        parked.contains(channel) ? FixtureParkState::parked() : FixtureParkState::unparked();
    statesByChannel_.insert_or_assign(channel, std::move(changed));
  }
  emit statesByChannelChanged();
  return true;
}

bool FixtureControlStore::resetPendingPark(int channel, FixtureParkAction action,
                                           const QUuid &sessionID, const QString &showIdentity) {
  if (!hasActiveSession() || !sameSession(sessionID, trimmedText(showIdentity))) return false;
  const std::optional<FixtureControlState> current = state(channel);
  if (!current || (current->parkState != FixtureParkState::pending(action) &&
                   current->parkState != FixtureParkState::sentUnverified(action)))
    return false;
  setParkState(FixtureParkState::unknown(), channel);
  return true;
}

void FixtureControlStore::setParkState(FixtureParkState parkState, int channel) {
  FixtureControlState changed = stateOrEmpty(channel);
  changed.parkState = parkState;
  storeState(std::move(changed));
}

}  // namespace tarnik
