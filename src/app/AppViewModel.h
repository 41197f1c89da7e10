#pragma once

#include "app/AppTiming.h"
#include "app/ConnectionForm.h"
#include "app/ConnectionSupervisor.h"
#include "app/ConnectionTester.h"
#include "app/ConsoleCommandLine.h"
#include "app/ConsoleSession.h"
#include "app/ControlGate.h"
#include "app/FixtureControl.h"
#include "app/IdentifyFlash.h"
#include "app/InteractionMode.h"
#include "app/PatchPartReply.h"
#include "app/PatchWrite.h"
#include "app/SavedShowStore.h"
#include "app/ShowMirror.h"
#include "foundation/OSCTransportKinds.h"
#include "foundation/ObservableObject.h"
#include "link/OSCEndpoint.h"
#include "link/OSCManager.h"
#include "link/TarnikRelayDiscovery.h"
#include "link/TarnikRelaySecurity.h"
#include "model/Channel.h"
#include "model/CommandHistoryEntry.h"
#include "model/ConsoleConnectionProfile.h"
#include "model/Cue.h"
#include "model/EosPatchPart.h"
#include "model/PatchDraft.h"
#include "model/PatchPlan.h"
#include "model/PatchSubmissionState.h"
#include "model/SavedShowFile.h"
#include "model/catalog/FixtureCatalogStore.h"
#include "model/catalog/FixtureParameterCatalogStore.h"
#include "operations/EosLiveControlSession.h"
#include "operations/EosParkSession.h"
#include "operations/EosPatchCommandSession.h"
#include "operations/FixtureControlStore.h"
#include "operations/FixtureParkAction.h"
#include "operations/LevelCommandScheduling.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <QVarLengthArray>

#include <deque>
#include <expected>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace tarnik {

// The hub of the application: one object on the GUI thread, built once at start-up, that
// owns the console connection and every part behind it. Screens observe its published
// properties and call its operations; each part owns its own state and publishes its own
// values, which reach the screens as this model's:
//   ConnectionForm        the connection form, the saved profiles, the editor/viewer switch
//   ConnectionTester      the connection test on a private connection
//   ConsoleCommandLine    the console's command line, softkeys and cues, the history
//   SavedShowStore        the show snapshots kept for offline use
//   FixtureControl        the fixture-control store, the Live-control and park sessions
//   ConnectionSupervisor  the route, transport state, reachability, heartbeat, reconnect
//   ShowMirror            the mirrored show and its identity, its full sync, the data status,
//                         single-channel reads
//   IdentifyFlash         the identify flash held on the console
//   PatchWrite            the patch preflight, write and verification
//   ControlGate           the gate every change sent to the console passes
// They share one ConsoleSession (the session and show identity): this model holds it and
// moves the session identity on, the show mirror alone writes the show identity. What stays
// here joins the parts: the connection lifecycle's operations, the show events, the
// commands, and the one wiring of the mirror's announcements (src/app/README.md has the
// map).
class AppViewModel final : public ObservableObject, private ConnectionSupervisor::Session {
  Q_OBJECT

