// Where the saved shows are written: a large show takes long to write, so the GUI thread
// must neither write them nor write any file that carries them, nor let the settings go of
// them. A list an earlier version kept in the settings moves to the list's own file merged
// with it, leaves the settings only once that file holds it, and stays there, said so, when
// it cannot. A write cut short on a full disk leaves the file it would have replaced.

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
#include <csignal>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

// A settings format that notes the file, the thread of every write and what the list's own
// file held then.
struct FileWrite {
  QString file;
  QThread *thread;
  QSettings::SettingsMap map;
  QByteArray listFileThen;
};

struct FileWrites {
  std::mutex mutex;
  QList<FileWrite> writes;
  QString listFile;
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
    const std::lock_guard lock(fileWrites().mutex);
    QFile listFile(fileWrites().listFile);
    const QByteArray listFileThen = listFile.open(QIODevice::ReadOnly) ? listFile.readAll() : "";
    fileWrites().writes.append({target, QThread::currentThread(), map, listFileThen});
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

// The list's own file as a settings object writes it, or no text.
QByteArray iniFile(const QString &text) {
  if (text.isNull()) return {};
  const QTemporaryDir folder;
  const QString fileName = folder.filePath(u"written.ini"_s);
  QSettings(fileName, QSettings::IniFormat).setValue(u"savedShowFiles"_s, text);
  QFile file(fileName);
  file.open(QIODevice::ReadOnly);
  return file.readAll();
}

// The list in the file, read afresh by a settings object, or no text.
QString listInFile(const QString &fileName) {
  const QTemporaryDir folder;
  const QString copy = folder.filePath(u"read.ini"_s);
  if (!QFile::copy(fileName, copy)) return {};
  return QSettings(copy, QSettings::IniFormat).value(u"savedShowFiles"_s).toString();
}

// Files of this process end at `bytes`: a longer write(2) writes part and the next fails, as
// on a full disk.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(std::optional<rlim_t> bytes) {
    if (!bytes) return;
    getrlimit(RLIMIT_FSIZE, &before_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{*bytes, before_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    active_ = true;
  }
  ~FileSizeLimit() {
    if (!active_) return;
    setrlimit(RLIMIT_FSIZE, &before_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  FileSizeLimit(const FileSizeLimit &) = delete;
  FileSizeLimit &operator=(const FileSizeLimit &) = delete;

 private:
  rlimit before_{};
  void (*previousHandler_)(int) = nullptr;
  bool active_ = false;
};

TEST(SavedShowWrites, TheListIsWrittenOffTheGuiThreadAndNoOtherWriteCarriesIt) {
  ensureCoreApplication();
  // Once: a process has room for 16 formats of its own.
  static const QSettings::Format format =
      QSettings::registerFormat(u"recorded"_s, readSettings, writeSettings);
  const QString key = u"savedShowFiles"_s;
  const SavedShowFile gala{.storageKey = u"-gala-esf-booth"_s, .name = u"Gala"_s, .savedAt = 100};
  const SavedShowFile galaLater{
      .storageKey = u"-gala-esf-booth"_s, .name = u"Gala"_s, .savedAt = 200};
  const SavedShowFile galaRenamed{
      .storageKey = u"-gala-esf-booth"_s, .name = u"Gala Renamed"_s, .savedAt = 100};
  const SavedShowFile opera{.storageKey = u"-opera-esf-booth"_s, .savedAt = 50};
  const SavedShowFile ballet{.storageKey = u"-ballet-esf-booth"_s, .savedAt = 150};
  const struct Row {
    const char *name;
    QString inSettings{};  // kept by an earlier version, before the store starts
    QString inFile{};      // in the list's own file, before the store starts
    bool snapshot = false;
    bool settingAtStart = false;      // changed as the store starts
    bool settingsAfterwards = false;  // changed twice, the store ending at once
    bool fileCutShort = false;        // every write of the list's own file
    QList<SavedShowFile> list{};
    bool settingsKeepTheirs = false;  // and the list's file is left as it was
    const char *warning = nullptr;    // in the log
  } rows[] = {
      {.name = "a snapshot", .snapshot = true, .list = {gala}},
      {.name = "a snapshot cut short on a full disk",
       .inFile = listText({opera}),
       .snapshot = true,
       .fileCutShort = true,
       .list = {gala, opera},
       .warning = "could not be written to"},
      {.name = "a setting changed after a snapshot",
       .snapshot = true,
       .settingsAfterwards = true,
       .list = {gala}},
      {.name = "a list kept in the settings", .inSettings = listText({gala}), .list = {gala}},
      {.name = "a setting changed while a list kept in the settings moves",
       .inSettings = listText({gala}),
       .settingAtStart = true,
       .list = {gala}},
      {.name = "an unreadable list kept in the settings, moved as it is",
       .inSettings = u"@x\0001b;\"\\ é\u0001f =, "_s,
       .list = {}},
      {.name = "both lists, the settings' snapshot newer",
       .inSettings = listText({galaLater, opera}),
       .inFile = listText({ballet, gala}),
       .list = {galaLater, ballet, opera}},
      {.name = "both lists, the file's snapshot newer",
       .inSettings = listText({gala, opera}),
       .inFile = listText({galaLater, ballet}),
       .list = {galaLater, ballet, opera}},
      {.name = "both lists, saved at the same time: the file's copy stays",
       .inSettings = listText({galaRenamed}),
       .inFile = listText({gala}),
       .list = {gala}},
      {.name = "a list kept in the settings whose own file is cut short",
       .inSettings = listText({gala}),
       .fileCutShort = true,
       .list = {gala},
       .settingsKeepTheirs = true,
       .warning = "stay there until"},
      {.name = "settings changed after the list could not move",
       .inSettings = listText({gala}),
       .settingsAfterwards = true,
       .fileCutShort = true,
       .list = {gala},
       .settingsKeepTheirs = true,
       .warning = "stay there until"},
      {.name = "both lists, the settings' unreadable",
       .inSettings = u"[{\"storageKey\":1}]"_s,
       .inFile = listText({gala}),
       .list = {gala},
       .settingsKeepTheirs = true,
       .warning = "cannot be read: they stay there"},
      {.name = "settings changed beside an unreadable list",
       .inSettings = u"[{\"storageKey\":1}]"_s,
       .inFile = listText({gala}),
       .settingsAfterwards = true,
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
    if (!row.inFile.isNull()) QSettings(listFile, QSettings::IniFormat).setValue(key, row.inFile);
    const QByteArray listFileBefore = iniFile(row.inFile);
    {
      const std::lock_guard lock(fileWrites().mutex);
      fileWrites().writes.clear();
      fileWrites().listFile = listFile;
    }
    const auto changeSetting = [&](const QString &value) {
      settings.setValue(u"interactionMode"_s, value);
      // The settings object asks to write its file at once.
      QCoreApplication::sendPostedEvents();
    };
    const LogCapture log("tarnik.app");
    std::optional<SavedShowStore> store;
    {
      // A settings file stays well within the limit; the list's own file does not.
      const FileSizeLimit fullDisk(row.fileCutShort ? std::optional<rlim_t>(120) : std::nullopt);
      store.emplace(settings);
      if (row.settingAtStart) changeSetting(u"viewer"_s);
      if (row.snapshot) store->store(gala);
      settleBackgroundWork();
    }
    const QList<FileWrite> storeWrites = recordedWrites();
    EXPECT_EQ(store->savedShowFiles(), row.list);
    if (row.settingsAfterwards) {
      changeSetting(u"viewer"_s);
      settleBackgroundWork();
      // The second change is written once the first write is in; the store's end waits for it.
      changeSetting(u"designer"_s);
    }
    store.reset();
    settleBackgroundWork();

    for (const FileWrite &write : recordedWrites()) {
      // A write that carries the list runs on a worker, into the settings only while they
      // keep it.
      EXPECT_FALSE(write.map.contains(key) &&
                   (write.thread == QThread::currentThread() || !row.settingsKeepTheirs))
          << write.file.toStdString();
    }
    // Nor does the GUI thread let the settings go of the list.
    for (const FileWrite &write : storeWrites) {
      EXPECT_FALSE(write.file == settings.fileName() && write.thread == QThread::currentThread());
    }
    const QByteArray listFileBytes = [&] {
      QFile file(listFile);
      file.open(QIODevice::ReadOnly);
      return file.readAll();
    }();
    if (!row.inSettings.isNull() && !row.settingsKeepTheirs) {
      // The settings let go of the list only once its own file holds it.
      const QList<FileWrite> writes = recordedWrites();
      const auto letGo = std::ranges::find_if(writes, [&](const FileWrite &write) {
        return write.file == settings.fileName() && !write.map.contains(key);
      });
      ASSERT_NE(letGo, writes.end());
      EXPECT_EQ(letGo->listFileThen, listFileBytes);
    }
    EXPECT_EQ(onDisk(settings.fileName()).value(key).toString(),
              row.settingsKeepTheirs ? row.inSettings : QString());
    if (row.settingAtStart) {
      EXPECT_EQ(onDisk(settings.fileName()).value(u"interactionMode"_s), u"viewer"_s);
    }
    if (row.settingsAfterwards) {
      EXPECT_EQ(onDisk(settings.fileName()).value(u"interactionMode"_s), u"designer"_s);
    }
    if (row.fileCutShort || row.settingsKeepTheirs) {
      EXPECT_EQ(listFileBytes, listFileBefore);
    } else {
      // In the form a settings object writes, so that earlier versions read it.
      EXPECT_EQ(listFileBytes, iniFile(listInFile(listFile)));
      if (row.list.isEmpty()) {
        EXPECT_EQ(listInFile(listFile), row.inSettings);
      } else {
        EXPECT_EQ(decodeJsonText<QList<SavedShowFile>>(listInFile(listFile).toUtf8()), row.list);
      }
    }
    const QString logged = LogCapture::lines().join(u'\n');
    EXPECT_TRUE(row.warning ? logged.contains(QLatin1StringView(row.warning)) : logged.isEmpty())
        << logged.toStdString();
  }
}

}  // namespace
}  // namespace tarnik::testing
