// The settings file as the program writes it itself: in the form Qt's settings object writes
// and reads, whole or not at all, a full disk included, from a thread of its own, and never
// lost while the program runs.

#include "app/SettingsStore.h"
#include "support/FileSizeLimit.h"
#include "support/HeldAnswer.h"
#include "support/LogCapture.h"
#include "support/QtTestApplication.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <cerrno>
#include <gtest/gtest.h>
#include <mutex>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace tarnik::testing {
namespace {

QByteArray fileBytes(const QString &fileName) {
  QFile file(fileName);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every kind of value a settings file may hold, in the keys and groups it may hold them.
TEST(SettingsFileText, IsWhatQtsSettingsObjectWritesAndReadsBackAsTheSameValues) {
  const SettingsValues values{
      {u"plain"_s, u"Bühne “Nord” 🎭"_s},
      {u"spaced"_s, u" a; b, c = d "_s},
      {u"escaped"_s, u"tab\tline\nquote\"back\\slash\u0001f0"_s},
      {u"typed"_s, u"@x\0001b"_s},
      {u"at"_s, u"@Variant(0)"_s},
      {u"empty"_s, QString()},
      {u"number"_s, 3032},
      {u"flag"_s, true},
      {u"list"_s, QStringList{u"a"_s, u"b, c"_s, u"@d"_s}},
      {u"noList"_s, QStringList()},
      {u"bytes"_s, QByteArray("\x00\x7F\xFF ok", 6)},
      {u"date"_s, QDate(2026, 12, 8)},
      {u"nothing"_s, QVariant()},
      {u"odd key é=%"_s, u"x"_s},
      {u"group/inner/key"_s, u"y"_s},
      {u"General/key"_s, u"z"_s},
  };
  const QTemporaryDir folder;
  const QString qtFile = folder.filePath(u"qt.ini"_s);
  {
    QSettings qt(qtFile, QSettings::IniFormat);
    for (auto entry = values.cbegin(); entry != values.cend(); ++entry) {
      qt.setValue(entry.key(), entry.value());
    }
  }
  const QByteArray ours = settingsFileContent(values);
  EXPECT_EQ(ours, fileBytes(qtFile));

  const QString ourFile = folder.filePath(u"ours.ini"_s);
  QFile file(ourFile);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(ours) == ours.size());
  file.close();
  const QSettings read(ourFile, QSettings::IniFormat);
  EXPECT_EQ(read.allKeys().size(), values.size());
  for (auto entry = values.cbegin(); entry != values.cend(); ++entry) {
    if (entry.key() == u"noList"_s || entry.key() == u"nothing"_s) continue;  // read as absent
    const QVariant value = read.value(entry.key());
    if (entry.value().metaType().id() == QMetaType::QStringList) {
      EXPECT_EQ(value.toStringList(), entry.value().toStringList());
    } else {
      EXPECT_EQ(value.toString(), entry.value().toString()) << entry.key().toStdString();
    }
  }
}

// A write that stops short or whose sync fails leaves the old file, says why, and leaves no
// half-written file behind.
TEST(WholeFileWrite, AWriteThatFailsAnywhereLeavesTheOldFile) {
  const struct Row {
    const char *name;
    std::optional<rlim_t> sizeLimit{};
    int (*syncData)(int) = nullptr;
    QString reason{};  // none: written
  } rows[] = {
      {.name = "written"},
      {.name = "cut short", .sizeLimit = 100, .reason = u"File too large"_s},
      {.name = "sync fails",
       .syncData =
           [](int) {
             errno = EIO;
             return -1;
           },
       .reason = u"Input/output error"_s},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    const QTemporaryDir folder;
    const QString fileName = folder.filePath(u"settings.conf"_s);
    const QByteArray before("[General]\nold=1\n");
    const QByteArray content = QByteArray(4096, 'x');
    QFile old(fileName);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write(before) == before.size());
    old.close();
    FileWriteResult written;
    {
      const FileSizeLimit limit(row.sizeLimit);
      written = writeFileWhole(fileName, content, row.syncData);
    }
    EXPECT_EQ(written ? QString() : written.error(), row.reason);
    EXPECT_EQ(fileBytes(fileName), row.reason.isNull() ? content : before);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{u"settings.conf"_s});
  }
}

// A file writer that notes every write, and fails them while told to, or holds the first.
struct RecordingWriter {
  explicit RecordingWriter(HeldAnswer *firstHeld = nullptr) : hold(firstHeld) {}

  std::mutex mutex;
  QList<QByteArray> contents;
  QList<QThread *> threads;
  bool full = false;
  HeldAnswer *hold;

  SettingsStore::Options options(std::chrono::milliseconds retryDelay = 10s) {
    return {.retryDelay = retryDelay,
            .endWait = 2s,
            .writeFile = [this](const QString &file, const QByteArray &content) -> FileWriteResult {
              bool first = false;
              {
                const std::lock_guard lock(mutex);
                contents.append(content);
                threads.append(QThread::currentThread());
                if (full) return std::unexpected(u"No space left on device"_s);
                first = contents.size() == 1;
              }
              if (hold && first) hold->await();
              return writeFileWhole(file, content);
            }};
  }
  qsizetype count() {
    const std::lock_guard lock(mutex);
    return contents.size();
  }
};

