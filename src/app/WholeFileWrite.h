#pragma once

#include <QByteArrayView>
#include <QString>

#include <expected>

namespace tarnik {

// Why a file could not be written, in the system's words ("No space left on device").
using FileWriteResult = std::expected<void, QString>;

// Replaces the file with `content`, whole, or leaves the old file as it was and says why.
// The content goes to a new file beside it, every byte counted (a write that stops short on
// a full disk reports no error, only a short count), is synced to the disk with the sync's
// result checked, and only then takes the file's name. Runs on any thread; a file behind a
// link is written where the link points. `syncData` stands in for fsync(2) in tests.
FileWriteResult writeFileWhole(const QString &fileName, QByteArrayView content,
                               int (*syncData)(int fd) = nullptr);

// The bytes a new file beside this one may take on its disk; on a disk that cannot say, as
// many as there can be.
qint64 freeRoomBeside(const QString &fileName);

// Removes the new files that writes of this file began and never finished (the program was
// killed, or the machine stopped), which may be as large as the file. Only while the file's
// lock is held: another writer's new file is then never one under way.
void removeUnfinishedWrites(const QString &fileName);

}  // namespace tarnik
