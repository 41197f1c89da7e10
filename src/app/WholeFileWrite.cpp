#include "app/WholeFileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <sys/statvfs.h>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

// A new file's name: the file's own, this mark and a random part, so that what a killed
// write left is known by its name and nothing else is.
constexpr char unfinishedMark[] = ".unfinished-";

// The file the content goes to: a settings file kept elsewhere behind a link stays a link.
QString writtenFileName(const QString &fileName) {
  const QFileInfo info(fileName);
  return info.isSymLink() && !info.canonicalFilePath().isEmpty() ? info.canonicalFilePath()
                                                                 : info.absoluteFilePath();
}

std::unexpected<QString> systemError(int error) { return std::unexpected(qt_error_string(error)); }

// A new file of the process's usual permissions (the umask applies), or those of the file it
// replaces, under a name nobody else uses.
int createBeside(const QByteArray &target, QByteArray &temporary) {
  struct stat existing {};
  const bool replaces = ::stat(target.constData(), &existing) == 0;
  for (int attempt = 0; attempt < 16; ++attempt) {
    temporary =
        target + unfinishedMark + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
    const int descriptor =
        ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0 && errno == EEXIST) continue;
    if (descriptor >= 0 && replaces) ::fchmod(descriptor, existing.st_mode & 07777);
    return descriptor;
  }
  return -1;
}

FileWriteResult writeAll(int descriptor, QByteArrayView content) {
  const char *next = content.data();
  qsizetype left = content.size();
  while (left > 0) {
    const ssize_t written = ::write(descriptor, next, std::min<qsizetype>(left, 1 << 30));
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return systemError(errno);
    if (written == 0) return std::unexpected(u"the disk took no more bytes"_s);
    next += written;
    left -= written;
  }
  return {};
}

}  // namespace

FileWriteResult writeFileWhole(const QString &fileName, QByteArrayView content,
                               int (*syncData)(int fd)) {
  const QString resolvedFile = writtenFileName(fileName);
  const QString folder = QFileInfo(resolvedFile).absolutePath();
  if (!QDir().mkpath(folder)) return std::unexpected(u"the folder could not be made"_s);

  const QByteArray target = QFile::encodeName(resolvedFile);
  QByteArray temporary;
  const int descriptor = createBeside(target, temporary);
  if (descriptor < 0) return systemError(errno);
  FileWriteResult result = writeAll(descriptor, content);
  if (result && (syncData ? syncData : ::fsync)(descriptor) != 0) result = systemError(errno);
  // A close can report a write error that the writes did not.
  if (::close(descriptor) != 0 && result) result = systemError(errno);
  if (result && ::rename(temporary.constData(), target.constData()) != 0) {
    result = systemError(errno);
  }
  if (!result) {
    ::unlink(temporary.constData());
    return result;
  }
  // The new name lasts a power cut once the folder is on the disk too. The file is in place
  // either way, so a folder that cannot be synced fails nothing.
  if (const int directory =
          ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      directory >= 0) {
    ::fsync(directory);
    ::close(directory);
  }
  return {};
}

qint64 freeRoomBeside(const QString &fileName) {
  struct statvfs disk {};
  const QByteArray folder = QFile::encodeName(QFileInfo(fileName).absolutePath());
  if (::statvfs(folder.constData(), &disk) != 0) return std::numeric_limits<qint64>::max();
  return qint64(disk.f_bavail) * qint64(disk.f_frsize);
}

void removeUnfinishedWrites(const QString &fileName) {
  const QFileInfo target(writtenFileName(fileName));
  const QString prefix = target.fileName() + QLatin1StringView(unfinishedMark);
  QDir folder = target.dir();
  for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
    if (name.startsWith(prefix)) folder.remove(name);
  }
}

}  // namespace tarnik
