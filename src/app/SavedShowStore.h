#pragma once

#include "foundation/ObservableObject.h"
#include "model/SavedShowFile.h"

#include <QFutureWatcher>
#include <QList>
#include <QSettings>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace tarnik {

// The show snapshots kept for offline use, newest first, one per show and console, and
// their place in a settings file of their own beside the settings store, under the same
// key. A large show makes that file large: the settings store's own file, which the GUI
// thread writes at every change of a setting, never holds it. Encoding every snapshot and
// writing the file take longer than a frame, so both run on a worker thread; a list that
// changes meanwhile waits for the running write to end, and whatever still waits is stored
// when the store goes. A list that earlier versions kept in the settings store moves to the
// file of its own, merged with what that file holds (per show the later snapshot), and leaves
// the store only when that file holds it; a list on either side that cannot be read keeps the
// settings store's copy in place. The move runs on the worker, and the settings store's own
// write waits for it, so the GUI thread never rewrites that file with the list in it. A
// write that fails is reported under the `tarnik.app` log category.
class SavedShowStore final : public ObservableObject {
  Q_OBJECT

 public:
  // Reads the stored snapshots. The settings store is not owned and outlives this one.
  explicit SavedShowStore(QSettings &defaults, QObject *parent = nullptr);
  // The file the snapshots of this settings store are kept in, in its format.
  static QString savedShowsFileName(const QSettings &defaults);
  ~SavedShowStore() override;

  // Puts the snapshot in place of the one with its storage key, or adds it, and stores
  // the list.
  void store(SavedShowFile snapshot);
  // The key a show is kept under: its identity and the console's address, folded.
  static QString showStorageKey(const QString &showIdentity, const QString &consoleAddress);

  // Published values
  const QList<SavedShowFile> &savedShowFiles() const { return savedShowFiles_; }

 signals:
  void savedShowFilesChanged(const QList<tarnik::SavedShowFile> &value);

 protected:
  // While the list moves, the settings store's own write waits (see `moveStoredSavedShows`).
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void load();
  void persist();
  void writeWaitingSavedShows();
  // Writes the list's file (when `newFileText` gives a text), then lets the settings store
  // go of its copy, both on the worker.
  void moveStoredSavedShows(std::function<std::optional<QString>()> newFileText);
  void letSettingsGoOfSavedShows(bool written);
  void endMove();
  // Runs `write` on the worker, then `then` on this thread.
  void startWrite(std::function<void()> write, std::function<void()> then = {});
  void storeWaitingSavedShowsNow();

  QSettings &defaults_;
  const QString fileName_;
  QList<SavedShowFile> savedShowFiles_;  // newest first
  std::optional<QList<SavedShowFile>> savedShowsToStore_;
  std::unique_ptr<QFutureWatcher<void>> savedShowsWrite_;
  std::function<void()> afterWrite_;
  bool moving_ = false;             // the move runs on the worker
  bool settingsWriteHeld_ = false;  // the settings store asked to write meanwhile
};

}  // namespace tarnik
