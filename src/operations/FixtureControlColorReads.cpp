#include "operations/FixtureControlStore.h"

#include <cmath>
#include <utility>

namespace tarnik {

bool FixtureControlStore::requestColorRead(int channel) {
  if (channel < 1 || !hasActiveSession()) return false;
  const std::optional<FixtureControlState> current = state(channel);
  if (!current || !current->hasAdjustableColorEmitters()) return false;
  if (!closures_.colorQuerySender) {
    setColorReadState(FixtureControlReadState::failed, channel);
    return false;
  }
  setColorReadState(FixtureControlReadState::loading, channel);
  if (colorReadInFlight_ == channel) {
    // The read under way may predate the change that prompted this request.
    needsLatestColorReadback_.insert(channel);
    return true;
  }
  if (queuedColorReads_.contains(channel)) return true;
  if (!colorReadInFlight_) {
    if (startColorRead(channel)) return true;
    startNextColorRead();
    return false;
  }
  if (std::ssize(colorReadQueue_) < maximumQueuedColorReads_) {
    colorReadQueue_.push_back(channel);
    queuedColorReads_.insert(channel);
    return true;
  }
  setColorReadState(FixtureControlReadState::failed, channel);
  return false;
}

bool FixtureControlStore::startColorRead(int channel) {
  const std::optional<FixtureControlState> current = state(channel);
  if (colorReadInFlight_ || !hasActiveSession() || !closures_.colorQuerySender || !current ||
      !current->hasAdjustableColorEmitters()) {
    setColorReadState(FixtureControlReadState::failed, channel);
    return false;
  }
  const QUuid operationID = QUuid::createUuid();
  colorReadInFlight_ = channel;
  colorReadOperationID_ = operationID;
  setColorReadState(FixtureControlReadState::loading, channel);
  armColorReadTimeout(channel, operationID);
  if (closures_.colorQuerySender(channel)) return true;
  // A newer read that took over meanwhile is left alone.
  if (colorReadInFlight_ == channel && colorReadOperationID_ == operationID) {
    retire(std::move(colorReadTimeoutAction_));
    colorReadInFlight_.reset();
    colorReadOperationID_.reset();
    setColorReadState(FixtureControlReadState::failed, channel);
  }
  return false;
}

void FixtureControlStore::startNextColorRead() {
  while (!colorReadInFlight_ && !colorReadQueue_.empty()) {
    const int channel = colorReadQueue_.front();
    colorReadQueue_.pop_front();
    queuedColorReads_.erase(channel);
    if (startColorRead(channel)) return;
  }
}

void FixtureControlStore::requeueColorRead(int channel) {
  if (queuedColorReads_.contains(channel) || colorReadInFlight_ == channel) return;
  if (std::ssize(colorReadQueue_) < maximumQueuedColorReads_) {
    colorReadQueue_.push_back(channel);
    queuedColorReads_.insert(channel);
    setColorReadState(FixtureControlReadState::loading, channel);
  } else {
    setColorReadState(FixtureControlReadState::failed, channel);
  }
}

void FixtureControlStore::armColorReadTimeout(int channel, const QUuid &operationID) {
  if (!sessionID_ || !showIdentity_) return;
  retire(std::move(colorReadTimeoutAction_));
  const std::optional<QUuid> sessionID = sessionID_;
  const QString showIdentity = *showIdentity_;
  colorReadTimeoutAction_ = timeoutScheduler_->schedule(
      readTimeout_,
      timerAction([sessionID, showIdentity, channel, operationID](FixtureControlStore &store) {
        if (store.sameSession(sessionID, showIdentity))
          store.handleColorReadTimeout(channel, operationID);
      }));
}

void FixtureControlStore::handleColorReadTimeout(int channel, const QUuid &operationID) {
  if (colorReadInFlight_ != channel || colorReadOperationID_ != operationID) return;
  resetSession();
  if (closures_.onReadTimeout) closures_.onReadTimeout(channel);
}

bool FixtureControlStore::completeColorRead(int channel, double hue, double saturation) {
  if (!hasActiveSession() || colorReadInFlight_ != channel || !colorReadOperationID_) return false;
  retire(std::move(colorReadTimeoutAction_));
  colorReadInFlight_.reset();
  colorReadOperationID_.reset();
  // Written so that NaN fails every test.
  const bool accepted = hue >= 0 && hue <= 360 && saturation >= 0 && saturation <= 100;
  if (accepted) {
    FixtureControlState changed = stateOrEmpty(channel);
    changed.nativeColor = FixtureColorValue{hue, saturation};
    changed.colorReadState = FixtureControlReadState::loaded;
    storeState(std::move(changed));
  } else {
    setColorReadState(FixtureControlReadState::failed, channel);
  }
  if (needsLatestColorReadback_.erase(channel) > 0) requeueColorRead(channel);
  startNextColorRead();
  return accepted;
}

void FixtureControlStore::setColorReadState(FixtureControlReadState readState, int channel) {
  FixtureControlState changed = stateOrEmpty(channel);
  changed.colorReadState = readState;
  storeState(std::move(changed));
}

}  // namespace tarnik
