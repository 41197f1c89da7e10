#pragma once

#include "model/ConsoleConnectionProfile.h"
#include "screens/connection/WorkspacePairing.h"
#include "shell/RelayPairingKeychain.h"
#include "shell/WorkspacePages.h"

#include <QPointer>
#include <QWidget>

#include <expected>
#include <optional>

class QLabel;
class QListWidget;
class QSplitter;
class QVBoxLayout;

namespace tarnik {

class MacUpdater;

// The application's one window: a sidebar with the six pages and the status block, and the
// selected page beside it under its title. Each page is built afresh whenever it is shown;
// what the pages share (WorkspaceState) lives as long as the window.
class MacWorkspaceView : public QWidget, public WorkspacePairing {
  Q_OBJECT

 public:
  MacWorkspaceView(AppViewModel &app, TarnikRelayServer &relay, MoverController &mover,
                   MacUpdater &updater, WorkspacePageFactories factories,
                   RelayPairingKeychain keychain = RelayPairingKeychain::relaySecurity(),
                   QWidget *parent = nullptr);

  const WorkspaceState &state() const { return state_; }
  // Shows the page with this title, as a click on its sidebar row does.
  void showPage(const QString &title);

  // The relay's pairing code. Loaded once, after the window's first paint, and like a new
  // code stored, away from the GUI thread: the keychain may take long to answer or wait for
  // the person. Either is shown once the keychain has answered.
  void loadPairingCode();
  void replacePairingCode() override;
  void onPairingChanged(QObject *receiver, std::function<void()> changed) override;
  bool canUseBoardRoute() const override;

 signals:
  // The user closed the window.
  void closed();
  // The pairing code or its error changed.
  void pairingChanged();

 protected:
  void closeEvent(QCloseEvent *event) override;

 private:
  // The code made by replacePairingCode, once stored, or why there is none.
  void showNewPairingCode(const std::expected<QString, RelayPairingKeychain::Failure> &code);
  QWidget *makeSidebar();
  QWidget *makePage(WorkspacePages::Page page);
  void redraw();

  AppViewModel &app_;
  TarnikRelayServer &relay_;
  MoverController &mover_;
  MacUpdater &updater_;
  WorkspacePageFactories factories_;
  RelayPairingKeychain keychain_;
  bool loadingPairingCode_ = false;
  bool storingPairingCode_ = false;
  WorkspaceState state_;
  WorkspaceContext context_;
  std::optional<ConsoleConnectionProfile> seenConnectionSettings_;

  QListWidget *sidebarList_ = nullptr;
  QLabel *detailTitle_ = nullptr;
  QVBoxLayout *detailLayout_ = nullptr;
  QPointer<QWidget> pageContent_;
};

}  // namespace tarnik
