// Where the saved shows are written: a large show takes long to write, and the GUI thread
// must not be the one that waits for the settings file.

#include "app/SavedShowStore.h"
#include "foundation/JsonCoding.h"
#include "support/QtTestApplication.h"

#include <QDataStream>
#include <QMap>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QVariant>

#include <gtest/gtest.h>
#include <mutex>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

// A settings format that notes the thread of every write of the file.
struct FileWrites {
  std::mutex mutex;
  QList<std::pair<QThread *, QSettings::SettingsMap>> writes;
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
    const std::lock_guard lock(fileWrites().mutex);
    fileWrites().writes.append({QThread::currentThread(), map});
  }
  QDataStream stream(&device);
  stream << map;
  return true;
}

TEST(SavedShowWrites, TheFileIsWrittenOffTheGuiThreadAndTheGuiReadsTheNewList) {
  ensureCoreApplication();
  const QSettings::Format format =
      QSettings::registerFormat(u"recorded"_s, readSettings, writeSettings);
  {
    const std::lock_guard lock(fileWrites().mutex);
    fileWrites().writes.clear();
  }
  QTemporaryDir folder;
  QSettings settings(folder.filePath(u"settings.recorded"_s), format);
  SavedShowStore store(settings);
  store.store({.storageKey = u"-gala-esf-booth"_s, .name = u"Gala"_s, .savedAt = 100});
  const QString key = u"savedShowFiles"_s;
  const auto writesOfTheList = [&] {
    const std::lock_guard lock(fileWrites().mutex);
    QList<QThread *> threads;
    for (const auto &[thread, map] : fileWrites().writes)
      if (map.contains(key)) threads.append(thread);
    return threads;
  };
  ASSERT_TRUE(waitUntil([&] { return !writesOfTheList().isEmpty(); }));
  EXPECT_FALSE(writesOfTheList().contains(QThread::currentThread()));
  EXPECT_EQ(decodeJsonText<QList<SavedShowFile>>(settings.value(key).toString().toUtf8()),
            store.savedShowFiles());
}

}  // namespace
}  // namespace tarnik::testing
