#include "app/AppViewModel.h"
#include "model/ShowIdentity.h"
#include "operations/EosOSCAddress.h"

#include <QPointer>

using namespace Qt::StringLiterals;

// The fixture-control store and the gates it asks through its closures. The store never
// touches a connection: every request comes back here, where the model decides whether
// the console may be asked and routes it to the Live-control or park session.

namespace tarnik {

void AppViewModel::makeFixtureControls(Arguments &arguments) {
  makeParkSession_ = arguments.makeParkSession ? std::move(arguments.makeParkSession) : [] {
    return std::make_unique<EosParkSession>(EosIsolatedSession::Options{});
  };
  makeLiveControlSession_ =
      arguments.makeLiveControlSession ? std::move(arguments.makeLiveControlSession) : [] {
        return std::make_unique<EosLiveControlSession>(EosIsolatedSession::Options{});
      };

  // The closures must not keep a model alive nor reach one that is gone.
  const QPointer<AppViewModel> model(this);
  FixtureControlStore::Closures closures{
      .querySender =
          [model](const OSCMessage &message) {
            return model && model->isShowDataCurrent() && model->oscManager_->isConnected() &&
                   model->liveControlSession_ && model->liveControlSession_->sendQuery(message);
          },
      .colorQuerySender =
          [model](int channel) {
            return model && model->isFixtureControlReady_ && model->isShowDataCurrent() &&
                   model->oscManager_->isConnected() && model->liveControlSession_ &&
                   model->liveControlSession_->readColor(channel);
          },
      .mutationSender =
          [model](const OSCMessage &message) {
            return model && model->sendFixtureMutation(message);
          },
      .canControl =
          [model] { return model && model->canControlFixtures() && model->isFixtureControlReady_; },
      .parkRequest =
          [model](int channel, FixtureParkAction action) {
            return model && model->parkChannel(channel, action);
          },
      .onReadTimeout =
          [model](int channel) {
            if (model)
              model->fixtureDetailTimedOut(u"Fixture "_s + QString::number(channel) +
                                           u" detail response timed out"_s);
          },
  };
  fixtureControls_ = std::make_unique<FixtureControlStore>(
      std::move(closures), FixtureControlStore::defaultReadTimeout,
      FixtureControlStore::defaultParameterReadbackSettleDelay,
      FixtureControlStore::defaultMaximumQueuedColorReads,
      std::move(arguments.fixtureControlScheduler));
  // Screens that observe the model see the store's changes as the model's, at once.
  QObject::connect(fixtureControls_.get(), &ObservableObject::objectWillChange, this,
                   [this] { announce(); });
}

bool AppViewModel::canControlFixtures() const {
  return interactionMode() != InteractionMode::viewer && oscManager_->isConnected() &&
         isConsoleReachable_ && isShowDataCurrent();
}

bool AppViewModel::hasFreshMatchedPing() const {
  const std::optional<double> arrival = oscManager_->lastPingResponseUptime();
  return oscManager_->lastPingResponse() && arrival &&
         timing_->uptime() - *arrival <= pingFreshness;
}

bool AppViewModel::runIsCurrent(const FixtureRun &run, const QUuid &operationID) const {
  return operationID == run.operationID && sessionID_ == run.sessionID &&
         isSameShow(knownLiveShowIdentity_, run.showIdentity);
}

OSCTCPFraming AppViewModel::sessionFraming() const {
  return activeConnectionSettings_ ? activeConnectionSettings_->tcpFraming
                                   : oscManager_->tcpFraming;
}

bool AppViewModel::sendFixtureMutation(const OSCMessage &message) {
  const QString label = u"Fixture control "_s + message.address;
  if (!isFixtureControlReady_ || pendingPatchWrite_) return false;
  if (!releaseOwnedFlash(label) || !ensureControlAllowed(label, true)) return false;
  if (!liveControlSession_ || !EosOSCAddress::parseChannelHueSaturation(message)) return false;
  switch (liveControlSession_->flashState().stage) {
    case EosLiveControlSession::FlashState::Stage::idle:
      break;
    case EosLiveControlSession::FlashState::Stage::active:
      // The write would land under the flash; ending the flash is this write's effect.
      liveControlSession_->releaseIdentify();
      return false;
    case EosLiveControlSession::FlashState::Stage::awaitingAcknowledgement:
    case EosLiveControlSession::FlashState::Stage::awaitingRelease:
      return false;
  }
  if (!liveControlSession_->send(message)) return false;
  commandSent(label);
  return true;
}

bool AppViewModel::parkChannel(int channel, FixtureParkAction action) {
  if (!canControlFixtures() || pendingPatchWrite_) return false;
  const bool patched = std::ranges::any_of(
      channels_, [channel](const Channel &candidate) { return candidate.number == channel; });
  if (!patched) return false;
  const QString label = action == FixtureParkAction::park ? u"Park channel"_s : u"Unpark channel"_s;
  return ensureControlAllowed(label, true) && refreshParkedChannels(channel, action);
}

void AppViewModel::fixtureDetailTimedOut(const QString &text) {
  reportLiveControlsUnavailable(text);
}

}  // namespace tarnik
