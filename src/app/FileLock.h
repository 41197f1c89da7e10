#pragma once

#include <QLockFile>
#include <QString>

#include <chrono>
#include <optional>

namespace tarnik {

// The lock a settings object takes beside its file ("Tarnik.conf.lock") while it reads the
// file again and writes it, held here over the same steps, so that copies of the program and
// its earlier versions take turns on one file. A lock whose process is gone is taken over;
// one held by a live process is waited for, but only so long. Once held, what killed writes
// of the file left beside it goes. Runs on any thread; released when this object goes.
class FileLock {
 public:
  FileLock(const QString &fileName, std::chrono::milliseconds wait);
  FileLock(const FileLock &) = delete;
  FileLock &operator=(const FileLock &) = delete;

  // Why the lock is not held, or nothing once it is.
  const std::optional<QString> &failure() const { return failure_; }

 private:
  QLockFile lock_;
  std::optional<QString> failure_;
};

}  // namespace tarnik
