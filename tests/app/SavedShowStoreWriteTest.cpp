// Where the saved shows are written: a large show takes long to write, so the GUI thread
// must neither write them nor write any file that carries them, nor let the settings go of
// them. A list an earlier version kept in the settings moves to the list's own file merged
// with it, leaves the settings only once that file holds it, and stays there, said so, when
// it cannot.

#include "app/SavedShowStore.h"
#include "foundation/JsonCoding.h"
#include "support/BackgroundWorkSettling.h"
#include "support/LogCapture.h"
#include "support/QtTestApplication.h"

#include <QDataStream>
#include <QFile>
#include <QFileDevice>
#include <QMap>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QVariant>

#include <algorithm>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

// A settings format that notes the file and the thread of every write, fails the writes of
// one file and holds those of another until let go.
struct FileWrite {
  QString file;
  QThread *thread;
  QSettings::SettingsMap map;
};

struct FileWrites {
  std::mutex mutex;
  std::condition_variable released;
  QList<FileWrite> writes;
  QString failing;
  QString held;
  bool holding = false;
  bool reached = false;  // a held write waits
};

FileWrites &fileWrites() {
  static FileWrites writes;
  return writes;
}

bool readSettings(QIODevice &device, QSettings::SettingsMap &map) {
  QDataStream stream(&device);
  stream >> map;
  return true;
}

bool writeSettings(QIODevice &device, const QSettings::SettingsMap &map) {
  const auto *file = qobject_cast<QFileDevice *>(&device);
  // A save file writes a temporary file and names it after the target once it is whole.
  const QString target = file ? file->fileName() : QString();
  {
    std::unique_lock lock(fileWrites().mutex);
    fileWrites().writes.append({target, QThread::currentThread(), map});
    if (fileWrites().holding && target == fileWrites().held) {
      fileWrites().reached = true;
      fileWrites().released.wait(lock, [] { return !fileWrites().holding; });
    }
    if (target == fileWrites().failing) return false;
  }
  QDataStream stream(&device);
  stream << map;
  return true;
}

QList<FileWrite> recordedWrites() {
  const std::lock_guard lock(fileWrites().mutex);
  return fileWrites().writes;
}

// What the file holds on disk, whatever a settings object of this process holds for it.
QSettings::SettingsMap onDisk(const QString &fileName) {
  QSettings::SettingsMap map;
  QFile file(fileName);
  if (file.open(QIODevice::ReadOnly)) readSettings(file, map);
  return map;
}

QString listText(const QList<SavedShowFile> &shows) {
  return QString::fromUtf8(encodeJsonText(shows));
}

