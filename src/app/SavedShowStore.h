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
// when the store goes. The file is replaced only once all of it is written: a write that
// fails leaves the old file, is logged under the `tarnik.app` log category and announced.
// A list that earlier versions kept in the settings store moves to the file of its own,
// merged with what that file holds (per show the later snapshot), and leaves the store only
// when that file holds it; a list on either side that cannot be read keeps the settings
// store's copy in place. For as long as the settings store holds a list, the move included,
// its own writes, which a change of any setting asks for on the GUI thread, run on the
// worker, one at a time, each carrying every change made before it.
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
  // A write of the list ended: whether the file now holds the list stored last.
  void savedShowsWritten(bool written);

 protected:
  // While the settings store holds a list, its own writes go to the worker.
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void load();
  void persist();
  // Starts what waits on the worker, the list first, unless a write runs.
  void startWaitingWrite();
  // Writes the list's file (when `newFileText` gives a text), then lets the settings store
  // go of its copy, both on the worker.
  void moveStoredSavedShows(std::function<std::optional<QByteArray>()> newFileText);
  void letSettingsGoOfSavedShows();
  void endMove();
  // Runs `write` on the worker, then `then` on this thread.
  void startWrite(std::function<void()> write, std::function<void()> then = {});
  void finishWrite();
  void finishWritesNow();

  QSettings &defaults_;
  const QString fileName_;
  QList<SavedShowFile> savedShowFiles_;  // newest first
  std::optional<QList<SavedShowFile>> savedShowsToStore_;
  std::unique_ptr<QFutureWatcher<void>> savedShowsWrite_;
  std::function<void()> afterWrite_;
  bool settingsHoldList_ = false;   // the settings store's writes run on the worker
  bool moving_ = false;             // the move runs on the worker
  bool settingsWriteHeld_ = false;  // the settings store asked to write meanwhile
};

}  // namespace tarnik
