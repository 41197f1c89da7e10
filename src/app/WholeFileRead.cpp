#include "app/WholeFileRead.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

// A settings file holds texts a person could read; one this large is not one.
constexpr qint64 largestFile = qint64(1) << 30;

std::unexpected<QString> systemError(int error) { return std::unexpected(qt_error_string(error)); }

}  // namespace

FileReadResult readFileWhole(const QString &fileName) {
  const int descriptor = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) {
    if (errno == ENOENT) return std::optional<QByteArray>();
    return systemError(errno);
  }
  FileReadResult result = std::optional<QByteArray>(QByteArray());
  QByteArray &content = **result;
  struct stat status {};
  if (::fstat(descriptor, &status) == 0 && status.st_size > 0 && status.st_size <= largestFile) {
    content.reserve(status.st_size);
  }
  char buffer[1 << 16];
  for (;;) {
    const ssize_t read = ::read(descriptor, buffer, sizeof buffer);
    if (read < 0 && errno == EINTR) continue;
    if (read < 0) {
      result = systemError(errno);
      break;
    }
    if (read == 0) break;
    if (content.size() + read > largestFile) {
      result = std::unexpected(u"the file is larger than 1 GB"_s);
      break;
    }
    content.append(buffer, read);
  }
  ::close(descriptor);
  return result;
}

}  // namespace tarnik