  // Console link and console facts
  Q_PROPERTY(tarnik::OSCManager *oscManager READ oscManager CONSTANT)
  Q_PROPERTY(std::optional<QString> eosSoftwareVersion READ eosSoftwareVersion NOTIFY
                 eosSoftwareVersionChanged)
  Q_PROPERTY(std::optional<QString> eosFixtureLibraryVersion READ eosFixtureLibraryVersion NOTIFY
                 eosFixtureLibraryVersionChanged)
  // Patch, park and Live-control status
  Q_PROPERTY(tarnik::PatchSubmissionState patchSubmissionState READ patchSubmissionState NOTIFY
                 patchSubmissionStateChanged)
  Q_PROPERTY(bool isRefreshingParkedChannels READ isRefreshingParkedChannels NOTIFY
                 isRefreshingParkedChannelsChanged)
  Q_PROPERTY(QString parkStatusMessage READ parkStatusMessage NOTIFY parkStatusMessageChanged)
  Q_PROPERTY(
      bool isFixtureControlReady READ isFixtureControlReady NOTIFY isFixtureControlReadyChanged)
  Q_PROPERTY(
      QString fixtureControlStatus READ fixtureControlStatus NOTIFY fixtureControlStatusChanged)
  // Mirrored show and data status
  Q_PROPERTY(QList<tarnik::Cue> cues READ cues NOTIFY cuesChanged)
  Q_PROPERTY(QList<tarnik::Channel> channels READ channels NOTIFY channelsChanged)
  Q_PROPERTY(QString activeCue READ activeCue NOTIFY activeCueChanged)
  Q_PROPERTY(QString activeCueNumber READ activeCueNumber NOTIFY activeCueNumberChanged)
  Q_PROPERTY(QString activeCueLabel READ activeCueLabel NOTIFY activeCueLabelChanged)
  Q_PROPERTY(std::optional<double> activeCueProgress READ activeCueProgress NOTIFY
                 activeCueProgressChanged)
  Q_PROPERTY(QString pendingCueNumber READ pendingCueNumber NOTIFY pendingCueNumberChanged)
  Q_PROPERTY(QString pendingCueLabel READ pendingCueLabel NOTIFY pendingCueLabelChanged)
  Q_PROPERTY(QString showFileName READ showFileName NOTIFY showFileNameChanged)
  Q_PROPERTY(bool isLoadingCues READ isLoadingCues NOTIFY isLoadingCuesChanged)
  Q_PROPERTY(bool isLoadingPatch READ isLoadingPatch NOTIFY isLoadingPatchChanged)
  Q_PROPERTY(
      std::optional<double> lastDataRefresh READ lastDataRefresh NOTIFY lastDataRefreshChanged)
  Q_PROPERTY(
      std::optional<double> lastConnectedAt READ lastConnectedAt NOTIFY lastConnectedAtChanged)
  Q_PROPERTY(QString dataStatusMessage READ dataStatusMessage NOTIFY dataStatusMessageChanged)
  Q_PROPERTY(QString syncProgressDescription READ syncProgressDescription NOTIFY
                 syncProgressDescriptionChanged)
  Q_PROPERTY(
      QList<tarnik::SavedShowFile> savedShowFiles READ savedShowFiles NOTIFY savedShowFilesChanged)
  // Command line
  Q_PROPERTY(QString consoleModeLabel READ consoleModeLabel NOTIFY consoleModeLabelChanged)
  Q_PROPERTY(
      QString rawConsoleCommandLine READ rawConsoleCommandLine NOTIFY rawConsoleCommandLineChanged)
  Q_PROPERTY(
      QString displayedCommandLine READ displayedCommandLine NOTIFY displayedCommandLineChanged)
  Q_PROPERTY(QString commandLineText READ commandLineText NOTIFY commandLineTextChanged)
  Q_PROPERTY(QString lastCommandSummary READ lastCommandSummary NOTIFY lastCommandSummaryChanged)
  Q_PROPERTY(QList<tarnik::CommandHistoryEntry> commandHistory READ commandHistory NOTIFY
                 commandHistoryChanged)
  Q_PROPERTY(QStringList softkeyLabels READ softkeyLabels NOTIFY softkeyLabelsChanged)
  // Connection form, profiles and test
  Q_PROPERTY(QString consoleIP READ consoleIP WRITE setConsoleIP NOTIFY consoleIPChanged)
  Q_PROPERTY(QString consoleName READ consoleName WRITE setConsoleName NOTIFY consoleNameChanged)
  Q_PROPERTY(QString customSendPort READ customSendPort WRITE setCustomSendPort NOTIFY
                 customSendPortChanged)
  Q_PROPERTY(QString customListenPort READ customListenPort WRITE setCustomListenPort NOTIFY
                 customListenPortChanged)
  Q_PROPERTY(tarnik::OSCTransport connectionTransport READ connectionTransport WRITE
                 setConnectionTransport NOTIFY connectionTransportChanged)
  Q_PROPERTY(
      tarnik::OSCTCPFraming tcpFraming READ tcpFraming WRITE setTcpFraming NOTIFY tcpFramingChanged)
  Q_PROPERTY(bool usesMacRelay READ usesMacRelay WRITE setUsesMacRelay NOTIFY usesMacRelayChanged)
  Q_PROPERTY(QString relayPairingCode READ relayPairingCode WRITE setRelayPairingCode NOTIFY
                 relayPairingCodeChanged)
  Q_PROPERTY(QList<tarnik::ConsoleConnectionProfile> savedConnectionProfiles READ
                 savedConnectionProfiles NOTIFY savedConnectionProfilesChanged)
  Q_PROPERTY(std::optional<QString> profileStorageError READ profileStorageError NOTIFY
                 profileStorageErrorChanged)
  Q_PROPERTY(std::optional<tarnik::SettingsFileFailure> settingsFileFailure READ settingsFileFailure
                 NOTIFY settingsFileFailureChanged)
  Q_PROPERTY(std::optional<QUuid> selectedConnectionProfileID READ selectedConnectionProfileID WRITE
                 setSelectedConnectionProfileID NOTIFY selectedConnectionProfileIDChanged)
  Q_PROPERTY(bool isTestingConnection READ isTestingConnection NOTIFY isTestingConnectionChanged)
  Q_PROPERTY(
      QString testConnectionStatus READ testConnectionStatus NOTIFY testConnectionStatusChanged)
  Q_PROPERTY(std::optional<QString> testConnectionIdentity READ testConnectionIdentity NOTIFY
                 testConnectionIdentityChanged)
  Q_PROPERTY(std::optional<QString> testConnectionVersion READ testConnectionVersion NOTIFY
                 testConnectionVersionChanged)
  Q_PROPERTY(tarnik::InteractionMode interactionMode READ interactionMode WRITE setInteractionMode
                 NOTIFY interactionModeChanged)
  Q_PROPERTY(QList<tarnik::AppViewModel::DiscoveredConsole> discoveredConsoles READ
                 discoveredConsoles NOTIFY discoveredConsolesChanged)
  Q_PROPERTY(bool isConsoleReachable READ isConsoleReachable NOTIFY isConsoleReachableChanged)

