#include "app/AppViewModel.h"
#include "model/ShowIdentity.h"

using namespace Qt::StringLiterals;

// What fixture control asks of the model: the gates of the main connection and the show,
// and the route its side sessions take, the patch write's session too. Identify stays here
// because the model counts it among the commands it sent.

namespace tarnik {

namespace {

constexpr double identifyDuration = 3.0;  // seconds

}  // namespace

bool AppViewModel::canControlFixtures() const {
  return interactionMode() != InteractionMode::viewer && oscManager_->isConnected() &&
         isConsoleReachable() && isShowDataCurrent();
}

bool AppViewModel::hasFreshMatchedPing() const {
  const std::optional<double> arrival = oscManager_->lastPingResponseUptime();
  return oscManager_->lastPingResponse() && arrival &&
         timing_->uptime() - *arrival <= pingFreshness;
}

bool AppViewModel::isMainConnectionReady() const { return oscManager_->isConnected(); }

bool AppViewModel::isViewer() const { return interactionMode() == InteractionMode::viewer; }

bool AppViewModel::isPatchWritePending() const { return patchWrite_->isPending(); }

std::optional<FixtureControl::Route> AppViewModel::sideSessionRoute() const {
  if (oscManager_->transport != OSCTransport::tcp) return std::nullopt;
  return consoleRoute();
}

std::optional<SideSessionRoute> AppViewModel::consoleRoute() const {
  const std::optional<OSCEndpoint> &endpoint = activeConsoleEndpoint();
  if (!endpoint) return std::nullopt;
  return SideSessionRoute{*endpoint, supervisor_->sessionFraming(), supervisor_->activeRelayKey()};
}

bool AppViewModel::allowsControl(const QString &action) {
  return ensureControlAllowed(action, true);
}

std::set<int> AppViewModel::patchedChannels() const {
  std::set<int> patched;
  for (const Channel &channel : channels()) patched.insert(int(channel.number));
  return patched;
}

void AppViewModel::sideSessionFoundAnotherShow(const QString &text) { handleConnectionLoss(text); }

void AppViewModel::identifyFixture(const Channel &channel) {
  if (!isFixtureControlReady() || patchWrite_->isPending()) return;
  if (!ensureControlAllowed(u"Identify fixture"_s, true)) return;
  if (!fixtureControl_->identify(int(channel.number), identifyDuration)) return;
  patchWrite_->noteMutation();
  recordCommandHistory(u"Identify channel "_s + QString::number(channel.number), u"Sent"_s);
}

}  // namespace tarnik
