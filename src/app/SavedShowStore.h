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
// file of its own once, and leaves the store only when that file holds it.
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

 private:
  void load();
  void persist();
  void writeWaitingSavedShows();
  void moveStoredSavedShows(const QString &text);
  void startWrite(std::function<void()> write);
  void storeWaitingSavedShowsNow();

  QSettings &defaults_;
  const QString fileName_;
  QList<SavedShowFile> savedShowFiles_;  // newest first
  std::optional<QList<SavedShowFile>> savedShowsToStore_;
  std::unique_ptr<QFutureWatcher<void>> savedShowsWrite_;
};

}  // namespace tarnik
