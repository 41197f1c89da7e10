#pragma once

#include <QLockFile>
#include <QString>

#include <chrono>
#include <optional>

namespace tarnik {

// The lock a settings object takes beside its file ("Tarnik.conf.lock") while it reads the
// file again and writes it, held here over the same steps, so that copies of the program and
// its earlier versions take turns on one file. One held by a live process is waited for, but
// only so long. A lock whose process is gone is taken over: QLockFile removes it only when it
// may open it for writing, so one it may not (a run as another user left it in this user's
// folder) is removed here once it names this machine and a process that is not running.
// One that cannot be read or removed stays, and the failure names it for a person to remove.
// Once held, what killed writes of the file left beside it goes. Runs on any thread;
// released when this object goes.
class FileLock {
 public:
  FileLock(const QString &fileName, std::chrono::milliseconds wait);
  FileLock(const FileLock &) = delete;
  FileLock &operator=(const FileLock &) = delete;

  // Why the lock is not held, or nothing once it is.
  const std::optional<QString> &failure() const { return failure_; }

 private:
  // Whether the lock is gone now, removed when its process had ended; when it stays for a
  // reason a person must see, the failure says so.
  bool removeLockOfEndedProgram();

  QLockFile lock_;
  std::optional<QString> failure_;
};

}  // namespace tarnik
