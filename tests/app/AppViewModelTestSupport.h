#pragma once

// A model built the way every app test builds it: its own settings file in a temporary
// folder, networking off, virtual time and a keychain in memory.

#include "app/AppViewModel.h"
#include "support/ManualAppTiming.h"
#include "support/QtTestApplication.h"

#include <QHash>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <memory>

namespace tarnik {

// Sets up what later flows own (an active route, a synchronised show) and reads the
// limits the constructor kept.
struct AppViewModelTestAccess {
  static void setActiveConnection(AppViewModel &model,
                                  std::optional<ConsoleConnectionProfile> active,
                                  std::optional<OSCEndpoint> resumeEndpoint = std::nullopt) {
    model.supervisor_->activeConnectionSettings_ = std::move(active);
    model.supervisor_->resumeEndpoint_ = std::move(resumeEndpoint);
  }
  // The show sync's private state.
  using SyncGeneration = ShowMirror::SyncGeneration;
  static const SyncGeneration *syncGeneration(const AppViewModel &model) {
    return model.showMirror().syncGeneration();
  }
  static QUuid sessionID(const AppViewModel &model) { return model.consoleSession().id; }
  static std::tuple<double, double, double, int> limits(const AppViewModel &model) {
    const ConnectionSupervisor::Limits &reconnect = model.supervisor().limits();
    return {model.showMirror().syncTimeout(), model.patchWrite().channelReadTimeLimit(),
            reconnect.reconnectBaseDelay, reconnect.maximumReconnectAttempts};
  }

  // Connection lifecycle: what only a phone build, a running session or a console sets.
  static void setSuspended(AppViewModel &model, bool suspended) {
    model.supervisor_->isSuspended_ = suspended;
  }
  static void setWantsConnection(AppViewModel &model, bool wants) {
    model.supervisor_->wantsConnection_ = wants;
  }
  static void setReconnectAttempt(AppViewModel &model, int made) {
    model.supervisor_->reconnectAttempt_ = made;
  }
  static int reconnectAttempt(const AppViewModel &model) {
    return model.supervisor().reconnectAttempt();
  }
  static bool reconnectScheduled(const AppViewModel &model) {
    return model.supervisor().isReconnectScheduled();
  }
  // Fixture control: the route a Connect would have set, and the show facts the gates read.
  static void setActiveEndpoint(AppViewModel &model, const OSCEndpoint &endpoint) {
    model.supervisor_->activeConsoleEndpoint_ = endpoint;
  }
};

namespace testing {

class AppViewModelTest : public ::testing::Test {
 protected:
  AppViewModelTest() { ensureCoreApplication(); }

  std::unique_ptr<AppViewModel> makeModel(AppViewModel::Arguments arguments = {}) {
    arguments.defaults = &settings;
    arguments.startNetworkingOnInit = false;
    arguments.timing = timing;
    // Pairing codes by keychain account; every read is recorded.
    arguments.loadRelayKey = [this](const QString &account)
        -> std::expected<std::optional<QString>, TarnikRelaySecurity::Failure> {
      loadedAccounts.append(account);
      if (keychainFails) return std::unexpected(TarnikRelaySecurity::Failure{});
      if (!keychain.contains(account)) return std::nullopt;
      return keychain.value(account);
    };
    arguments.storeRelayKey =
        [this](const QString &code,
               const QString &account) -> std::expected<void, TarnikRelaySecurity::Failure> {
      if (keychainFails) return std::unexpected(TarnikRelaySecurity::Failure{});
      keychain.insert(account, code);
      return {};
    };
    return std::make_unique<AppViewModel>(std::move(arguments));
  }

  QStringList storedKeys() {
    QStringList keys = settings.allKeys();
    keys.sort();
    return keys;
  }
  QByteArray storedText(const QString &key) { return settings.value(key).toString().toUtf8(); }

  QTemporaryDir folder;
  QSettings settings{folder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat};
  std::shared_ptr<ManualAppTiming> timing = std::make_shared<ManualAppTiming>();
  QHash<QString, QString> keychain;
  QStringList loadedAccounts;
  bool keychainFails = false;
};

}  // namespace testing
}  // namespace tarnik