// A store whose first write waits for the test.
class HeldSettingsWrite : public ::testing::Test {
 protected:
  HeldSettingsWrite() { ensureCoreApplication(); }

  const QTemporaryDir folder;
  HeldAnswer hold;
  RecordingWriter writer{&hold};
};

TEST_F(HeldSettingsWrite, ChangesWhileAWriteRunsFollowItInOneWriteOffTheGuiThread) {
  SettingsStore store(folder.filePath(u"settings.conf"_s), writer.options());
  store.setValue(u"interactionMode"_s, u"viewer"_s);
  ASSERT_TRUE(waitUntil([&] { return hold.calls == 1; }));
  store.setValue(u"selectedConnectionProfileID"_s, u"A"_s);
  store.setValue(u"selectedConnectionProfileID"_s, u"B"_s);
  store.remove(u"interactionMode"_s);
  store.setValue(u"interactionMode"_s, u"designer"_s);
  ASSERT_TRUE(hold.releaseFromEventLoop());

  const QByteArray last = "[General]\ninteractionMode=designer\nselectedConnectionProfileID=B\n";
  ASSERT_TRUE(waitUntil([&] { return fileBytes(store.fileName()) == last; }, 1000));
  EXPECT_EQ(writer.contents, QList<QByteArray>({"[General]\ninteractionMode=viewer\n", last}));
  EXPECT_FALSE(writer.threads.contains(QThread::currentThread()));
  // Setting what is held already is no change.
  store.setValue(u"interactionMode"_s, u"designer"_s);
  store.remove(u"consoleIP"_s);
  QCoreApplication::processEvents();
  EXPECT_EQ(writer.count(), 2);
}

// A full disk: the file keeps what it held, the values stay, the person is told (once in
// the log) until a write succeeds, and the write is tried again after a while, or at the
// end, without a change to wait for.
TEST(SettingsStoreWrites, AFailedWriteIsToldAndTriedAgainUntilItSucceeds) {
  ensureCoreApplication();
  const QTemporaryDir folder;
  const QString fileName = folder.filePath(u"settings.conf"_s);
  const struct Row {
    const char *name;
    bool roomComesBack;  // else the store ends first
  } rows[] = {{"room comes back", true}, {"the store ends", false}};
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    QFile::remove(fileName);
    QSettings(fileName, QSettings::IniFormat).setValue(u"interactionMode"_s, u"editor"_s);
    const QByteArray before = fileBytes(fileName);
    const LogCapture log("tarnik.app");
    RecordingWriter writer;
    writer.full = true;
    std::optional<SettingsStore> store(std::in_place, fileName, writer.options(20ms));
    std::optional<QString> told;
    QObject::connect(&*store, &SettingsStore::fileFailureChanged,
                     [&](const std::optional<SettingsFileFailure> &value) {
                       told = value ? std::optional(value->reason) : std::nullopt;
                     });
    store->setValue(u"interactionMode"_s, u"viewer"_s);
    ASSERT_TRUE(waitUntil([&] { return writer.count() >= 3; }, 2000));
    EXPECT_EQ(told, u"No space left on device"_s);
    EXPECT_EQ(store->value(u"interactionMode"_s), u"viewer"_s);
    EXPECT_EQ(fileBytes(fileName), before);
    EXPECT_EQ(LogCapture::lines().filter(u"No space left on device"_s).size(), 1)
        << LogCapture::lines().join(u'\n').toStdString();

    {
      const std::lock_guard lock(writer.mutex);
      writer.full = false;
    }
    if (row.roomComesBack) {
      EXPECT_TRUE(waitUntil([&] { return !told; }, 1000));
    } else {
      store.reset();
    }
    EXPECT_EQ(fileBytes(fileName), "[General]\ninteractionMode=viewer\n");
  }
}

// The end waits for a write only so long: a disk that hangs does not hold the program.
TEST_F(HeldSettingsWrite, TheEndWaitsForAHungWriteNoLongerThanItsBound) {
  SettingsStore::Options options = writer.options();
  options.endWait = 50ms;
  std::optional<SettingsStore> store(std::in_place, folder.filePath(u"settings.conf"_s), options);
  store->setValue(u"interactionMode"_s, u"viewer"_s);
  ASSERT_TRUE(waitUntil([&] { return hold.calls == 1; }));
  QElapsedTimer ending;
  ending.start();
  store.reset();
  EXPECT_LT(ending.elapsed(), 500);
  // The held write ends on what it holds itself.
  ASSERT_TRUE(hold.releaseFromEventLoop());
  EXPECT_TRUE(waitUntil([&] { return QFile::exists(folder.filePath(u"settings.conf"_s)); }));
}

}  // namespace
}  // namespace tarnik::testing
