#include "app/FixtureControl.h"

#include "model/ShowIdentity.h"
#include "operations/EosOSCAddress.h"

#include <QPointer>

using namespace Qt::StringLiterals;

// The fixture-control store and the gate it asks through its closures. The store never
// touches a connection: every request comes back here, where the gate decides whether
// the console may be asked and the request goes to the Live-control or park session.

namespace tarnik {

FixtureControl::FixtureControl(const ConsoleSession &session, ControlGate &gate,
                               const ShowMirror &mirror, const PatchWrite &patchWrite,
                               const ConnectionSupervisor &supervisor,
                               ParkSessionFactory makeParkSession,
                               LiveControlSessionFactory makeLiveControlSession,
                               std::shared_ptr<LevelCommandScheduling> scheduler,
                               bool startNetworking, QObject *parent)
    : ObservableObject(parent),
      session_(session),
      gate_(gate),
      mirror_(mirror),
      patchWrite_(patchWrite),
      supervisor_(supervisor),
      startNetworking_(startNetworking),
      makeParkSession_(
          makeParkSession
              ? std::move(makeParkSession)
              : [] { return std::make_unique<EosParkSession>(EosIsolatedSession::Options{}); }),
      makeLiveControlSession_(makeLiveControlSession ? std::move(makeLiveControlSession) : [] {
        return std::make_unique<EosLiveControlSession>(EosIsolatedSession::Options{});
      }) {
  // The closures must not keep this alive nor reach it once it is gone.
  const QPointer<FixtureControl> control(this);
  FixtureControlStore::Closures closures{
      .querySender =
          [control](const OSCMessage &message) {
            return control && control->gate_.isShowDataCurrent() &&
                   control->gate_.isMainConnectionReady() && control->liveControlSession_ &&
                   control->liveControlSession_->sendQuery(message);
          },
      .colorQuerySender =
          [control](int channel) {
            return control && control->isFixtureControlReady_ &&
                   control->gate_.isShowDataCurrent() && control->gate_.isMainConnectionReady() &&
                   control->liveControlSession_ && control->liveControlSession_->readColor(channel);
          },
      .mutationSender =
          [control](const OSCMessage &message) {
            return control && control->sendFixtureMutation(message);
          },
      .canControl =
          [control] {
            return control && control->gate_.canControlFixtures() &&
                   control->isFixtureControlReady_;
          },
      .parkRequest =
          [control](int channel, FixtureParkAction action) {
            return control && control->parkChannel(channel, action);
          },
      .onReadTimeout =
          [control](int channel) {
            if (control)
              control->reportLiveControlsUnavailable(u"Fixture "_s + QString::number(channel) +
                                                     u" detail response timed out"_s);
          },
  };
  store_ = std::make_unique<FixtureControlStore>(
      std::move(closures), FixtureControlStore::defaultReadTimeout,
      FixtureControlStore::defaultParameterReadbackSettleDelay,
      FixtureControlStore::defaultMaximumQueuedColorReads, std::move(scheduler));
  // Whoever observes fixture control sees the store's changes as its own, at once.
  QObject::connect(store_.get(), &ObservableObject::objectWillChange, this, [this] { announce(); });
}

std::set<int> FixtureControl::patchedChannels() const {
  std::set<int> patched;
  for (const Channel &channel : mirror_.channels()) patched.insert(int(channel.number));
  return patched;
}

bool FixtureControl::runIsCurrent(const FixtureRun &run, const QUuid &operationID) const {
  return operationID == run.operationID && session_.id == run.sessionID &&
         isSameShow(session_.liveShowIdentity, run.showIdentity);
}

void FixtureControl::bindStore(const QUuid &sessionID, const QString &showIdentity) {
  store_->updateSession(sessionID, showIdentity);
}

bool FixtureControl::sendFixtureMutation(const OSCMessage &message) {
  const QString label = u"Fixture control "_s + message.address;
  if (!isFixtureControlReady_ || patchWrite_.isPending()) return false;
  if (!gate_.releaseOwnedFlash(label) || !gate_.ensureControlAllowed(label, true)) return false;
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
  gate_.commandSent(label);
  return true;
}

bool FixtureControl::parkChannel(int channel, FixtureParkAction action) {
  if (!gate_.canControlFixtures() || patchWrite_.isPending()) return false;
  if (!patchedChannels().contains(channel)) return false;
  const QString label = action == FixtureParkAction::park ? u"Park channel"_s : u"Unpark channel"_s;
  return gate_.ensureControlAllowed(label, true) && refreshParkedChannels(channel, action);
}

void FixtureControl::resetParkState() {
  // A late completion of the old park session is recognised as stale by this identity.
  parkOperationID_ = QUuid::createUuid();
  // Its completion now finds a different identity and changes nothing.
  if (const auto session = std::move(parkSession_))
    session->finish(u"The park observer session was canceled."_s);
  publish(isRefreshingParkedChannels_, false, &FixtureControl::isRefreshingParkedChannelsChanged);
  publish(parkStatusMessage_, u"Park status not checked"_s,
          &FixtureControl::parkStatusMessageChanged);
}

void FixtureControl::resetLiveControls() {
  // Finished without a failure text, so nothing reports it.
  if (liveControlSession_) {
    liveControlSession_->releaseFlashOnReset();
    liveControlSession_->finish();
  }
  liveControlSession_.reset();
  liveControlOperationID_ = QUuid::createUuid();
  publish(isFixtureControlReady_, false, &FixtureControl::isFixtureControlReadyChanged);
  publish(fixtureControlStatus_, u"Live controls are offline"_s,
          &FixtureControl::fixtureControlStatusChanged);
  store_->resetSession();
}

}  // namespace tarnik
