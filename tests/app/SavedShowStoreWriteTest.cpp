// Where the saved shows are written: a large show takes long to write, so the GUI thread
// must neither write them nor write any file that carries them, nor let the settings go of
// them. A list an earlier version kept in the settings moves to the list's own file merged
// with it, leaves the settings only once that file holds it, and stays there, said so, when
// it cannot. A write cut short on a full disk leaves the file it would have replaced, and
// the settings keep what they hold until they are written whole.

#include "app/SavedShowStore.h"
#include "foundation/BackgroundWork.h"
#include "foundation/JsonCoding.h"
#include "support/BackgroundWorkSettling.h"
#include "support/FileSizeLimit.h"
#include "support/LogCapture.h"
#include "support/ProcessRunner.h"
#include "support/QtTestApplication.h"
#include "support/WithoutPermissionOverride.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace tarnik::testing {
namespace {

// The settings' file writes: on which thread each ran, what it held and what the list's
// own file held then. The first ones fail while told to, as on a full disk.
struct SettingsWrite {
  QThread *thread;
  QByteArray content;
  QByteArray listFileThen;
};

QByteArray fileBytes(const QString &fileName) {
  QFile file(fileName);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct SettingsWrites {
  std::mutex mutex;
  QList<SettingsWrite> writes;
  QString listFile;
  int failing = 0;

  SettingsStore::Options options() {
    return {.retryDelay = 20ms,
            .writeFile = [this](const QString &file, const QByteArray &content) {
              const std::lock_guard lock(mutex);
              writes.append({QThread::currentThread(), content, fileBytes(listFile)});
              if (failing == 0) return writeFileWhole(file, content);
              --failing;
              return FileWriteResult(std::unexpected(u"No space left on device"_s));
            }};
  }
  QList<SettingsWrite> recorded() {
    const std::lock_guard lock(mutex);
    return writes;
  }
};

QString listText(const QList<SavedShowFile> &shows) {
  return QString::fromUtf8(encodeJsonText(shows));
}

// The list's own file as a settings object writes it, or no text.
QByteArray iniFile(const QString &text) {
  if (text.isNull()) return {};
  const QTemporaryDir folder;
  const QString fileName = folder.filePath(u"written.ini"_s);
  QSettings(fileName, QSettings::IniFormat).setValue(u"savedShowFiles"_s, text);
  return fileBytes(fileName);
}

// A value in the file, read afresh by a settings object, or none.
QVariant storedInFile(const QString &fileName, const QString &key) {
  const QTemporaryDir folder;
  const QString copy = folder.filePath(u"read.ini"_s);
  if (!QFile::copy(fileName, copy)) return {};
  return QSettings(copy, QSettings::IniFormat).value(key);
}

// Root reads any file, whatever its mode: while this lives, this thread and the file writes'
// thread give up that power and meet a file of mode 0 as a user would. The file writes'
// thread may have started, with the power, before this test: it gives it up itself, in a call
// of its own, and has it back in another.
class FileWritesAsAUser {
 public:
  FileWritesAsAUser() {
    runOnFileWriteThread([held = held_] { held->emplace(); });
  }
  ~FileWritesAsAUser() {
    runOnFileWriteThread([held = held_] { held->reset(); });
  }
  FileWritesAsAUser(const FileWritesAsAUser &) = delete;
  FileWritesAsAUser &operator=(const FileWritesAsAUser &) = delete;

 private:
  static void runOnFileWriteThread(std::move_only_function<void()> call) {
    fileWriteThread().start(std::move(call));
    fileWriteThread().waitForDone();
  }

  const WithoutPermissionOverride here_;
  const std::shared_ptr<std::optional<WithoutPermissionOverride>> held_ =
      std::make_shared<std::optional<WithoutPermissionOverride>>();
};

TEST(SavedShowWrites, TheListIsWrittenOffTheGuiThreadAndNoOtherWriteCarriesIt) {
  ensureCoreApplication();
  const QString key = u"savedShowFiles"_s;
  const QString mode = u"interactionMode"_s;
  const QString profiles = u"connectionProfiles.v1"_s;
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
    bool settingsAfterwards = false;  // changed twice, each on the disk before the store ends
    bool fileCutShort = false;        // every write of the list's own file
    bool fileUnreadable = false;      // the list's own file, mode 0 while the store lives
    bool diskStaysFull = false;       // and of the settings, through the settings' changes
    int settingsWritesFailing = 0;    // the first ones, the disk full
    QList<SavedShowFile> list{};
    bool settingsKeepTheirs = false;  // and the list's file is left as it was
    const char *warning = nullptr;    // in the log
    QString inFileMeanwhile{};        // stored by another copy once the store started
    std::optional<QList<SavedShowFile>> fileList{};  // in the list's file, when not `list`
  } rows[] = {
      {.name = "a snapshot", .snapshot = true, .list = {gala}},
      {.name = "a snapshot beside one another copy stored meanwhile",
       .snapshot = true,
       .list = {gala},
       .inFileMeanwhile = listText({galaRenamed, opera}),
       .fileList = QList{gala, opera}},
      {.name = "a snapshot cut short on a full disk",
       .inFile = listText({opera}),
       .snapshot = true,
       .fileCutShort = true,
       .list = {gala, opera},
       .warning = "File too large"},
      {.name = "a snapshot beside a file that cannot be read",
       .inFile = listText({opera}),
       .snapshot = true,
       .fileUnreadable = true,
       .list = {gala},
       .warning = "it could not be read: Permission denied"},
      {.name = "a setting changed after a snapshot",
       .snapshot = true,
       .settingsAfterwards = true,
       .list = {gala}},
      {.name = "a list kept in the settings", .inSettings = listText({gala}), .list = {gala}},
      {.name = "a setting changed while a list kept in the settings moves",
       .inSettings = listText({gala}),
       .settingAtStart = true,
       .list = {gala}},
      {.name = "a setting changed while the list moves and others after it",
       .inSettings = listText({gala}),
       .settingAtStart = true,
       .settingsAfterwards = true,
       .list = {gala}},
      {.name = "the settings' write without the list fails, then succeeds",
       .inSettings = listText({gala}),
       .settingsWritesFailing = 2,
       .list = {gala},
       .warning = "No space left on device"},
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
      {.name = "settings changed on the full disk that kept the list from moving",
       .inSettings = listText({gala}),
       .settingsAfterwards = true,
       .fileCutShort = true,
       .diskStaysFull = true,
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
    const QString settingsFile = folder.filePath(u"settings.conf"_s);
    {
      QSettings earlier(settingsFile, QSettings::IniFormat);
      earlier.setValue(mode, u"editor"_s);
      earlier.setValue(profiles, u"[]"_s);
      if (!row.inSettings.isNull()) earlier.setValue(key, row.inSettings);
    }
    const QString listFile = SavedShowStore::savedShowsFileName(settingsFile);
    if (!row.inFile.isNull()) QSettings(listFile, QSettings::IniFormat).setValue(key, row.inFile);
    const QByteArray listFileBefore = iniFile(row.inFile);
    const QByteArray listFileName = QFile::encodeName(listFile);
    std::optional<FileWritesAsAUser> asAUser;
    if (row.fileUnreadable) {
      ASSERT_EQ(::chmod(listFileName.constData(), 0), 0);
      asAUser.emplace();
    }
    SettingsWrites writes;
    writes.listFile = listFile;
    writes.failing = row.settingsWritesFailing;
    std::optional<SettingsStore> settings(std::in_place, settingsFile, writes.options());
    const auto settingOnDisk = [&](const QString &value) {
      return waitUntil([&] { return storedInFile(settingsFile, mode) == value; }, 1000);
    };
    const LogCapture log("tarnik.app");
    std::optional<SavedShowStore> store;
    std::optional<FileSizeLimit> fullDisk;
    // A settings file stays well within the limit; one that holds a list does not.
    if (row.fileCutShort) fullDisk.emplace(120);
    store.emplace(*settings);
    if (!row.inFileMeanwhile.isNull()) {
      ASSERT_TRUE(writeFileWhole(listFile, iniFile(row.inFileMeanwhile)));
    }
    if (row.settingAtStart) settings->setValue(mode, u"viewer"_s);
    if (row.snapshot) store->store(gala);
    settleBackgroundWork();
    if (!row.diskStaysFull) fullDisk.reset();
    EXPECT_EQ(store->savedShowFiles(), row.list);
    if (row.settingAtStart) {
      EXPECT_TRUE(settingOnDisk(u"viewer"_s));
    }
    if (row.settingsAfterwards) {
      // Each change reaches the disk while the program runs, unless the disk is full.
      settings->setValue(mode, u"viewer"_s);
      EXPECT_TRUE(settingOnDisk(u"viewer"_s) != row.diskStaysFull);
      settings->setValue(mode, u"designer"_s);
      EXPECT_TRUE(settingOnDisk(u"designer"_s) != row.diskStaysFull);
      EXPECT_EQ(settings->fileFailure().has_value(), row.diskStaysFull);
      fullDisk.reset();
    }
    if (row.settingsWritesFailing > 0) {
      // Tried again from what the settings hold, the profiles with it.
      EXPECT_TRUE(waitUntil(
          [&] {
            return writes.recorded().size() == 1 + row.settingsWritesFailing &&
                   !settings->fileFailure();
          },
          1000));
    }
    store.reset();
    settings.reset();
    if (row.fileUnreadable) {
      asAUser.reset();
      ASSERT_EQ(::chmod(listFileName.constData(), 0600), 0);
    }

    // The settings are written on a thread of their own, with the list only until they let
    // go of it, and that only once its own file holds it.
    const QList<SettingsWrite> recorded = writes.recorded();
    for (const SettingsWrite &write : recorded) EXPECT_NE(write.thread, QThread::currentThread());
    const auto carriesList = [&](const SettingsWrite &write) {
      return write.content.contains(key.toLatin1() + '=');
    };
    const auto letGo = std::ranges::find_if_not(recorded, carriesList);
    const QByteArray listFileBytes = fileBytes(listFile);
    if (!row.settingsKeepTheirs) {
      EXPECT_TRUE(std::none_of(letGo, recorded.end(), carriesList));
    }
    if (!row.inSettings.isNull() && !row.settingsKeepTheirs) {
      ASSERT_NE(letGo, recorded.end());
      EXPECT_EQ(letGo->listFileThen, listFileBytes);
    }
    EXPECT_EQ(storedInFile(settingsFile, key).toString(),
              row.settingsKeepTheirs ? row.inSettings : QString());
    EXPECT_EQ(storedInFile(settingsFile, profiles), u"[]"_s);
    if (row.settingsAfterwards) {
      EXPECT_TRUE(settingOnDisk(u"designer"_s));
    }
    if (row.fileCutShort || row.fileUnreadable || row.settingsKeepTheirs) {
      EXPECT_EQ(listFileBytes, listFileBefore);
    } else {
      // In the form a settings object writes, so that earlier versions read it.
      const QString listInFile = storedInFile(listFile, key).toString();
      EXPECT_EQ(listFileBytes, iniFile(listInFile));
      if (row.list.isEmpty()) {
        EXPECT_EQ(listInFile, row.inSettings);
      } else {
        EXPECT_EQ(decodeJsonText<QList<SavedShowFile>>(listInFile.toUtf8()),
                  row.fileList.value_or(row.list));
      }
    }
    const QString logged = LogCapture::lines().join(u'\n');
    EXPECT_TRUE(row.warning ? logged.contains(QLatin1StringView(row.warning)) : logged.isEmpty())
        << logged.toStdString();
  }
}

// Two copies of the program storing a snapshot at the same moment, on a file the copies of
// earlier rounds stored theirs in: each write reads the file again under its lock, so neither
// loses what the other stored. The copies hold each write up after reading the file, so
// without the lock both read it before either writes, and every round loses one.
TEST(SavedShowWrites, TwoProgramsStoringAtOnceKeepEachOthersSnapshots) {
  ensureCoreApplication();
  const QTemporaryDir folder;
  const QString settingsFile = folder.filePath(u"settings.conf"_s);
  for (int round = 1; round <= 3; ++round) {
    SCOPED_TRACE(round);
    const QString start = folder.filePath(u"start%1"_s.arg(round));
    ProcessRunner programs[2];
    for (int index = 0; index < 2; ++index) {
      ASSERT_TRUE(programs[index].start(QStringLiteral(TARNIK_SETTINGS_PEER),
                                        {u"--store-snapshots"_s, settingsFile, u"1"_s,
                                         u"show%1-%2"_s.arg(round).arg(index), start}));
    }
    for (ProcessRunner &program : programs) {
      ASSERT_TRUE(
          program.waitForOutput([](const QByteArray &out) { return out.contains("ready"); }, 10s));
    }
    ASSERT_TRUE(QFile(start).open(QIODevice::WriteOnly));
    for (ProcessRunner &program : programs) {
      ASSERT_TRUE(program.waitForFinished(20s));
      EXPECT_EQ(program.exitCode(), 0) << program.standardError().toStdString();
    }
    const QString stored =
        storedInFile(SavedShowStore::savedShowsFileName(settingsFile), u"savedShowFiles"_s)
            .toString();
    const auto shows = decodeJsonText<QList<SavedShowFile>>(stored.toUtf8());
    ASSERT_TRUE(shows);
    ASSERT_EQ(shows->size(), 2 * round);
  }
}

// A snapshot write the disk holds up (here another program holds the file's lock) holds the
// store's end no longer than the settings' end would wait.
TEST(SavedShowWrites, TheEndWaitsForAHeldWriteNoLongerThanTheSettingsEndWould) {
  ensureCoreApplication();
  const QTemporaryDir folder;
  const QString settingsFile = folder.filePath(u"settings.conf"_s);
  ProcessRunner holder;
  ASSERT_TRUE(holder.start(QStringLiteral(TARNIK_SETTINGS_PEER),
                           {u"--hold-lock"_s, SavedShowStore::savedShowsFileName(settingsFile)}));
  ASSERT_TRUE(holder.waitForOutput([](const QByteArray &out) { return out.contains("locked"); },
                                   std::chrono::seconds(10)));
  SettingsStore settings(settingsFile, {.endWait = 100ms, .lockWait = 5s});
  std::optional<SavedShowStore> store(std::in_place, settings);
  store->store({.storageKey = u"-gala-esf-booth"_s, .name = u"Gala"_s, .savedAt = 100});
  QElapsedTimer ending;
  ending.start();
  store.reset();
  EXPECT_LT(ending.elapsed(), 1000);
  holder.kill();
  settleBackgroundWork();
}

}  // namespace
}  // namespace tarnik::testing