 public:
  // Keychain operations for relay pairing codes, by keychain account.
  using StoreRelayKey = ConnectionForm::StoreRelayKey;
  using LoadRelayKey = ConnectionForm::LoadRelayKey;
  using ConnectionTestManagerFactory = ConnectionTester::ManagerFactory;

  // Why a single-channel patch read is asked for.
  using DirectPatchReadPurpose = ShowMirror::DirectPatchReadPurpose;
  using DirectPatchReadIntent = ShowMirror::DirectPatchReadIntent;

  // One OSC service found on the network, as the connection screen lists it.
  using DiscoveredConsole = ConnectionSupervisor::DiscoveredConsole;

  // The model's fixed limits.
  static constexpr int maximumIndexCount = ShowMirror::maximumIndexCount;
  static constexpr int maximumInFlightIndexRequests = ShowMirror::maximumInFlightIndexRequests;
  static constexpr double pingFreshness = ConnectionSupervisor::pingFreshness;
  // The stored profile that start-up connects to again.
  static constexpr QLatin1StringView lastConnectedProfileKey =
      ConnectionForm::lastConnectedProfileKey;
  static constexpr int commandHistoryLimit = ConsoleCommandLine::commandHistoryLimit;

  // What the application entry passes; each default is what it uses.
  struct Arguments {
    SettingsStore *defaults = nullptr;  // required; not owned, outlives the model
    bool startNetworkingOnInit = true;
    std::unique_ptr<OSCManager> oscManager{};  // none: a new one, 8 s connect, 5 s verification
    int maximumReconnectAttempts = 5;          // at least 1
    double syncTimeout = 30;                   // seconds, each time limit at least 0.01
    double reconnectBaseDelay = 0.5;
    double directPatchReadTimeout = 2;
    ConnectionTestManagerFactory makeConnectionTestManager{};  // none: 8 s / 5 s managers
    StoreRelayKey storeRelayKey{};                             // none: the keychain
    LoadRelayKey loadRelayKey{};                               // none: the keychain
    std::shared_ptr<AppTiming> timing{};  // none: the system clocks and owned QTimers
    // Fixture control: each session made for one run (none: its own connection, 8 s steps)
    // and the store's time-outs (none: the system scheduler).
    std::function<std::unique_ptr<EosParkSession>()> makeParkSession{};
    std::function<std::unique_ptr<EosLiveControlSession>()> makeLiveControlSession{};
    std::shared_ptr<LevelCommandScheduling> fixtureControlScheduler{};
    // Patch edits: the session of each write (none: its own connection, 8 s steps).
    std::function<std::unique_ptr<EosPatchCommandSession>()> makePatchCommandSession{};
  };

  explicit AppViewModel(Arguments arguments, QObject *parent = nullptr);
  ~AppViewModel() override;

