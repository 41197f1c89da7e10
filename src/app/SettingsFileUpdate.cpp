#include "app/SettingsFileUpdate.h"

#include "app/FileLock.h"
#include "app/WholeFileRead.h"

#include <QFileInfo>

#include <sys/statvfs.h>

namespace tarnik {

namespace {

// The bytes a new file may take on the disk that holds the folder; on a disk that cannot say,
// as many as asked.
qint64 freeRoom(const QString &fileName) {
  struct statvfs disk {};
  if (::statvfs(QFile::encodeName(QFileInfo(fileName).absolutePath()).constData(), &disk) != 0) {
    return std::numeric_limits<qint64>::max();
  }
  return qint64(disk.f_bavail) * qint64(disk.f_frsize);
}

}  // namespace

SettingsFileUpdate::Outcome SettingsFileUpdate::run() const {
  Outcome outcome;
  if (roomNeeded && freeRoom(fileName) < *roomNeeded) {
    outcome.waitedForRoom = true;
    outcome.contentSize = *roomNeeded;
    return outcome;
  }
  const FileLock lock(fileName, lockWait);
  if (lock.failure()) {
    outcome.failure = SettingsFileFailure{SettingsFileFailure::Step::write, *lock.failure()};
    return outcome;
  }
  const FileReadResult read = readFileWhole(fileName);
  if (!read) {
    outcome.failure = SettingsFileFailure{SettingsFileFailure::Step::read, read.error()};
    return outcome;
  }
  SettingsValues values = *read ? settingsFromFileContent(**read) : SettingsValues();
  if ((*read && changesMadeWithoutTheFile) || changes.isEmpty()) {
    outcome.changesLaid = !*read || !changesMadeWithoutTheFile;
    outcome.fileValues = std::move(values);
    return outcome;
  }
  for (auto change = changes.cbegin(); change != changes.cend(); ++change) {
    if (change.value()) {
      values.insert(change.key(), *change.value());
    } else {
      values.remove(change.key());
    }
  }
  const QByteArray content = settingsFileContent(values);
  outcome.contentSize = content.size();
  // A file that holds these bytes already is not written again.
  if (!*read || **read != content) {
    const FileWriteResult written =
        writeFile ? writeFile(fileName, content) : writeFileWhole(fileName, content);
    if (!written) {
      outcome.failure = SettingsFileFailure{SettingsFileFailure::Step::write, written.error()};
      return outcome;
    }
  }
  outcome.fileValues = std::move(values);
  outcome.changesLaid = true;
  return outcome;
}

}  // namespace tarnik
