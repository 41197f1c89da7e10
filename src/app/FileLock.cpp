#include "app/FileLock.h"

#include "app/WholeFileRead.h"
#include "app/WholeFileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <unistd.h>

#include <cerrno>
#include <csignal>

using namespace Qt::StringLiterals;

namespace tarnik {

FileLock::FileLock(const QString &fileName, std::chrono::milliseconds wait)
    : lock_(fileName + u".lock"_s) {
  // The lock file needs the folder the settings file will be in.
  if (!QDir().mkpath(QFileInfo(fileName).absolutePath())) {
    failure_ = u"the folder could not be made"_s;
    return;
  }
  if (lock_.tryLock(wait) || (lock_.error() == QLockFile::LockFailedError &&
                              removeLockOfEndedProgram() && lock_.tryLock())) {
    removeUnfinishedWrites(fileName);
    return;
  }
  if (failure_) return;
  switch (lock_.error()) {
    case QLockFile::LockFailedError:
      failure_ = u"another program holds its lock"_s;
      break;
    case QLockFile::PermissionError:
      failure_ = qt_error_string(EACCES);
      break;
    default:
      // The lock file's few bytes did not fit: the disk is full.
      failure_ =
          freeRoomBeside(fileName) == 0 ? qt_error_string(ENOSPC) : u"its lock could not be made"_s;
  }
}

bool FileLock::removeLockOfEndedProgram() {
  // QLockFile takes this one while it removes a lock, so no two remove the same lock, nor one
  // the lock another made after removing it. A folder where it cannot be made is one where
  // no lock can be made either, and the removal says why it fails.
  QLockFile removal(lock_.fileName() + u".rmlock"_s);
  if (!removal.tryLock() && removal.error() == QLockFile::LockFailedError) return false;
  qint64 pid = 0;
  QString hostName;
  if (!lock_.getLockInfo(&pid, &hostName, nullptr)) {
    const FileReadResult read = readFileWhole(lock_.fileName());
    if (read && !*read) return true;  // released meanwhile
    failure_ =
        u"its lock %1 cannot be read to tell whether the program that left it has ended: %2"_s.arg(
            lock_.fileName(), read ? u"it names no program"_s : read.error());
    return false;
  }
  // A process that may be running, or one on another machine sharing the folder, keeps it.
  if (hostName != QSysInfo::machineHostName() || pid_t(pid) != pid || ::kill(pid_t(pid), 0) == 0 ||
      errno != ESRCH) {
    return false;
  }
  if (::unlink(QFile::encodeName(lock_.fileName()).constData()) == 0) return true;
  failure_ = u"its lock %1, left by a program that has ended, cannot be removed: %2"_s.arg(
      lock_.fileName(), qt_error_string(errno));
  return false;
}

}  // namespace tarnik