  // The connection form and the stored profiles (ConnectionForm). The issue is the first
  // problem of the form as the user should read it; the settings exist only for a valid form.
  std::optional<QString> connectionSettingsIssue() const {
    return connectionForm_->connectionSettingsIssue();
  }
  std::optional<ConsoleConnectionProfile> makeConnectionSettings() const {
    return connectionForm_->makeConnectionSettings();
  }
  // The route in use, else the form's (AppViewModelProfiles.cpp).
  QString transportDescription() const { return supervisor_->transportDescription(); }
  static QList<ConsoleConnectionProfile> builtInConnectionProfiles() {
    return ConnectionForm::builtInConnectionProfiles();
  }
  static QString connectionSummary(const ConsoleConnectionProfile &profile) {
    return ConnectionForm::connectionSummary(profile);
  }

  // Show snapshots (SavedShowStore, AppViewModelSnapshot.cpp): the show on screen kept for
  // offline use.
  void saveShowSnapshot();
  static QString showStorageKey(const QString &showIdentity, const QString &consoleAddress) {
    return SavedShowStore::showStorageKey(showIdentity, consoleAddress);
  }

  // The keychain account of a relay profile's pairing code.
  static QString relayKeyAccount(const QUuid &profileID) {
    return ConnectionForm::relayKeyAccount(profileID);
  }
  // The port text a console listens on for this transport and framing.
  static QString defaultSendPort(OSCTransport transport, OSCTCPFraming framing) {
    return ConnectionForm::defaultSendPort(transport, framing);
  }

  // Connection lifecycle (AppViewModelConnection.cpp, AppViewModelConnect.cpp; the
  // connection's own life is the ConnectionSupervisor's)
  // The Connect and Disconnect actions of the connection screen.
  void connect();
  void disconnect();
  // Ends the connection session: everything learnt or started in it goes, the mirrored
  // show stays; the data status becomes the given text.
  void resetSessionState(const QString &status) override;
  // The one road of a detected loss: reset, drop the link, retry when wanted.
  void handleConnectionLoss(const QString &reason) { supervisor_->handleConnectionLoss(reason); }
  // False only when the console holds our flash and the release could not be sent.
  bool releaseOwnedFlash(const QString &action) override;
  void clearPendingPatchWrite(const QString &reason) { patchWrite_->cancel(reason); }
  void resetParkState() { fixtureControl_->resetParkState(); }
  void recordCommandHistory(const QString &text, const QString &source) {
    commandLine_->recordCommandHistory(text, source);
  }
  // What the connection's published values drive.
  void handleTransportStateChange(bool ready) { supervisor_->handleTransportStateChange(ready); }
  void handlePingResponse(std::optional<double> date) { supervisor_->handlePingResponse(date); }
  void updateDiscoveredConsoles(const QList<OSCEndpoint> &results) {
    supervisor_->updateDiscoveredConsoles(results);
  }
  // Retries with back-off while a connection is wanted; never stacks attempts.
  void scheduleReconnect(const QString &status) { supervisor_->scheduleReconnect(status); }
  // The 2 s heartbeat, made once; each tick pings and watches for a silent console.
  void startHeartbeatTimer() { supervisor_->startHeartbeat(); }
  void heartbeatTick() { supervisor_->heartbeatTick(); }

  // Reply dispatcher (AppViewModelDispatcher.cpp): every message of the main connection
  // ends here, in arrival order.
  void handleOSCMessage(const QString &address, const QList<OSCArgument> &arguments);
  using AddressComponents = tarnik::AddressComponents;

  // Show sync start (ShowMirror). The reason is the data status while it starts.
  void requestFullSync(const QString &reason) { mirror_->requestFullSync(reason); }

