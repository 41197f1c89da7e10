#pragma once

#include "app/SettingsStore.h"
#include "platform/LogindSleepMonitor.h"
#include "shell/RelayPairingKeychain.h"
#include "shell/WorkspacePages.h"

#include <memory>

namespace tarnik {

class DeferredGamePadSource;
class MacUpdater;
class MacWorkspaceView;

// The application: the long-lived objects, each made once with the program's fixed
// arguments and kept until the process ends, and the one window that shows them.
class TarnikApp {
 public:
  // Needs the QApplication. Nothing here waits on the keychain, Avahi or the network.
  TarnikApp();
  ~TarnikApp();
  TarnikApp(const TarnikApp &) = delete;
  TarnikApp &operator=(const TarnikApp &) = delete;

  AppViewModel &appViewModel() { return *appViewModel_; }
  TarnikRelayServer &relayServer() { return *relayServer_; }
  MoverController &moverController() { return *moverController_; }
  MacUpdater &updater() { return *updater_; }

  // The window, 1200 by 820 at first, never smaller than 950 by 680, centred; not shown yet.
  // Closing it quits the application: on a desktop a process without its window would go
  // on relaying phones and holding the machine awake with nothing left to stop it.
  // Its pairing code lives in the keychain given.
  MacWorkspaceView &openWindow(
      WorkspacePageFactories pages = {},
      RelayPairingKeychain keychain = RelayPairingKeychain::relaySecurity());

 private:
  void quit();

  SettingsStore defaults_;
  std::unique_ptr<AppViewModel> appViewModel_;
  std::unique_ptr<TarnikRelayServer> relayServer_;
  DeferredGamePadSource *gamePads_ = nullptr;  // the mover owns it
  std::unique_ptr<MoverController> moverController_;
  std::unique_ptr<MacUpdater> updater_;
  // The mover's notice of sleep; the relay keeps one of its own.
  LogindSleepMonitor sleepMonitor_;
  // Last, so it goes first: its pages hold on to the objects above.
  std::unique_ptr<MacWorkspaceView> window_;
};

}  // namespace tarnik
