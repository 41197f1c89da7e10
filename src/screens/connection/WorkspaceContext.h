#pragma once

#include <QString>

#include <optional>

namespace tarnik {

class AppViewModel;
class MoverController;
class TarnikRelayServer;
class UpdateChecker;
class WorkspacePairing;

// What the window keeps for its pages while it is open; pages come and go, this stays.
struct WorkspaceState {
  QString page = QStringLiteral("Connection & relay");
  QString pairingKey;                   // the relay page's pairing code
  std::optional<QString> pairingError;  // why the pairing code could not be loaded
  qint64 boardUser = 1;                 // the controller page's console user
};

// Everything a page is built from: the long-lived objects and the window's own state.
struct WorkspaceContext {
  AppViewModel &app;
  TarnikRelayServer &relay;
  MoverController &mover;
  UpdateChecker &updater;
  WorkspaceState &state;
  WorkspacePairing &workspace;
};

}  // namespace tarnik