  // Published values
  OSCManager *oscManager() const { return oscManager_.get(); }
  const std::optional<QString> &eosSoftwareVersion() const { return mirror_->eosSoftwareVersion(); }
  const std::optional<QString> &eosFixtureLibraryVersion() const {
    return mirror_->eosFixtureLibraryVersion();
  }
  const PatchSubmissionState &patchSubmissionState() const {
    return patchWrite_->patchSubmissionState();
  }
  bool isRefreshingParkedChannels() const { return fixtureControl_->isRefreshingParkedChannels(); }
  const QString &parkStatusMessage() const { return fixtureControl_->parkStatusMessage(); }
  bool isFixtureControlReady() const { return fixtureControl_->isFixtureControlReady(); }
  const QString &fixtureControlStatus() const { return fixtureControl_->fixtureControlStatus(); }
  const QList<Cue> &cues() const { return mirror_->cues(); }
  const QList<Channel> &channels() const { return mirror_->channels(); }
  const QString &activeCue() const { return commandLine_->activeCue(); }
  const QString &activeCueNumber() const { return commandLine_->activeCueNumber(); }
  const QString &activeCueLabel() const { return commandLine_->activeCueLabel(); }
  std::optional<double> activeCueProgress() const { return commandLine_->activeCueProgress(); }
  const QString &pendingCueNumber() const { return commandLine_->pendingCueNumber(); }
  const QString &pendingCueLabel() const { return commandLine_->pendingCueLabel(); }
  const QString &showFileName() const { return mirror_->showFileName(); }
  bool isLoadingCues() const { return mirror_->isLoadingCues(); }
  bool isLoadingPatch() const { return mirror_->isLoadingPatch(); }
  // Dates in seconds since 2001-01-01 00:00:00 UTC.
  std::optional<double> lastDataRefresh() const { return mirror_->lastDataRefresh(); }
  std::optional<double> lastConnectedAt() const { return supervisor_->lastConnectedAt(); }
  const QString &dataStatusMessage() const { return mirror_->dataStatusMessage(); }
  const QString &syncProgressDescription() const { return mirror_->syncProgressDescription(); }
  const QList<SavedShowFile> &savedShowFiles() const { return savedShows_->savedShowFiles(); }
  const QString &consoleModeLabel() const { return commandLine_->consoleModeLabel(); }
  const QString &rawConsoleCommandLine() const { return commandLine_->rawConsoleCommandLine(); }
  const QString &displayedCommandLine() const { return commandLine_->displayedCommandLine(); }
  const QString &commandLineText() const { return commandLine_->commandLineText(); }
  const QString &lastCommandSummary() const { return commandLine_->lastCommandSummary(); }
  const QList<CommandHistoryEntry> &commandHistory() const {
    return commandLine_->commandHistory();
  }
  const QStringList &softkeyLabels() const { return commandLine_->softkeyLabels(); }
  const QString &consoleIP() const { return connectionForm_->consoleIP(); }
  const QString &consoleName() const { return connectionForm_->consoleName(); }
  const QString &customSendPort() const { return connectionForm_->customSendPort(); }
  const QString &customListenPort() const { return connectionForm_->customListenPort(); }
  OSCTransport connectionTransport() const { return connectionForm_->connectionTransport(); }
  OSCTCPFraming tcpFraming() const { return connectionForm_->tcpFraming(); }
  bool usesMacRelay() const { return connectionForm_->usesMacRelay(); }
  const QString &relayPairingCode() const { return connectionForm_->relayPairingCode(); }
  const QList<ConsoleConnectionProfile> &savedConnectionProfiles() const {
    return connectionForm_->savedConnectionProfiles();
  }
  const std::optional<QString> &profileStorageError() const {
    return connectionForm_->profileStorageError();
  }
  const std::optional<SettingsFileFailure> &settingsFileFailure() const {
    return connectionForm_->settingsFileFailure();
  }
  std::optional<QUuid> selectedConnectionProfileID() const {
    return connectionForm_->selectedConnectionProfileID();
  }
  bool isTestingConnection() const { return connectionTester_->isTestingConnection(); }
  const QString &testConnectionStatus() const { return connectionTester_->testConnectionStatus(); }
  const std::optional<QString> &testConnectionIdentity() const {
    return connectionTester_->testConnectionIdentity();
  }
  const std::optional<QString> &testConnectionVersion() const {
    return connectionTester_->testConnectionVersion();
  }
  InteractionMode interactionMode() const { return connectionForm_->interactionMode(); }
  const QList<DiscoveredConsole> &discoveredConsoles() const {
    return supervisor_->discoveredConsoles();
  }
  bool isConsoleReachable() const { return supervisor_->isConsoleReachable(); }

