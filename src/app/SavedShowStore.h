#pragma once

#include "app/SettingsStore.h"
#include "foundation/ObservableObject.h"
#include "model/SavedShowFile.h"

#include <QList>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace tarnik {

// The show snapshots kept for offline use, newest first, one per show and console, and
// their place in a file of their own beside the settings file, under the same key. A large
// show makes that file large: the settings file, written at every change of a setting, never
// holds it. Encoding every snapshot and writing the file take longer than a frame, so both
// run on the file writes' thread; a list that changes meanwhile waits for the running write
// to end, and whatever still waits is stored when the store goes, as long as the settings
// store's end would wait. Each write holds the file's own lock and reads the file again:
// snapshots another copy of the program stored there meanwhile stay (per show the later
// one), and a file that exists but cannot be read is not written over. The file is replaced
// only once all of it is written: a write that fails leaves the old file, is logged under
// the `tarnik.app` log category and announced. A list that earlier versions kept in the
// settings moves to the file of its own, merged with what that file holds (per show the
// later snapshot), and leaves the settings only when that file holds it; a list on either
// side that cannot be read keeps the settings' copy in place.
class SavedShowStore final : public ObservableObject {
  Q_OBJECT

 public:
  // Reads the stored snapshots. The settings are not owned and outlive this store.
  // `writeFile` replaces the list's file (none: writeFileWhole); the tests' other copy of the
  // program holds it up.
  explicit SavedShowStore(SettingsStore &settings, SettingsStore::FileWriter writeFile = {},
                          QObject *parent = nullptr);
  // The file the snapshots are kept in, beside this settings file.
  static QString savedShowsFileName(const QString &settingsFileName);
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

 private:
  struct Write;

  void load();
  void persist();
  // Starts the waiting list's write on the worker, unless a write runs.
  void startWaitingWrite();
  // Writes the list's file on the worker (when `newFileText` gives a text), then lets the
  // settings go of their copy.
  void moveStoredSavedShows(std::function<std::optional<QByteArray>()> newFileText);
  // Runs `write` on the worker, then `then` with its outcome on this thread.
  void startWrite(std::function<bool()> write, std::function<void(bool written)> then);
  void finishWrite(const std::shared_ptr<Write> &write);
  // Waits for the write under way and what follows it, until the deadline.
  void finishWritesBefore(std::chrono::steady_clock::time_point deadline);

  SettingsStore &settings_;
  const QString fileName_;
  const SettingsStore::FileWriter writeFile_;
  QList<SavedShowFile> savedShowFiles_;  // newest first
  std::optional<QList<SavedShowFile>> savedShowsToStore_;
  std::shared_ptr<Write> running_;
};

}  // namespace tarnik
