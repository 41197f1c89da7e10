#pragma once

#include "app/InteractionMode.h"
#include "app/SettingsStore.h"
#include "foundation/OSCTransportKinds.h"
#include "foundation/ObservableObject.h"
#include "link/TarnikRelaySecurity.h"
#include "model/ConsoleConnectionProfile.h"

#include <QList>
#include <QString>
#include <QUuid>

#include <atomic>
#include <expected>
#include <functional>
#include <memory>
#include <optional>

namespace tarnik {

// The connection form the connection screen edits, the saved connection profiles and the
// editor/viewer switch: everything the model keeps in the settings store apart from the
// show snapshots. The store is read at construction, and again when its file, which could
// not be read then, can be; every later change of the profiles, the selection or the switch
// is written at once, a saved profile as a change of that one record of the list, so that
// what another copy of the program saved stays. After each pass over the file, the list
// shown is the file's, with this copy's changes not yet written. What the start puts back
// just as it read it (the selection and the last connection it restores) is no change. Pairing
// codes of relay profiles live in the keychain, reached through the two functions it is given,
// always away from the GUI thread: the keychain may be slow to answer or wait for the person.
class ConnectionForm final : public ObservableObject {
  Q_OBJECT

 public:
  // Keychain operations for relay pairing codes, by keychain account.
  using StoreRelayKey = std::function<std::expected<void, TarnikRelaySecurity::Failure>(
      const QString &code, const QString &account)>;
  using LoadedRelayKey = std::expected<std::optional<QString>, TarnikRelaySecurity::Failure>;
  using LoadRelayKey = std::function<LoadedRelayKey(const QString &account)>;

  // The stored profile that start-up connects to again.
  static constexpr QLatin1StringView lastConnectedProfileKey{"lastConnectedProfile.v1"};

  // Reads the stored form, profiles and selection, carrying over the single-console
  // settings of earlier versions. The settings store is not owned and outlives the form.
  ConnectionForm(SettingsStore &defaults, StoreRelayKey storeRelayKey, LoadRelayKey loadRelayKey,
                 QObject *parent = nullptr);

  // The form's issue is its first problem as the user should read it; the settings exist
  // only for a valid form.
  std::optional<QString> connectionSettingsIssue() const;
  std::optional<ConsoleConnectionProfile> makeConnectionSettings() const;

  static QList<ConsoleConnectionProfile> builtInConnectionProfiles();
  static QString connectionSummary(const ConsoleConnectionProfile &profile);
  // The keychain account of a relay profile's pairing code.
  static QString relayKeyAccount(const QUuid &profileID);
  // The port text a console listens on for this transport and framing.
  static QString defaultSendPort(OSCTransport transport, OSCTCPFraming framing);
  // A port field as typed, untouched: an optional "+" and digits, 1 to 65535. A blank
  // around the number is refused rather than trimmed, so what is stored is what was checked.
  static std::optional<quint16> portNumber(const QString &text);

  // Selects the profile and fills the form from it, its pairing code from the keychain
  // once read.
  void selectProfile(const ConsoleConnectionProfile &profile,
                     SettingsStore::SetBy by = SettingsStore::SetBy::person);
  // While a relay profile's pairing code is being read: keeps `then` to run once the code is
  // in the form (in place of one kept earlier) and says true. Otherwise false.
  bool waitForRelayKeyLoad(std::function<void()> then);
  // Puts the profile in place of the saved one with its id, or at the end, selects and
  // stores it.
  void storeSelectedProfile(const ConsoleConnectionProfile &profile);
  // A blank form and no selection.
  void clear();
  // Keeps a relay profile's pairing code in the keychain. The keychain may ask the person
  // to unlock it and wait for the answer, so the store runs away from the GUI thread and
  // `stored` gets its result on the GUI thread later, unless the store was abandoned
  // meanwhile. One store at a time: callers ask isStoringRelayKey() first.
  using RelayKeyStored =
      std::function<void(const std::expected<void, TarnikRelaySecurity::Failure> &result)>;
  void storeRelayKey(const QString &code, const QUuid &profileID, RelayKeyStored stored);
  bool isStoringRelayKey() const { return storingRelayKey_; }
  // The person moved on: the store under way, if any, will change nothing when it ends, and
  // what waits for a code being read will not run.
  void abandonRelayKeyWaits();

  // The profile start-up connects to again, when it still reads and validates.
  std::optional<ConsoleConnectionProfile> lastConnectedProfile() const;
  void rememberLastConnected(const ConsoleConnectionProfile &profile,
                             SettingsStore::SetBy by = SettingsStore::SetBy::person);
  // A console found on the network is not one to come back to at the next start.
  void forgetLastConnected();

