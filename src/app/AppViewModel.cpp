#include "app/AppViewModel.h"

#include "app/SystemAppTiming.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

// NaN fails the comparison and so takes the floor as well.
double clampedTimeLimit(double seconds) { return seconds >= 0.01 ? seconds : 0.01; }

SettingsStore &required(SettingsStore *defaults) {
  Q_ASSERT(defaults);
  return *defaults;
}

}  // namespace

AppViewModel::AppViewModel(Arguments arguments, QObject *parent)
    : ObservableObject(parent),
      startNetworkingOnInit_(arguments.startNetworkingOnInit),
      timing_(arguments.timing ? std::move(arguments.timing) : std::make_shared<SystemAppTiming>()),
      connectionForm_(std::make_unique<ConnectionForm>(required(arguments.defaults),
                                                       std::move(arguments.storeRelayKey),
                                                       std::move(arguments.loadRelayKey))),
      connectionTester_(std::make_unique<ConnectionTester>(
          timing_, std::move(arguments.makeConnectionTestManager))),
      commandLine_(std::make_unique<ConsoleCommandLine>(timing_)),
      savedShows_(std::make_unique<SavedShowStore>(*arguments.defaults)),
      oscManager_(arguments.oscManager ? std::move(arguments.oscManager)
                                       : std::make_unique<OSCManager>(8.0, 5.0)),
      supervisor_(std::make_unique<ConnectionSupervisor>(
          *oscManager_, timing_, *connectionForm_,
          static_cast<ConnectionSupervisor::Session &>(*this),
          ConnectionSupervisor::Limits{
              .maximumReconnectAttempts = std::max(arguments.maximumReconnectAttempts, 1),
              .reconnectBaseDelay = clampedTimeLimit(arguments.reconnectBaseDelay)})),
      mirror_(std::make_unique<ShowMirror>(*oscManager_, timing_, session_,
                                           supervisor_->reconnectFailureStatus(),
                                           clampedTimeLimit(arguments.syncTimeout),
                                           clampedTimeLimit(arguments.directPatchReadTimeout))),
      flash_(std::make_unique<IdentifyFlash>(*oscManager_, session_, *commandLine_)),
      gate_(std::make_unique<ControlGate>(*oscManager_, timing_, *connectionForm_, *supervisor_,
                                          *mirror_, *commandLine_, *flash_)),
      patchWrite_(std::make_unique<PatchWrite>(timing_, session_, *mirror_, *gate_, *supervisor_,
                                               *commandLine_,
                                               std::move(arguments.makePatchCommandSession))),
      fixtureControl_(std::make_unique<FixtureControl>(
          session_, *gate_, *mirror_, *patchWrite_, *supervisor_,
          std::move(arguments.makeParkSession), std::move(arguments.makeLiveControlSession),
          std::move(arguments.fixtureControlScheduler), startNetworkingOnInit_)) {
  // Ping replies are aged on this model's clock, so the connection stamps them on it too.
  oscManager_->setPingReplyClock([timing = timing_] { return timing->uptime(); });
  forwardPartSignals();
  connectShowMirrorSteps();
  subscribeToConnectionReplies();
  // From here on the model reaches out: the subscriptions to the connection and the
  // fixture-control store, then, only with networking started at once, discovery, the
  // heartbeat and the restore of the last connection, in that order. Until then nothing
  // opens a socket.
  supervisor_->bindConnectionState();
  if (!startNetworkingOnInit_) return;
  oscManager_->startDiscovery();
  startHeartbeatTimer();
  restoreLastConnectedProfile();
}

AppViewModel::~AppViewModel() = default;

void AppViewModel::connectShowMirrorSteps() {
  ShowMirror *mirror = mirror_.get();
  PatchWrite *patch = patchWrite_.get();
  ConnectionSupervisor *supervisor = supervisor_.get();
  // What was started on the old data goes when a sync starts or the show stops counting as
  // current.
  const auto resetFixtureSessions = [this] {
    resetParkState();
    resetLiveControls();
  };
  QObject::connect(mirror, &ShowMirror::syncStarting, this, resetFixtureSessions);
  QObject::connect(mirror, &ShowMirror::completedSyncInvalidated, this, resetFixtureSessions);
  QObject::connect(mirror, &ShowMirror::syncFailed, this,
                   [this](const QString &status, const QString &reason) {
                     supervisor_->noteFailure(status);
                     resetLiveControls();
                     clearPendingPatchWrite(u"Patch confirmation failed — "_s + reason);
                     handleConnectionLoss(reason);
                   });
  QObject::connect(mirror, &ShowMirror::syncDiscardedForPatchChange, patch,
                   &PatchWrite::refreshAfterPatchChange);
  // A completed sync's steps run in the order they are connected here, each able to start
  // work the next one looks at: the snapshot, the deferred channel reads, the patch write's
  // step, the Live controls. The mirror then runs a refresh asked for during the sync.
  QObject::connect(mirror, &ShowMirror::syncPublished, this, [this](const QString &identity) {
    fixtureControl_->bindStore(session_.id, identity);
    supervisor_->connectionSucceeded();
    saveShowSnapshot();
  });
  QObject::connect(savedShows_.get(), &SavedShowStore::savedShowsWritten, mirror,
                   &ShowMirror::noteSnapshotSaved);
  QObject::connect(mirror, &ShowMirror::syncPublished, mirror,
                   &ShowMirror::replayDeferredPatchReads);
  QObject::connect(mirror, &ShowMirror::syncPublished, patch, &PatchWrite::afterSync);
  QObject::connect(mirror, &ShowMirror::syncPublished, this, [this] {
    if (startNetworkingOnInit_ && !patchWrite_->isPending()) prepareLiveControls();
  });
  // A side road to the console that finds it gone or changed is the one road of a loss.
  QObject::connect(mirror, &ShowMirror::channelReadTimedOut, supervisor,
                   &ConnectionSupervisor::handleConnectionLoss);
  QObject::connect(fixtureControl_.get(), &FixtureControl::anotherShowFound, supervisor,
                   &ConnectionSupervisor::handleConnectionLoss);
}