  // The form the connection screen edits.
  void setConsoleIP(const QString &value) { connectionForm_->setConsoleIP(value); }
  void setConsoleName(const QString &value) { connectionForm_->setConsoleName(value); }
  void setCustomSendPort(const QString &value) { connectionForm_->setCustomSendPort(value); }
  void setCustomListenPort(const QString &value) { connectionForm_->setCustomListenPort(value); }
  void setConnectionTransport(OSCTransport value) {
    connectionForm_->setConnectionTransport(value);
  }
  void setTcpFraming(OSCTCPFraming value) { connectionForm_->setTcpFraming(value); }
  void setUsesMacRelay(bool value) { connectionForm_->setUsesMacRelay(value); }
  void setRelayPairingCode(const QString &value) { connectionForm_->setRelayPairingCode(value); }
  // These two also store the new value at once.
  void setSelectedConnectionProfileID(const std::optional<QUuid> &value) {
    connectionForm_->setSelectedConnectionProfileID(value);
  }
  void setInteractionMode(InteractionMode value) { connectionForm_->setInteractionMode(value); }

  // The parts behind the model, for what only a part tells.
  const ConnectionTester &connectionTester() const { return *connectionTester_; }
  const ConsoleCommandLine &commandLine() const { return *commandLine_; }
  const ConnectionSupervisor &supervisor() const { return *supervisor_; }
  const ShowMirror &showMirror() const { return *mirror_; }
  // The session and show identity every part binds its work to.
  const ConsoleSession &consoleSession() const { return session_; }

  // Unpublished values the screens read when they draw.
  const std::optional<ConsoleConnectionProfile> &activeConnectionSettings() const {
    return supervisor_->activeConnectionSettings();
  }
  bool wantsConnection() const { return supervisor_->wantsConnection(); }
  // Why the connection was dropped, until a sync completes or the user disconnects.
  const std::optional<QString> &reconnectFailureStatus() const {
    return supervisor_->reconnectFailureStatus();
  }
  const std::optional<OSCEndpoint> &activeConsoleEndpoint() const {
    return supervisor_->activeConsoleEndpoint();
  }

  FixtureCatalogStore &fixtureCatalog() { return patchWrite_->fixtureCatalog(); }
  FixtureParameterCatalogStore &fixtureParameterCatalog() { return fixtureParameterCatalog_; }

  // Console commands and the control gate (AppViewModelCommands.cpp). Every refusal is
  // reported as a rejection; nothing waits for the console's answer.
  bool sendCommand(const QString &address, const QList<OSCArgument> &arguments,
                   const QString &text);
  void recordCue(const QString &cueNumber, const QString &label, const QString &time);
  void setCueScene(const QString &cueNumber, const QString &label, int cueList);
  void removeCueScene(const QString &cueNumber, int cueList);
  void fireCue(const Cue &cue, int cueList);
  void sendKey(const QString &keyName);
  // The published show is this session's completed sync of the show the console has loaded.
  bool isShowDataCurrent() const { return mirror_->isShowDataCurrent(); }