  // Published values
  const QString &consoleIP() const { return consoleIP_; }
  const QString &consoleName() const { return consoleName_; }
  const QString &customSendPort() const { return customSendPort_; }
  const QString &customListenPort() const { return customListenPort_; }
  OSCTransport connectionTransport() const { return connectionTransport_; }
  OSCTCPFraming tcpFraming() const { return tcpFraming_; }
  bool usesMacRelay() const { return usesMacRelay_; }
  const QString &relayPairingCode() const { return relayPairingCode_; }
  const QList<ConsoleConnectionProfile> &savedConnectionProfiles() const {
    return savedConnectionProfiles_;
  }
  const std::optional<QString> &profileStorageError() const { return profileStorageError_; }
  // Why the settings file does not hold what is set here, until a pass over it succeeds.
  const std::optional<SettingsFileFailure> &settingsFileFailure() const {
    return defaults_.fileFailure();
  }
  std::optional<QUuid> selectedConnectionProfileID() const { return selectedConnectionProfileID_; }
  InteractionMode interactionMode() const { return interactionMode_; }

  void setConsoleIP(const QString &value);
  void setConsoleName(const QString &value);
  void setCustomSendPort(const QString &value);
  void setCustomListenPort(const QString &value);
  void setConnectionTransport(OSCTransport value);
  void setTcpFraming(OSCTCPFraming value);
  void setUsesMacRelay(bool value);
  void setRelayPairingCode(const QString &value);
  // These two also store the new value at once.
  void setSelectedConnectionProfileID(const std::optional<QUuid> &value);
  void setInteractionMode(InteractionMode value);

 signals:
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
  void interactionModeChanged(tarnik::InteractionMode value);

 private:
  // Construction steps, in this order: the profiles decide whether older settings are
  // carried over, and the selected profile, once known, overrides the individual keys.
  void readStoredConnectionSettings();
  void loadConnectionProfiles();
  // The stored list, or the built-in profiles and why when it cannot be read.
  std::pair<QList<ConsoleConnectionProfile>, std::optional<QString>> storedConnectionProfiles()
      const;
  void carryOverSingleConsoleSettings();
  void applySelectedConnectionProfile();
  // The settings file could not be read at the start and now can: the form takes from it
  // what a start takes (the store then puts the connections saved meanwhile in its list).
  void takeSettingsFromTheFile();
  // A pass read the settings file: its list is the one shown, when it reads.
  void showStoredConnectionProfiles();
  // Why the stored list is not what is shown (`readError`), or where an unreadable one went.
  void showProfileStorage(const std::optional<QString> &readError);
  // A write kept the stored list under `key`, which it could not read, under `asideKey`.
  void showListSetAside(const QString &key, const QString &asideKey);
  // Fills the form from a profile, the pairing code from the keychain for a relay profile.
  void fillConnectionForm(const ConsoleConnectionProfile &profile);
  void loadRelayKey(const QUuid &profileID);
  void abandonRelayKeyLoad();

  // Stores these profiles as records of the list in the settings; a stored list this version
  // cannot read is replaced by the whole list shown, its bytes kept aside.
  void persistConnectionProfiles(const QList<ConsoleConnectionProfile> &profiles);
  void persistSelectedConnectionProfileID(SettingsStore::SetBy by = SettingsStore::SetBy::person);
  void persistInteractionMode();

  SettingsStore &defaults_;
  StoreRelayKey storeRelayKey_;
  LoadRelayKey loadRelayKey_;
  bool storingRelayKey_ = false;
  quint64 relayKeyStoreGeneration_ = 0;  // the store whose result may still be used
  bool loadingRelayKey_ = false;
  // The load whose result may still be used; the keychain's thread reads it too, to skip a
  // load superseded while it waited there.
  const std::shared_ptr<std::atomic<quint64>> relayKeyLoadGeneration_ =
      std::make_shared<std::atomic<quint64>>(0);
  std::function<void()> afterRelayKeyLoad_;

  QString consoleIP_;
  QString consoleName_;
  QString customSendPort_;
  QString customListenPort_;
  OSCTransport connectionTransport_ = OSCTransport::tcp;
  OSCTCPFraming tcpFraming_ = OSCTCPFraming::packetLength;
  bool usesMacRelay_ = false;
  QString relayPairingCode_;
  QList<ConsoleConnectionProfile> savedConnectionProfiles_;
  // Where a write put the stored list it could not read, this run.
  std::optional<QString> profilesKeptAside_;
  std::optional<QString> profileStorageError_;
  std::optional<QUuid> selectedConnectionProfileID_;
  InteractionMode interactionMode_ = InteractionMode::editor;
};

}  // namespace tarnik
