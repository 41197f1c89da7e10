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
// configuration the constructor kept.
struct AppViewModelTestAccess {
  static void setActiveConnection(AppViewModel &model,
                                  std::optional<ConsoleConnectionProfile> settings,
                                  std::optional<OSCEndpoint> resumeEndpoint = std::nullopt) {
    model.activeConnectionSettings_ = std::move(settings);
    model.resumeEndpoint_ = std::move(resumeEndpoint);
  }

  struct Show {
    QString identity;
    QString name;
    std::optional<double> lastDataRefresh;
    QList<Cue> cues{};
    QList<Channel> channels{};
    QString activeCueNumber{};
    QString activeCueLabel{};
  };
  static void setShowOnScreen(AppViewModel &model, const Show &show) {
    model.publishedShowIdentity_ = show.identity;
    model.showFileName_ = show.name;
    model.lastDataRefresh_ = show.lastDataRefresh;
    model.cues_ = show.cues;
    model.channels_ = show.channels;
    model.activeCueNumber_ = show.activeCueNumber;
    model.activeCueLabel_ = show.activeCueLabel;
  }

  struct Limits {
    double syncTimeout;
    double directPatchReadTimeout;
    double reconnectBaseDelay;
    int maximumReconnectAttempts;
  };
  static Limits limits(const AppViewModel &model) {
    return {model.syncTimeout_, model.directPatchReadTimeout_, model.reconnectBaseDelay_,
            model.maximumReconnectAttempts_};
  }
};

namespace testing {

// Pairing codes by keychain account; every read is recorded.
struct FakeKeychain {
  QHash<QString, QString> codes;
  QStringList loadedAccounts;
  bool fails = false;

  AppViewModel::LoadRelayKey load() {
    return [this](const QString &account)
               -> std::expected<std::optional<QString>, TarnikRelaySecurity::Failure> {
      loadedAccounts.append(account);
      if (fails) return std::unexpected(keychainFailure());
      if (!codes.contains(account)) return std::nullopt;
      return codes.value(account);
    };
  }
  AppViewModel::StoreRelayKey store() {
    return [this](const QString &code,
                  const QString &account) -> std::expected<void, TarnikRelaySecurity::Failure> {
      if (fails) return std::unexpected(keychainFailure());
      codes.insert(account, code);
      return {};
    };
  }
  static TarnikRelaySecurity::Failure keychainFailure() {
    return {TarnikRelaySecurity::Failure::Kind::keychain, 2};
  }
};

class AppViewModelTest : public ::testing::Test {
 protected:
  AppViewModelTest() { ensureCoreApplication(); }

  std::unique_ptr<AppViewModel> makeModel(AppViewModel::Arguments arguments = {}) {
    arguments.defaults = &settings;
    arguments.startNetworkingOnInit = false;
    arguments.loadRelayKey = keychain.load();
    arguments.storeRelayKey = keychain.store();
    arguments.timing = timing;
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
  FakeKeychain keychain;
};

}  // namespace testing
}  // namespace tarnik
