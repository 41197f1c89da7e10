#include "app/FileLock.h"

#include "app/WholeFileWrite.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace tarnik {

FileLock::FileLock(const QString &fileName, std::chrono::milliseconds wait)
    : lock_(fileName + u".lock"_s) {
  // The lock file needs the folder the settings file will be in.
  if (!QDir().mkpath(QFileInfo(fileName).absolutePath())) {
    failure_ = u"the folder could not be made"_s;
    return;
  }
  if (lock_.tryLock(wait)) {
    removeUnfinishedWrites(fileName);
    return;
  }
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

}  // namespace tarnik