  // Profiles and the connection test (AppViewModelProfiles.cpp) and the Mac relay route
  // (AppViewModelMacRelay.cpp)
  enum class BuiltInProfile { first, second };
  // Fills the form from a profile and selects it; a running test ends.
  void applyConnectionProfile(const ConsoleConnectionProfile &profile,
                              SettingsStore::SetBy by = SettingsStore::SetBy::person);
  // Saves the form as the selected profile, or as a new one; never connects.
  void saveConnectionProfile();
  // A blank form and no selection; the running connection stays.
  void startNewConnection();
  // An example's values in the form, with no profile selected.
  void applyBuiltInProfile(BuiltInProfile which);
  void connectToDiscoveredConsole(const DiscoveredConsole &console);
  // Tests the form's settings on a private connection of its own.
  void testConnection();
  void resetConnectionTest() { connectionTester_->reset(); }
  // Start-up: applies and connects to the last connected profile when it still reads and
  // validates.
  void restoreLastConnectedProfile();
  // Pairs with a nearby Mac and connects to the console through it.
  void connectToMacRelay(const TarnikRelayDiscovery::Relay &relay);
  static constexpr double connectionTestDeadline = ConnectionTester::deadline;
  // Fixture control (FixtureControl; identify in AppViewModelCommands.cpp)
  FixtureControlStore &fixtureControls() const { return fixtureControl_->store(); }
  bool canControlFixtures() const { return gate_->canControlFixtures(); }
  bool parkChannel(int channel, FixtureParkAction action) {
    return fixtureControl_->parkChannel(channel, action);
  }
  void setIntensity(int channel, double level) { fixtureControl_->setIntensity(channel, level); }
  void identifyFixture(const Channel &channel);
  // Starts a Live-control session when none runs and the show data is current; a channel's
  // page asks for one whenever it shows and after every completed sync.
  void prepareLiveControls() { fixtureControl_->prepareLiveControls(); }
  bool hasLiveControlSession() const { return fixtureControl_->hasLiveControlSession(); }
  bool parkSessionPreconditions() const { return fixtureControl_->parkSessionPreconditions(); }
  // True once a park session was made for the request, also when its start was refused.
  bool refreshParkedChannels(int channel, std::optional<FixtureParkAction> action) {
    return fixtureControl_->refreshParkedChannels(channel, action);
  }
  // Patch edits (PatchWrite)
  static constexpr qint64 patchChannelMaximum = PatchWrite::patchChannelMaximum;
  static constexpr qint64 patchUniverseMaximum = PatchWrite::patchUniverseMaximum;
  // Why this draft cannot be written now, or nothing; the patch screens ask it too.
  std::optional<QString> patchAuthoringAvailability(const PatchDraft &draft) const {
    return patchWrite_->patchAuthoringAvailability(draft);
  }
  // The same, given the draft's plan against the current patch, for a screen that keeps it.
  std::optional<QString> patchAuthoringAvailability(const PatchDraft &draft,
                                                    const PatchPlan &plan) const {
    return patchWrite_->patchAuthoringAvailability(draft, plan);
  }
  PatchPlan planPatch(const PatchDraft &draft) const { return patchWrite_->planPatch(draft); }
  QList<EosPatchPart> currentReplacementTargets(const std::set<EosPatchPart::ID> &ids) const {
    return patchWrite_->currentReplacementTargets(ids);
  }
  // The patch editor's submit: refuses, or records the write and re-reads the show.
  void beginPatchEditing(const PatchDraft &draft) { patchWrite_->beginPatchEditing(draft); }
  // Back to idle unless a write is under way, so an editor does not meet an older result.
  // The one published value a screen sets.
  void clearPatchSubmissionResult() { patchWrite_->clearPatchSubmissionResult(); }
  // Reads one channel's patch rows on the main connection, for the given reason.
  void readChannelPatch(qint64 channel, DirectPatchReadIntent intent) {
    mirror_->readChannelPatch(channel, intent);
  }

 signals:
  void eosSoftwareVersionChanged(const std::optional<QString> &value);
  void eosFixtureLibraryVersionChanged(const std::optional<QString> &value);
  void patchSubmissionStateChanged(const tarnik::PatchSubmissionState &value);
  void isRefreshingParkedChannelsChanged(bool value);
  void parkStatusMessageChanged(const QString &value);
  void isFixtureControlReadyChanged(bool value);
  void fixtureControlStatusChanged(const QString &value);
  void cuesChanged(const QList<tarnik::Cue> &value);
  void channelsChanged(const QList<tarnik::Channel> &value);
  void activeCueChanged(const QString &value);
  void activeCueNumberChanged(const QString &value);
  void activeCueLabelChanged(const QString &value);
  void activeCueProgressChanged(std::optional<double> value);
  void pendingCueNumberChanged(const QString &value);
  void pendingCueLabelChanged(const QString &value);
  void showFileNameChanged(const QString &value);
  void isLoadingCuesChanged(bool value);
  void isLoadingPatchChanged(bool value);
  void lastDataRefreshChanged(std::optional<double> value);
  void lastConnectedAtChanged(std::optional<double> value);
  void dataStatusMessageChanged(const QString &value);
  void syncProgressDescriptionChanged(const QString &value);
  void savedShowFilesChanged(const QList<tarnik::SavedShowFile> &value);
  void consoleModeLabelChanged(const QString &value);
  void rawConsoleCommandLineChanged(const QString &value);
  void displayedCommandLineChanged(const QString &value);
  void commandLineTextChanged(const QString &value);
  void lastCommandSummaryChanged(const QString &value);
  void commandHistoryChanged(const QList<tarnik::CommandHistoryEntry> &value);
  void softkeyLabelsChanged(const QStringList &value);
  void consoleIPChanged(const QString &value);
  void consoleNameChanged(const QString &value);
  void customSendPortChanged(const QString &value);
  void customListenPortChanged(const QString &value);
  void connectionTransportChanged(tarnik::OSCTransport value);
  void tcpFramingChanged(tarnik::OSCTCPFraming value);
  void usesMacRelayChanged(bool value);
  void relayPairingCodeChanged(const QString &value);
  void savedConnectionProfilesChanged(const QList<tarnik::ConsoleConnectionProfile> &value);
  void profileStorageErrorChanged(const std::optional<QString> &value);
  void settingsFileFailureChanged(const std::optional<tarnik::SettingsFileFailure> &value);
  void selectedConnectionProfileIDChanged(const std::optional<QUuid> &value);
  void isTestingConnectionChanged(bool value);
  void testConnectionStatusChanged(const QString &value);
  void testConnectionIdentityChanged(const std::optional<QString> &value);
  void testConnectionVersionChanged(const std::optional<QString> &value);
  void interactionModeChanged(tarnik::InteractionMode value);
  void discoveredConsolesChanged(const QList<tarnik::AppViewModel::DiscoveredConsole> &value);
  void isConsoleReachableChanged(bool value);