TEST(SavedShowWrites, TheListIsWrittenOffTheGuiThreadAndNoOtherWriteCarriesIt) {
  ensureCoreApplication();
  // Once: a process has room for 16 formats of its own.
  static const QSettings::Format format =
      QSettings::registerFormat(u"recorded"_s, readSettings, writeSettings);
  const QString key = u"savedShowFiles"_s;
  const SavedShowFile gala{.storageKey = u"-gala-esf-booth"_s, .name = u"Gala"_s, .savedAt = 100};
  const SavedShowFile galaLater{
      .storageKey = u"-gala-esf-booth"_s, .name = u"Gala"_s, .savedAt = 200};
  const SavedShowFile opera{.storageKey = u"-opera-esf-booth"_s, .savedAt = 50};
  const SavedShowFile ballet{.storageKey = u"-ballet-esf-booth"_s, .savedAt = 150};
  const struct Row {
    const char *name;
    QString inSettings{};  // kept by an earlier version, before the store starts
    QString inFile{};      // in the list's own file, before the store starts
    bool snapshot = false;
    bool settingAfterwards = false;
    bool settingWhileTheFileIsWritten = false;
    bool fileFails = false;  // every write of the list's own file
    QList<SavedShowFile> list{};
    bool settingsKeepTheirs = false;  // and the list's file is left as it was
    const char *warning = nullptr;    // in the log
  } rows[] = {
      {.name = "a snapshot", .snapshot = true, .list = {gala}},
      {.name = "a snapshot whose file fails",
       .snapshot = true,
       .fileFails = true,
       .list = {gala},
       .warning = "could not be written to"},
      {.name = "a setting changed after a snapshot",
       .snapshot = true,
       .settingAfterwards = true,
       .list = {gala}},
      {.name = "a list kept in the settings", .inSettings = listText({gala}), .list = {gala}},
      {.name = "a setting changed while a list kept in the settings moves",
       .inSettings = listText({gala}),
       .settingWhileTheFileIsWritten = true,
       .list = {gala}},
      {.name = "both lists, the settings' snapshot newer",
       .inSettings = listText({galaLater, opera}),
       .inFile = listText({ballet, gala}),
       .list = {galaLater, ballet, opera}},
      {.name = "both lists, the file's snapshot newer",
       .inSettings = listText({gala, opera}),
       .inFile = listText({galaLater, ballet}),
       .list = {galaLater, ballet, opera}},
      {.name = "a list kept in the settings whose own file fails",
       .inSettings = listText({gala}),
       .fileFails = true,
       .list = {gala},
       .settingsKeepTheirs = true,
       .warning = "stay there until"},
      {.name = "both lists, the settings' unreadable",
       .inSettings = u"[{\"storageKey\":1}]"_s,
       .inFile = listText({gala}),
       .list = {gala},
       .settingsKeepTheirs = true,
       .warning = "cannot be read: they stay there"},
      {.name = "both lists, the file's unreadable",
       .inSettings = listText({opera, gala}),
       .inFile = u"[{\"storageKey\":1}]"_s,
       .list = {gala, opera},
       .settingsKeepTheirs = true,
       .warning = "cannot be read: those kept in"},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    QTemporaryDir folder;
    QSettings settings(folder.filePath(u"settings.recorded"_s), format);
    settings.setValue(u"interactionMode"_s, u"editor"_s);
    if (!row.inSettings.isNull()) settings.setValue(key, row.inSettings);
    settings.sync();
    const QString listFile = SavedShowStore::savedShowsFileName(settings);
    if (!row.inFile.isNull()) QSettings(listFile, format).setValue(key, row.inFile);
    {
      const std::lock_guard lock(fileWrites().mutex);
      fileWrites().writes.clear();
      fileWrites().failing = row.fileFails ? listFile : QString();
      fileWrites().held = listFile;
      fileWrites().holding = row.settingWhileTheFileIsWritten;
      fileWrites().reached = false;
    }
    const auto firstWrite = [&](const QString &file, bool withList) {
      const QList<FileWrite> writes = recordedWrites();
      return std::ranges::find_if(writes,
                                  [&](const FileWrite &write) {
                                    return write.file == file &&
                                           write.map.contains(key) == withList;
                                  }) -
             writes.begin();
    };
    const LogCapture log("tarnik.app");
    SavedShowStore store(settings);
    if (row.snapshot) store.store(gala);
    if (row.settingWhileTheFileIsWritten) {
      ASSERT_TRUE(waitUntil([] {
        const std::lock_guard lock(fileWrites().mutex);
        return fileWrites().reached;
      }));
      // A change of a setting asks the settings object to write its file at once.
      settings.setValue(u"interactionMode"_s, u"viewer"_s);
      QCoreApplication::sendPostedEvents();
      {
        const std::lock_guard lock(fileWrites().mutex);
        fileWrites().holding = false;
      }
      fileWrites().released.notify_all();
    }
    settleBackgroundWork();
    const QList<FileWrite> storeWrites = recordedWrites();
    if (row.settingAfterwards) {
      settings.setValue(u"interactionMode"_s, u"viewer"_s);
      settings.sync();
    }

    for (const FileWrite &write : recordedWrites()) {
      EXPECT_FALSE(write.map.contains(key) &&
                   (write.thread == QThread::currentThread() || write.file != listFile))
          << write.file.toStdString();
    }
    // Nor does the GUI thread let the settings go of the list.
    for (const FileWrite &write : storeWrites) {
      EXPECT_FALSE(write.file == settings.fileName() && write.thread == QThread::currentThread());
    }
    if (!row.inSettings.isNull() && !row.settingsKeepTheirs) {
      // The settings let go of the list only once its own file holds it.
      EXPECT_LT(firstWrite(listFile, true), firstWrite(settings.fileName(), false));
    }
    EXPECT_EQ(onDisk(settings.fileName()).value(key).toString(),
              row.settingsKeepTheirs ? row.inSettings : QString());
    if (row.settingWhileTheFileIsWritten || row.settingAfterwards) {
      EXPECT_EQ(onDisk(settings.fileName()).value(u"interactionMode"_s), u"viewer"_s);
    }
    EXPECT_EQ(store.savedShowFiles(), row.list);
    const QSettings::SettingsMap ownFile = onDisk(listFile);
    if (row.fileFails) {
      EXPECT_FALSE(ownFile.contains(key));
    } else if (row.settingsKeepTheirs) {
      EXPECT_EQ(ownFile.value(key).toString(), row.inFile);
    } else {
      EXPECT_EQ(decodeJsonText<QList<SavedShowFile>>(ownFile.value(key).toString().toUtf8()),
                row.list);
    }
    const QString logged = LogCapture::lines().join(u'\n');
    EXPECT_TRUE(row.warning ? logged.contains(QLatin1StringView(row.warning)) : logged.isEmpty())
        << logged.toStdString();
  }
}

}  // namespace
}  // namespace tarnik::testing
