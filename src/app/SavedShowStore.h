#pragma once

#include "foundation/ObservableObject.h"
#include "model/SavedShowFile.h"

#include <QFutureWatcher>
#include <QList>
#include <QSettings>
#include <QString>

#include <memory>
#include <optional>

namespace tarnik {

// The show snapshots kept for offline use, newest first, one per show and console, and
// their place in the settings store. Encoding every snapshot of a large show and writing the
// settings file take longer than a frame, so both run on a worker thread; a list that
// changes meanwhile waits for the running write to end, and whatever still waits is stored
// when the store goes.
class SavedShowStore final : public ObservableObject {
  Q_OBJECT

 public:
  // Reads the stored snapshots. The settings store is not owned and outlives this one.
  explicit SavedShowStore(QSettings &defaults, QObject *parent = nullptr);
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
  void storeWaitingSavedShowsNow();

  QSettings &defaults_;
  QList<SavedShowFile> savedShowFiles_;  // newest first
  std::optional<QList<SavedShowFile>> savedShowsToStore_;
  std::unique_ptr<QFutureWatcher<void>> savedShowsWrite_;
};

}  // namespace tarnik
