#include "app/AppViewModel.h"

#include "app/SystemAppTiming.h"

#include <algorithm>

namespace tarnik {

namespace {

// NaN fails the comparison and so takes the floor as well.
double clampedTimeLimit(double seconds) { return seconds >= 0.01 ? seconds : 0.01; }

}  // namespace

AppViewModel::AppViewModel(Arguments arguments, QObject *parent)
    : ObservableObject(parent),
      defaults_(arguments.defaults),
      startNetworkingOnInit_(arguments.startNetworkingOnInit),
      syncTimeout_(clampedTimeLimit(arguments.syncTimeout)),
      directPatchReadTimeout_(clampedTimeLimit(arguments.directPatchReadTimeout)),
      reconnectBaseDelay_(clampedTimeLimit(arguments.reconnectBaseDelay)),
      maximumReconnectAttempts_(std::max(arguments.maximumReconnectAttempts, 1)),
      timing_(arguments.timing ? std::move(arguments.timing) : std::make_shared<SystemAppTiming>()),
      oscManager_(arguments.oscManager ? std::move(arguments.oscManager)
                                       : std::make_unique<OSCManager>(8.0, 5.0)),
      storeRelayKey_(arguments.storeRelayKey
                         ? std::move(arguments.storeRelayKey)
                         : StoreRelayKey(&TarnikRelaySecurity::storePairingCode)),
      loadRelayKey_(arguments.loadRelayKey ? std::move(arguments.loadRelayKey)
                                           : LoadRelayKey(&TarnikRelaySecurity::loadPairingCode)),
      makeConnectionTestManager_(arguments.makeConnectionTestManager
                                     ? std::move(arguments.makeConnectionTestManager)
                                     : ConnectionTestManagerFactory(
                                           [] { return std::make_unique<OSCManager>(8.0, 5.0); })),
      makePatchCommandSession_(
          arguments.makePatchCommandSession ? std::move(arguments.makePatchCommandSession) : [] {
            return std::make_unique<EosPatchCommandSession>(EosPatchCommandSession::Options{});
          }) {
  Q_ASSERT(defaults_);
  // Ping replies are aged on this model's clock, so the connection stamps them on it too.
  oscManager_->setPingReplyClock([timing = timing_] { return timing->uptime(); });
  // The order matters: the profiles decide whether older settings are carried over, and
  // the selected profile, once known, overrides what the individual keys said.
  readStoredConnectionSettings();
  loadConnectionProfiles();
  applySelectedConnectionProfile();
  loadSavedShowFiles();
  subscribeToConnectionReplies();
  makeFixtureControls(arguments);
  // From here on the model reaches out: the subscriptions to the connection and the
  // fixture-control store, then, only with networking started at once, discovery, the
  // heartbeat and the restore of the last connection, in that order. Until then nothing
  // opens a socket.
  bindConnectionState();
  if (!startNetworkingOnInit_) return;
  oscManager_->startDiscovery();
  startHeartbeatTimer();
  restoreLastConnectedProfile();
}

AppViewModel::~AppViewModel() { storeWaitingSavedShowsNow(); }

void AppViewModel::setConsoleIP(const QString &value) {
  publish(consoleIP_, value, &AppViewModel::consoleIPChanged);
}

void AppViewModel::setConsoleName(const QString &value) {
  publish(consoleName_, value, &AppViewModel::consoleNameChanged);
}

void AppViewModel::setCustomSendPort(const QString &value) {
  publish(customSendPort_, value, &AppViewModel::customSendPortChanged);
}

void AppViewModel::setCustomListenPort(const QString &value) {
  publish(customListenPort_, value, &AppViewModel::customListenPortChanged);
}

void AppViewModel::setConnectionTransport(OSCTransport value) {
  publish(connectionTransport_, value, &AppViewModel::connectionTransportChanged);
}

void AppViewModel::setTcpFraming(OSCTCPFraming value) {
  publish(tcpFraming_, value, &AppViewModel::tcpFramingChanged);
}

void AppViewModel::setUsesMacRelay(bool value) {
  publish(usesMacRelay_, value, &AppViewModel::usesMacRelayChanged);
}

void AppViewModel::setRelayPairingCode(const QString &value) {
  publish(relayPairingCode_, value, &AppViewModel::relayPairingCodeChanged);
}

void AppViewModel::setSelectedConnectionProfileID(const std::optional<QUuid> &value) {
  publish(selectedConnectionProfileID_, value, &AppViewModel::selectedConnectionProfileIDChanged);
  persistSelectedConnectionProfileID();
}

void AppViewModel::setInteractionMode(InteractionMode value) {
  publish(interactionMode_, value, &AppViewModel::interactionModeChanged);
  persistInteractionMode();
}

}  // namespace tarnik
