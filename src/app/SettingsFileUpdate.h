#pragma once

#include "app/SettingsChanges.h"
#include "app/WholeFileWrite.h"

#include <QString>

#include <chrono>
#include <functional>
#include <optional>

namespace tarnik {

// Why the settings file does not hold what the program holds: it could not be read since
// the program started, so it is left as it is and what the program made up without it gives
// way to it once it can be read; it could not be read again before a write; or it could not
// be written.
struct SettingsFileFailure {
  enum class Step { read, readAgain, write };
  Step step = Step::write;
  QString reason;  // in the system's words ("No space left on device")

  bool operator==(const SettingsFileFailure &) const = default;
};

// One pass over the settings file, on a worker thread: under the file's lock, the file is
// read as it is on disk, the changes are laid over it and the result written whole, so that
// what another copy or an earlier version wrote meanwhile stays. A file that exists but
// cannot be read is never written over.
struct SettingsFileUpdate {
  // Writes the file's whole content; tests record or fail it.
  using FileWriter = std::function<FileWriteResult(const QString &fileName, const QByteArray &)>;

  QString fileName;
  SettingsChanges changes;
  // What the fallback files hold: a list of records the file lacks is theirs.
  SettingsValues fallbacks{};
  // The program could not read the file when it started, so its changes were made without
  // it: they are laid over no file, not even a missing one, which is only read.
  bool changesMadeWithoutTheFile = false;
  // Goes on only once the disk has this many bytes free: the last write found it full, and
  // nothing changed since.
  std::optional<qint64> roomNeeded;
  std::chrono::milliseconds lockWait{};
  FileWriter writeFile;  // none: writeFileWhole

  struct Outcome {
    // The file's values once the pass is done: those written, or those read when nothing
    // was written. None when the file could not be read.
    std::optional<SettingsValues> fileValues;
    bool changesLaid = false;  // the changes are in the file
    // Lists that could not be read, kept under other keys by the changes laid.
    QList<SettingsListSetAside> setAside;
    std::optional<SettingsFileFailure> failure;
    qint64 contentSize = 0;      // of the content the pass tried to write
    bool waitedForRoom = false;  // the disk still lacked the room: nothing was tried
  };
  Outcome run() const;
};

}  // namespace tarnik