 private:
  // Subscriptions to the main connection (AppViewModelDispatcher.cpp)
  void subscribeToConnectionReplies();
  void forwardConnectionChange();

  // Connect, by the person or by the start that restores the last connection
  // (AppViewModelConnect.cpp).
  void connect(SettingsStore::SetBy by);

  // What a change of the connection asks of the model (AppViewModelConnection.cpp)
  void beginSession() override;
  void reportStatus(const QString &text) override;
  void startInitialSync() override;

  // The mirror's announcements, each connected to the parts' steps in the order they run
  // (AppViewModel.cpp).
  void connectShowMirrorSteps();

  // The commands' own checks and their refusals (AppViewModelCommands.cpp); the gate's
  // refusal is reported by the gate.
  static std::optional<QString> validatedCueLabel(const QString &label);
  void reportCommandRejected(const QString &summary, const QString &reason) {
    gate_->reportCommandRejected(summary, reason);
  }
  void resetLiveControls() { fixtureControl_->resetLiveControls(); }

  // Configuration, fixed after construction; the timing outlives every work item below
  const bool startNetworkingOnInit_;
  const std::shared_ptr<AppTiming> timing_;

  // The session and the show that the model and its parts bind their work to
  ConsoleSession session_;

  // The parts, each publishing its own values through the model's signals
  std::unique_ptr<ConnectionForm> connectionForm_;
  std::unique_ptr<ConnectionTester> connectionTester_;
  std::unique_ptr<ConsoleCommandLine> commandLine_;
  std::unique_ptr<SavedShowStore> savedShows_;
  void forwardPartSignals();

  // The console link and the parts built on it, each from those before it; the patch
  // detail catalog
  std::unique_ptr<OSCManager> oscManager_;
  std::unique_ptr<ConnectionSupervisor> supervisor_;
  std::unique_ptr<ShowMirror> mirror_;
  std::unique_ptr<IdentifyFlash> flash_;
  std::unique_ptr<ControlGate> gate_;
  FixtureParameterCatalogStore fixtureParameterCatalog_;
  std::unique_ptr<PatchWrite> patchWrite_;
  std::unique_ptr<FixtureControl> fixtureControl_;

  // Connection changes are re-announced at most once per window; one that falls inside a
  // window is announced when it ends.
  AppTiming::WorkItem connectionChangeWindow_;
  bool connectionChangedInWindow_ = false;

  // Console feedback, answered by the command line part (ConsoleCommandLine)
  bool isCommandLineFeedback(const AddressComponents &components) const {
    return commandLine_->isCommandLineFeedback(components);
  }
  void handleCommandLineText(const QString &text) { commandLine_->handleCommandLineText(text); }
  void handleCueText(bool pending, const QString &text) {
    commandLine_->handleCueText(pending, text);
  }
  void handleCueNumber(bool pending, const AddressComponents &components,
                       const QList<OSCArgument> &arguments) {
    commandLine_->handleCueNumber(pending, components, arguments);
  }

  // The show path and the show events, and change notifications (AppViewModelShowEvents.cpp)
  void handleShowPath(const QString &path);
  void handleShowCleared();
  void handleShowSaved(const QString &path);
  void handleShowLoaded(const QString &path);
  void handleChangeNotification(bool isPatch);
};

}  // namespace tarnik
