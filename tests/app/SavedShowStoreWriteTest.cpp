// Where the saved shows are written: a large show takes long to write, so the GUI thread
// must neither write them nor write any file that carries them.

#include "app/SavedShowStore.h"
#include "foundation/JsonCoding.h"
#include "support/QtTestApplication.h"

#include <QDataStream>
#include <QFileDevice>
#include <QMap>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QVariant>

#include <algorithm>
#include <gtest/gtest.h>
#include <mutex>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

// A settings format that notes the file and the thread of every write.
struct FileWrite {
  QString file;
  QThread *thread;
  QSettings::SettingsMap map;
};

struct FileWrites {
  std::mutex mutex;
  QList<FileWrite> writes;
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
  {
    const auto *file = qobject_cast<QFileDevice *>(&device);
    const std::lock_guard lock(fileWrites().mutex);
    fileWrites().writes.append(
        {file ? file->fileName() : QString(), QThread::currentThread(), map});
  }
  QDataStream stream(&device);
  stream << map;
  return true;
}

QList<FileWrite> recordedWrites() {
  const std::lock_guard lock(fileWrites().mutex);
  return fileWrites().writes;
}

TEST(SavedShowWrites, TheListIsWrittenOffTheGuiThreadAndNoOtherWriteCarriesIt) {
  ensureCoreApplication();
  const QSettings::Format format =
      QSettings::registerFormat(u"recorded"_s, readSettings, writeSettings);
  const QString key = u"savedShowFiles"_s;
  const QList<SavedShowFile> gala{
      {.storageKey = u"-gala-esf-booth"_s, .name = u"Gala"_s, .savedAt = 100}};
  const struct {
    const char *name;
    bool keptInSettings;  // by an earlier version, before the store starts
    bool settingAfterwards;
  } rows[] = {
      {"a snapshot", false, false},
      {"a setting changed after a snapshot", false, true},
      {"a list kept in the settings", true, false},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    QTemporaryDir folder;
    QSettings settings(folder.filePath(u"settings.recorded"_s), format);
    settings.setValue(u"interactionMode"_s, u"editor"_s);
    if (row.keptInSettings) settings.setValue(key, QString::fromUtf8(encodeJsonText(gala)));
    settings.sync();
    {
      const std::lock_guard lock(fileWrites().mutex);
      fileWrites().writes.clear();
    }
    const QString listFile = SavedShowStore::savedShowsFileName(settings);
    const auto firstWrite = [&](const QString &file, bool withList) {
      const QList<FileWrite> writes = recordedWrites();
      return std::ranges::find_if(writes,
                                  [&](const FileWrite &write) {
                                    return write.file == file &&
                                           write.map.contains(key) == withList;
                                  }) -
             writes.begin();
    };
    SavedShowStore store(settings);
    if (!row.keptInSettings) store.store(gala.front());
    ASSERT_TRUE(waitUntil([&] { return firstWrite(listFile, true) < recordedWrites().size(); }));
    if (row.settingAfterwards) {
      settings.setValue(u"interactionMode"_s, u"viewer"_s);
      settings.sync();
    }
    if (row.keptInSettings) {
      // The settings let go of the list only once its own file holds it.
      ASSERT_TRUE(waitUntil(
          [&] { return firstWrite(settings.fileName(), false) < recordedWrites().size(); }));
      EXPECT_LT(firstWrite(listFile, true), firstWrite(settings.fileName(), false));
    }
    for (const FileWrite &write : recordedWrites()) {
      EXPECT_FALSE(write.map.contains(key) &&
                   (write.thread == QThread::currentThread() || write.file != listFile))
          << write.file.toStdString();
    }
    EXPECT_EQ(store.savedShowFiles(), gala);
    EXPECT_EQ(decodeJsonText<QList<SavedShowFile>>(
                  QSettings(listFile, format).value(key).toString().toUtf8()),
              gala);
  }
}

}  // namespace
}  // namespace tarnik::testing
