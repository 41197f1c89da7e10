#pragma once

// An application model connected to the console double over TCP and synced with its show:
// what the cue screens show in use. Time is virtual, so the console stays reachable.

#include "app/AppViewModel.h"
#include "support/EosConsoleDouble.h"
#include "support/EosConsoleShow.h"
#include "support/ManualAppTiming.h"
#include "support/QtTestApplication.h"

#include <QTemporaryDir>

#include <memory>

namespace tarnik::testing {

struct SyncedCueConsole {
  SyncedCueConsole() {
    model = std::make_unique<AppViewModel>(AppViewModel::Arguments{
        .defaults = &settings, .startNetworkingOnInit = false, .timing = timing});
  }

  OSCManager &manager() { return *model->oscManager(); }

  // Connects, waits for the show's sync and a matched ping; false when one step never came.
  bool syncShow(const ConsoleShow &show) {
    console.setShow(show);
    manager().connect(QStringLiteral("127.0.0.1"), console.tcpPort(OSCTCPFraming::packetLength));
    // A ready connection starts the sync of its own and pings once.
    if (!waitUntil([&] {
          return !model->isLoadingCues() && model->dataStatusMessage() == QStringLiteral("Synced");
        }))
      return false;
    return waitUntil([&] { return model->isConsoleReachable(); });
  }

  QTemporaryDir folder;
  SettingsStore settings{folder.filePath(QStringLiteral("settings.ini"))};
  std::shared_ptr<ManualAppTiming> timing = std::make_shared<ManualAppTiming>();
  EosConsoleDouble console;
  std::unique_ptr<AppViewModel> model;
};

}  // namespace tarnik::testing
