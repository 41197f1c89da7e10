#pragma once

// A model built the way every app test builds it: its own settings file in a temporary
// folder, networking off, virtual time and a keychain in memory (unless a test brings a
// store of its own).

#include "app/AppViewModel.h"
#include "support/BackgroundWorkSettling.h"
#include "support/ManualAppTiming.h"
#include "support/QtTestApplication.h"

#include <QHash>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <memory>

namespace tarnik {

namespace testing {

class AppViewModelTest : public ::testing::Test {
 protected:
  AppViewModelTest() { ensureCoreApplication(); }
  // The keychain below is written from the pool, where the model stores pairing codes.
  ~AppViewModelTest() override { settleBackgroundWork(); }

  std::unique_ptr<AppViewModel> makeModel(AppViewModel::Arguments arguments = {}) {
    arguments.defaults = &settings;
    arguments.startNetworkingOnInit = false;
    arguments.timing = timing;
    // Pairing codes by keychain account; every read is recorded.
    if (!arguments.loadRelayKey) {
      arguments.loadRelayKey = [this](const QString &account)
          -> std::expected<std::optional<QString>, TarnikRelaySecurity::Failure> {
        loadedAccounts.append(account);
        if (keychainFails) return std::unexpected(TarnikRelaySecurity::Failure{});
        if (!keychain.contains(account)) return std::nullopt;
        return keychain.value(account);
      };
    }
    if (!arguments.storeRelayKey) {
      arguments.storeRelayKey =
          [this](const QString &code,
                 const QString &account) -> std::expected<void, TarnikRelaySecurity::Failure> {
        if (keychainFails) return std::unexpected(TarnikRelaySecurity::Failure{});
        keychain.insert(account, code);
        return {};
      };
    }
    return std::make_unique<AppViewModel>(std::move(arguments));
  }

  QStringList storedKeys() {
    QStringList keys = settings.allKeys();
    keys.sort();
    return keys;
  }
  QByteArray storedText(const QString &key) { return settings.value(key).toString().toUtf8(); }
  // The snapshots, kept in a file of their own beside the settings.
  QByteArray storedSavedShowsText() {
    const QSettings file(SavedShowStore::savedShowsFileName(settings.fileName()),
                         QSettings::IniFormat);
    return file.value(QStringLiteral("savedShowFiles")).toString().toUtf8();
  }

  QTemporaryDir folder;
  SettingsStore settings{folder.filePath(QStringLiteral("settings.ini"))};
  std::shared_ptr<ManualAppTiming> timing = std::make_shared<ManualAppTiming>();
  QHash<QString, QString> keychain;
  QStringList loadedAccounts;
  bool keychainFails = false;
};

}  // namespace testing
}  // namespace tarnik
