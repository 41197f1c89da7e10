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

// Sets up what later flows own (a synchronised show) and reads the limits the constructor
// kept.
struct AppViewModelTestAccess {
  static void setShowOnScreen(AppViewModel &model, const QString &identity, const QString &name,
                              std::optional<double> lastDataRefresh, QList<Cue> cues = {}) {
    model.session_.publishedShowIdentity = identity;
    model.mirror_->showFileName_ = name;
    model.mirror_->lastDataRefresh_ = lastDataRefresh;
    model.mirror_->cues_ = std::move(cues);
  }
  // The show sync's private state.
  using SyncGeneration = ShowMirror::SyncGeneration;
  static const SyncGeneration *syncGeneration(const AppViewModel &model) {
    return model.showMirror().syncGeneration();
  }
  static void forgetKnownShowIdentity(AppViewModel &model) {
    model.session_.liveShowIdentity.reset();
  }
  static void setPendingPatchWrite(AppViewModel &model, AppViewModel::PatchWritePhase phase) {
    model.pendingPatchWrite_ = AppViewModel::PendingPatchWrite{.phase = phase};
  }
  static void setShowCleared(AppViewModel &model) { model.session_.showIsCleared = true; }
  static void syncTimedOut(AppViewModel &model, const QUuid &generationID, const QUuid &session) {
    model.mirror_->syncTimedOut(generationID, session);
  }
  static QUuid sessionID(const AppViewModel &model) { return model.session_.id; }
  static QString showDisplayName(const QString &path) { return ShowMirror::showDisplayName(path); }
  static std::tuple<double, double, double, int> limits(const AppViewModel &model) {
    const ConnectionSupervisor::Limits &reconnect = model.supervisor().limits();
    return {model.showMirror().syncTimeout(), model.directPatchReadTimeout_,
            reconnect.reconnectBaseDelay, reconnect.maximumReconnectAttempts};
  }

  // Connection lifecycle: what only a running session or a console sets.
  static void setConsoleSession(AppViewModel &model, const QString &commandLine,
                                std::optional<AppViewModel::OwnedFlash> flash,
                                std::optional<AppViewModel::PendingPatchWrite> write = {}) {
    // As the console reports them: a command line that is not blank is also a history row.
    model.commandLine_->handleCommandLineText(commandLine);
    for (int key = 1; key <= 12; ++key)
      model.commandLine_->handleSoftkey(key, QStringLiteral("Key"));
    model.ownedFlash_ = flash;
    model.pendingPatchWrite_ = std::move(write);
  }
  static bool holdsFlash(const AppViewModel &model) { return model.ownedFlash_.has_value(); }

  // Profiles.
  static void restoreLastConnectedProfile(AppViewModel &model) {
    model.restoreLastConnectedProfile();
  }

  // Fixture control: the show facts the gates read.
  static void setShowFacts(AppViewModel &model, std::optional<QString> live,
                           std::optional<QString> published, bool completedThisSession,
                           bool syncing) {
    model.session_.liveShowIdentity = std::move(live);
    model.session_.publishedShowIdentity = std::move(published);
    if (completedThisSession) model.session_.completedSyncSessionID = model.session_.id;
    if (syncing)
      model.mirror_->syncGeneration_ =
          std::make_unique<ShowMirror::SyncGeneration>(model.session_.id, std::nullopt);
  }

  // Patch edits: the pure library check and the single-channel reads still out.
  static std::optional<QString> libraryChoiceIssue(const PatchFixtureChoice &choice,
                                                   const std::optional<FixtureCatalogMode> &mode,
                                                   const std::optional<QString> &version) {
    return AppViewModel::libraryChoiceIssue(choice, mode, version);
  }
  static qsizetype outstandingPatchReads(const AppViewModel &model) {
    return model.pendingDirectPatchReads_.size();
  }
  // Points the pending write at another show, as if the console had moved on meanwhile.
  static void movePendingPatchWrite(AppViewModel &model, const QString &showIdentity) {
    model.pendingPatchWrite_->showIdentity = showIdentity;
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