void AppViewModel::forwardPartSignals() {
  // Each part announces its own changes; the screens hear them from the model, in order.
  const ConnectionForm *form = connectionForm_.get();
  QObject::connect(form, &ObservableObject::objectWillChange, this,
                   &ObservableObject::objectWillChange);
  QObject::connect(form, &ConnectionForm::consoleIPChanged, this, &AppViewModel::consoleIPChanged);
  QObject::connect(form, &ConnectionForm::consoleNameChanged, this,
                   &AppViewModel::consoleNameChanged);
  QObject::connect(form, &ConnectionForm::customSendPortChanged, this,
                   &AppViewModel::customSendPortChanged);
  QObject::connect(form, &ConnectionForm::customListenPortChanged, this,
                   &AppViewModel::customListenPortChanged);
  QObject::connect(form, &ConnectionForm::connectionTransportChanged, this,
                   &AppViewModel::connectionTransportChanged);
  QObject::connect(form, &ConnectionForm::tcpFramingChanged, this,
                   &AppViewModel::tcpFramingChanged);
  QObject::connect(form, &ConnectionForm::usesMacRelayChanged, this,
                   &AppViewModel::usesMacRelayChanged);
  QObject::connect(form, &ConnectionForm::relayPairingCodeChanged, this,
                   &AppViewModel::relayPairingCodeChanged);
  QObject::connect(form, &ConnectionForm::savedConnectionProfilesChanged, this,
                   &AppViewModel::savedConnectionProfilesChanged);
  QObject::connect(form, &ConnectionForm::profileStorageErrorChanged, this,
                   &AppViewModel::profileStorageErrorChanged);
  QObject::connect(form, &ConnectionForm::settingsFileFailureChanged, this,
                   &AppViewModel::settingsFileFailureChanged);
  QObject::connect(form, &ConnectionForm::selectedConnectionProfileIDChanged, this,
                   &AppViewModel::selectedConnectionProfileIDChanged);
  QObject::connect(form, &ConnectionForm::interactionModeChanged, this,
                   &AppViewModel::interactionModeChanged);

  const ConnectionTester *tester = connectionTester_.get();
  QObject::connect(tester, &ObservableObject::objectWillChange, this,
                   &ObservableObject::objectWillChange);
  QObject::connect(tester, &ConnectionTester::isTestingConnectionChanged, this,
                   &AppViewModel::isTestingConnectionChanged);
  QObject::connect(tester, &ConnectionTester::testConnectionStatusChanged, this,
                   &AppViewModel::testConnectionStatusChanged);
  QObject::connect(tester, &ConnectionTester::testConnectionIdentityChanged, this,
                   &AppViewModel::testConnectionIdentityChanged);
  QObject::connect(tester, &ConnectionTester::testConnectionVersionChanged, this,
                   &AppViewModel::testConnectionVersionChanged);

  const ConsoleCommandLine *line = commandLine_.get();
  QObject::connect(line, &ObservableObject::objectWillChange, this,
                   &ObservableObject::objectWillChange);
  QObject::connect(line, &ConsoleCommandLine::consoleModeLabelChanged, this,
                   &AppViewModel::consoleModeLabelChanged);
  QObject::connect(line, &ConsoleCommandLine::rawConsoleCommandLineChanged, this,
                   &AppViewModel::rawConsoleCommandLineChanged);
  QObject::connect(line, &ConsoleCommandLine::displayedCommandLineChanged, this,
                   &AppViewModel::displayedCommandLineChanged);
  QObject::connect(line, &ConsoleCommandLine::commandLineTextChanged, this,
                   &AppViewModel::commandLineTextChanged);
  QObject::connect(line, &ConsoleCommandLine::lastCommandSummaryChanged, this,
                   &AppViewModel::lastCommandSummaryChanged);
  QObject::connect(line, &ConsoleCommandLine::commandHistoryChanged, this,
                   &AppViewModel::commandHistoryChanged);
  QObject::connect(line, &ConsoleCommandLine::softkeyLabelsChanged, this,
                   &AppViewModel::softkeyLabelsChanged);
  QObject::connect(line, &ConsoleCommandLine::activeCueChanged, this,
                   &AppViewModel::activeCueChanged);
  QObject::connect(line, &ConsoleCommandLine::activeCueNumberChanged, this,
                   &AppViewModel::activeCueNumberChanged);
  QObject::connect(line, &ConsoleCommandLine::activeCueLabelChanged, this,
                   &AppViewModel::activeCueLabelChanged);
  QObject::connect(line, &ConsoleCommandLine::activeCueProgressChanged, this,
                   &AppViewModel::activeCueProgressChanged);
  QObject::connect(line, &ConsoleCommandLine::pendingCueNumberChanged, this,
                   &AppViewModel::pendingCueNumberChanged);
  QObject::connect(line, &ConsoleCommandLine::pendingCueLabelChanged, this,
                   &AppViewModel::pendingCueLabelChanged);

  const SavedShowStore *shows = savedShows_.get();
  QObject::connect(shows, &ObservableObject::objectWillChange, this,
                   &ObservableObject::objectWillChange);
  QObject::connect(shows, &SavedShowStore::savedShowFilesChanged, this,
                   &AppViewModel::savedShowFilesChanged);

  const FixtureControl *fixtures = fixtureControl_.get();
  QObject::connect(fixtures, &ObservableObject::objectWillChange, this,
                   &ObservableObject::objectWillChange);
  QObject::connect(fixtures, &FixtureControl::isRefreshingParkedChannelsChanged, this,
                   &AppViewModel::isRefreshingParkedChannelsChanged);
  QObject::connect(fixtures, &FixtureControl::parkStatusMessageChanged, this,
                   &AppViewModel::parkStatusMessageChanged);
  QObject::connect(fixtures, &FixtureControl::isFixtureControlReadyChanged, this,
                   &AppViewModel::isFixtureControlReadyChanged);
  QObject::connect(fixtures, &FixtureControl::fixtureControlStatusChanged, this,
                   &AppViewModel::fixtureControlStatusChanged);

  const ConnectionSupervisor *supervisor = supervisor_.get();
  QObject::connect(supervisor, &ObservableObject::objectWillChange, this,
                   &ObservableObject::objectWillChange);
  QObject::connect(supervisor, &ConnectionSupervisor::isConsoleReachableChanged, this,
                   &AppViewModel::isConsoleReachableChanged);
  QObject::connect(supervisor, &ConnectionSupervisor::lastConnectedAtChanged, this,
                   &AppViewModel::lastConnectedAtChanged);
  QObject::connect(supervisor, &ConnectionSupervisor::discoveredConsolesChanged, this,
                   &AppViewModel::discoveredConsolesChanged);

  const ShowMirror *mirror = mirror_.get();
  QObject::connect(mirror, &ObservableObject::objectWillChange, this,
                   &ObservableObject::objectWillChange);
  QObject::connect(mirror, &ShowMirror::eosSoftwareVersionChanged, this,
                   &AppViewModel::eosSoftwareVersionChanged);
  QObject::connect(mirror, &ShowMirror::eosFixtureLibraryVersionChanged, this,
                   &AppViewModel::eosFixtureLibraryVersionChanged);
  QObject::connect(mirror, &ShowMirror::cuesChanged, this, &AppViewModel::cuesChanged);
  QObject::connect(mirror, &ShowMirror::channelsChanged, this, &AppViewModel::channelsChanged);
  QObject::connect(mirror, &ShowMirror::showFileNameChanged, this,
                   &AppViewModel::showFileNameChanged);
  QObject::connect(mirror, &ShowMirror::isLoadingCuesChanged, this,
                   &AppViewModel::isLoadingCuesChanged);
  QObject::connect(mirror, &ShowMirror::isLoadingPatchChanged, this,
                   &AppViewModel::isLoadingPatchChanged);
  QObject::connect(mirror, &ShowMirror::lastDataRefreshChanged, this,
                   &AppViewModel::lastDataRefreshChanged);
  QObject::connect(mirror, &ShowMirror::dataStatusMessageChanged, this,
                   &AppViewModel::dataStatusMessageChanged);
  QObject::connect(mirror, &ShowMirror::syncProgressDescriptionChanged, this,
                   &AppViewModel::syncProgressDescriptionChanged);
  const PatchWrite *patch = patchWrite_.get();
  QObject::connect(patch, &ObservableObject::objectWillChange, this,
                   &ObservableObject::objectWillChange);
  QObject::connect(patch, &PatchWrite::patchSubmissionStateChanged, this,
                   &AppViewModel::patchSubmissionStateChanged);
}

}  // namespace tarnik
