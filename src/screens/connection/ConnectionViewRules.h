#pragma once

#include "app/SettingsFileUpdate.h"
#include "foundation/OSCTransportKinds.h"
#include "model/ConsoleConnectionProfile.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QUuid>

#include <optional>

namespace tarnik {

// The connection screen's decisions that need no widget: which rows show, their texts, the
// buttons' titles and whether they react. The screen reads the model into a
// `ConnectionPageInput` at each redraw and draws what these return; a row given as an
// absent text is absent from the page.

// What the screen reads of the model at a redraw.
struct ConnectionPageInput {
  bool managerConnected = false;
  QString managerStateDescription{};
  bool consoleReachable = false;
  QString transportDescription{};
  std::optional<double> lastEosResponse{};  // seconds since the reference date

  QList<ConsoleConnectionProfile> savedProfiles{};
  std::optional<QUuid> selectedProfileID{};
  std::optional<QString> profileStorageError{};
  std::optional<SettingsFileFailure> settingsFileFailure{};

  bool usesMacRelay = false;
  QString relayPairingCode{};

  QString consoleName{};
  QString consoleIP{};
  OSCTransport transport = OSCTransport::tcp;
  QString sendPort{};
  QString listenPort{};
  OSCTCPFraming tcpFraming = OSCTCPFraming::packetLength;
  std::optional<QString> settingsIssue{};

  bool testingConnection = false;
  QString testStatus{};
  std::optional<QString> testIdentity{};
  std::optional<QString> testVersion{};

  bool wantsConnection = false;
  bool hasNearbyServices = false;
};

// "Ready" while the socket is, else the manager's own words verbatim, even empty.
QString managerSocketText(bool isConnected, const QString &stateDescription);

struct ConnectionStatusRows {
  QString managerSocket;
  QString eosResponse;
  QString configuration;
  std::optional<QString> lastEosResponse;
};
ConnectionStatusRows connectionStatusRows(const ConnectionPageInput &page,
                                          const QLocale &locale = QLocale());

struct SavedConnectionRow {
  QString title;
  QString detail;
  bool selected = false;

  friend bool operator==(const SavedConnectionRow &, const SavedConnectionRow &) = default;
};
struct SavedConnections {
  QList<SavedConnectionRow> rows;  // one for each saved profile, in the list's order
  std::optional<QString> emptyText;
  std::optional<QString> storageError;
  // Where settings are saved, the person hears that they are not, until a write succeeds.
  std::optional<QString> settingsFileError;
  QString saveButtonTitle;
};
SavedConnections savedConnections(const ConnectionPageInput &page);

struct ConnectionRoute {
  bool relayDetailsShown = false;
  // The same reading of the code as the relay's own: trimmed, strict base64, 32 bytes.
  bool nearbyMacsEnabled = false;
};
ConnectionRoute connectionRoute(const ConnectionPageInput &page);

struct ConnectionSettings {
  QString destinationPortTitle;
  QString destinationPortPlaceholder;
  bool listenPortShown = false;
  bool framingShown = false;
  std::optional<QString> validationError;
  QString footer;
};
ConnectionSettings connectionSettings(const ConnectionPageInput &page);

struct ConnectionTest {
  bool buttonEnabled = true;
  bool busyShown = false;
  std::optional<QString> result;
  std::optional<QString> identity;
  std::optional<QString> version;
};
ConnectionTest connectionTest(const ConnectionPageInput &page);

// "Connect" always reacts; "Disconnect" only while a connection is wanted.
bool disconnectEnabled(const ConnectionPageInput &page);

struct NearbyServices {
  std::optional<QString> emptyText;
  QString rowCaption;
};
NearbyServices nearbyServices(const ConnectionPageInput &page);

}  // namespace tarnik
