// The settings file as the program writes it itself: in the form Qt's settings object writes
// and reads, whole or not at all, a full disk included, from a thread of its own, and never
// lost while the program runs.

#include "app/SettingsStore.h"
#include "support/FileSizeLimit.h"
#include "support/HeldAnswer.h"
#include "support/LogCapture.h"
#include "support/ProcessRunner.h"
#include "support/QtTestApplication.h"
#include "support/WithoutPermissionOverride.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QTimeZone>

#include <unistd.h>

#include <cerrno>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace tarnik::testing {
namespace {

QByteArray fileBytes(const QString &fileName) {
  QFile file(fileName);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every kind of value a settings file may hold, in the keys and groups it may hold them, as
// the store writes them and reads them back.
TEST(SettingsFileText, IsWhatQtsSettingsObjectWritesAndReadsBackAsTheSameValues) {
  ensureCoreApplication();
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
      {u"time"_s, QDateTime(QDate(2026, 12, 8), QTime(20, 15), QTimeZone(2 * 3600))},
      {u"rect"_s, QRect(-1, 2, 30, 40)},
      {u"size"_s, QSize(1920, 1080)},
      {u"point"_s, QPoint(-5, 7)},
      {u"blanks"_s, u" \tboth ends \t"_s},
      {u"blankItems"_s, QStringList{u" a"_s, u"b "_s}},
      {u"nothing"_s, QVariant()},
      {u"odd key é=%"_s, u"x"_s},
      {u"group/inner/key"_s, u"y"_s},
      {u"General/key"_s, u"z"_s},
      {u"/slashes//key/"_s, u"normalised"_s},
  };
  const QTemporaryDir folder;
  const QString qtFile = folder.filePath(u"qt.ini"_s);
  const QString ourFile = folder.filePath(u"ours.ini"_s);
  {
    QSettings qt(qtFile, QSettings::IniFormat);
    SettingsStore ours(ourFile);
    for (auto entry = values.cbegin(); entry != values.cend(); ++entry) {
      qt.setValue(entry.key(), entry.value());
      ours.setValue(entry.key(), entry.value());
    }
  }
  EXPECT_EQ(fileBytes(ourFile), fileBytes(qtFile));

  const SettingsStore read(ourFile);
  EXPECT_EQ(read.allKeys().size(), values.size());
  for (auto entry = values.cbegin(); entry != values.cend(); ++entry) {
    SCOPED_TRACE(entry.key().toStdString());
    // An empty list reads back as no value, as a settings object reads it.
    const QVariant expected = entry.key() == u"noList"_s ? QVariant() : entry.value();
    const QVariant value = read.value(entry.key());
    EXPECT_EQ(value, expected);
    // Numbers and flags are texts in the file, and read back as such.
    const bool isText = expected.typeId() == QMetaType::Int || expected.typeId() == QMetaType::Bool;
    EXPECT_EQ(value.metaType(), isText ? QMetaType::fromType<QString>() : expected.metaType());
    if (expected.metaType().id() == QMetaType::QDateTime) {
      EXPECT_EQ(value.toDateTime().offsetFromUtc(), expected.toDateTime().offsetFromUtc());
    }
  }
}

// What a person or another program may have written: comments, quotes, escapes, line breaks
// of either kind, a byte order mark, sections twice, is read as a settings object reads it.
TEST(SettingsFileText, ReadsWhatAPersonWroteAsQtsSettingsObjectReadsIt) {
  ensureCoreApplication();
  const QByteArray files[] = {
      "; a comment\n  spaced = value with blanks  \n\n[group]\nkey=1\n",
      "[group]\nkey=1\n[General]\ntop=2\n[group]\nsecond=3\nkey=4\n",
      "quoted=\"a ; b = c , d \"\nlist=a, b ,c\nmixed=\"x, y\", z\n",
      "continued=line \\\n  next\ncomment=value ; cut here\n",
      "\xEF\xBB\xBF first=bom\r\nsecond=crlf\r\n",
      "\xEF\xBB\xBF[bom]\r\nsecond=crlf\r\n",
      "escapes=\\x41\\101\\t\\q\\\"\\u\nkey\\with%41%U00e9=escaped key\n",
      "[%General]\nk=1\n[general]\nj=2\n",
      "typed=@Rect(1 2 3 4)\nsize=@Size(5 6)\nat=@@at\nnone=@Invalid()\nbytes=@ByteArray(\\0a)\n",
      "open=\"unterminated\n[not a section]\nj=2\n",
      "twice=1\ntwice=2\nno equals sign\n",
      "tab=value\t\ncommented=value \t; note\nitems=a\t, b\t\n",
  };
  const QTemporaryDir folder;
  int index = 0;
  for (const QByteArray &content : files) {
    SCOPED_TRACE(content.toStdString());
    // A name of its own: a settings object keeps what it read of a name.
    const QString fileName = folder.filePath(u"%1.ini"_s.arg(index++));
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
    const QSettings qt(fileName, QSettings::IniFormat);
    const SettingsValues ours = settingsFromFileContent(content);
    EXPECT_EQ(ours.keys(), qt.allKeys());
    for (const QString &key : qt.allKeys())
      EXPECT_EQ(ours.value(key), qt.value(key)) << key.toStdString();
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
    ASSERT_TRUE(old.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    FileWriteResult written;
    {
      const FileSizeLimit limit(row.sizeLimit);
      written = writeFileWhole(fileName, content, row.syncData);
    }
    EXPECT_EQ(written ? QString() : written.error(), row.reason);
    EXPECT_EQ(fileBytes(fileName), row.reason.isNull() ? content : before);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{u"settings.conf"_s});
    EXPECT_EQ(QFile::permissions(fileName),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
  }
}

// A list of records as JSON text, each record an id and a note.
QString records(const QList<std::pair<QString, QString>> &records) {
  QJsonArray list;
  for (const auto &[id, note] : records) list.append(QJsonObject{{"id", id}, {"note", note}});
  return QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact));
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
  // A connection edited twice before either edit is written: the second stands.
  for (const char *note : {"first", "second"}) {
    store.changeRecords(u"list"_s, {}, {{u"A"_s, QJsonObject{{"id", "A"}, {"note", note}}}});
  }
  ASSERT_TRUE(hold.releaseFromEventLoop());

  const QByteArray last = settingsFileContent({{u"interactionMode"_s, u"designer"_s},
                                               {u"list"_s, records({{u"A"_s, u"second"_s}})},
                                               {u"selectedConnectionProfileID"_s, u"B"_s}});
  ASSERT_TRUE(waitUntil([&] { return fileBytes(store.fileName()) == last; }, 1000));
  EXPECT_EQ(writer.contents, QList<QByteArray>({"[General]\ninteractionMode=viewer\n", last}));
  EXPECT_FALSE(writer.threads.contains(QThread::currentThread()));
  // Setting what is held already is no change, nor is removing what is not there, through
  // the store's end.
  std::optional<SettingsStore> again(std::in_place, store.fileName(), writer.options());
  again->setValue(u"interactionMode"_s, u"designer"_s);
  again->remove(u"consoleIP"_s);
  again.reset();
  EXPECT_EQ(writer.count(), 2);
}

// A full disk: the file keeps what it held, the values stay, the person is told (once in
// the log) until a write succeeds, and the write is tried again after a while, or at the
// end, without a change to wait for; a change that last try cannot write is logged as lost.
TEST(SettingsStoreWrites, AFailedWriteIsToldAndTriedAgainUntilItSucceeds) {
  ensureCoreApplication();
  const QTemporaryDir folder;
  const QString fileName = folder.filePath(u"settings.conf"_s);
  const struct Row {
    const char *name;
    bool roomComesBack;          // else the store ends first
    bool diskStaysFull = false;  // through the store's end: the change is lost, and logged
  } rows[] = {{"room comes back", true},
              {"the store ends", false},
              {"the store ends on a full disk", false, true}};
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
      writer.full = row.diskStaysFull;
    }
    if (row.roomComesBack) {
      EXPECT_TRUE(waitUntil([&] { return !told; }, 1000));
    } else {
      store.reset();
    }
    EXPECT_EQ(fileBytes(fileName),
              row.diskStaysFull ? before : QByteArray("[General]\ninteractionMode=viewer\n"));
    EXPECT_EQ(LogCapture::lines().filter(u"changes not yet written are lost"_s).size(),
              row.diskStaysFull ? 1 : 0);
  }
}

// A full disk that stays full is tried again once a while, not again and again; and not even
// that while the disk lacks the room the content it refused needs.
TEST(SettingsStoreWrites, AFullDiskThatStaysFullIsNotTriedAgainAndAgain) {
  ensureCoreApplication();
  const QTemporaryDir folder;
  RecordingWriter writer;
  writer.full = true;
  SettingsStore store(folder.filePath(u"settings.conf"_s), writer.options(10s));
  store.setValue(u"interactionMode"_s, u"viewer"_s);
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < 1000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_EQ(writer.count(), 1);

  const SettingsFileUpdate update{.fileName = store.fileName(),
                                  .changes = {{u"interactionMode"_s, {.value = u"viewer"_s}}},
                                  .roomNeeded = std::numeric_limits<qint64>::max(),
                                  .writeFile = writer.options().writeFile};
  EXPECT_TRUE(update.run().waitedForRoom);
  EXPECT_EQ(writer.count(), 1);
}

// Two copies of the program, or an earlier version beside this one, on one file: each write
// lays only what its copy changed over the file as it is then, so neither loses what the
// other wrote, which becomes the other's own; a key both set keeps the later write, a value
// set back to what this copy read included. A list of records (the saved connections) keeps
// every copy's records, and loses only those one took out; a record both changed keeps the
// later change.
TEST(SettingsStoreWrites, CopiesOfTheProgramOnOneFileKeepEachOthersSettings) {
  ensureCoreApplication();
  enum class Other { store, program, earlierVersion };
  const struct Row {
    const char *name;
    Other other;
  } rows[] = {{"a second store", Other::store},
              {"a second program", Other::program},
              {"an earlier version's settings object", Other::earlierVersion}};
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    const QTemporaryDir folder;
    const QString fileName = folder.filePath(u"Tarnik.conf"_s);
    ASSERT_TRUE(writeFileWhole(fileName, "[General]\nback=first\nmode=editor\nselected=A\n"));
    SettingsStore ours(fileName);
    std::optional<SettingsStore> otherStore;
    if (row.other == Other::store) otherStore.emplace(fileName);  // started beside this one
    const auto written = [](SettingsStore &store) {
      return waitUntil([&] { return !store.isWriting(); }) && !store.fileFailure();
    };

    ours.setValue(u"mode"_s, u"viewer"_s);
    ASSERT_TRUE(written(ours));
    // The other saves a connection and clears its selection.
    switch (row.other) {
      case Other::store:
        otherStore->setValue(u"profiles"_s, u"[other]"_s);
        otherStore->remove(u"selected"_s);
        otherStore->setValue(u"both"_s, u"other"_s);
        otherStore->setValue(u"back"_s, u"second"_s);
        ASSERT_TRUE(written(*otherStore));
        break;
      case Other::program: {
        const auto ended = ProcessRunner::run(
            QStringLiteral(TARNIK_SETTINGS_PEER),
            {fileName, u"profiles=[other]"_s, u"-selected"_s, u"both=other"_s, u"back=second"_s},
            10s);
        ASSERT_TRUE(ended && ended->exitCode == 0);
        break;
      }
      case Other::earlierVersion: {
        QSettings earlier(fileName, QSettings::IniFormat);
        earlier.setValue(u"profiles"_s, u"[other]"_s);
        earlier.remove(u"selected"_s);
        earlier.setValue(u"both"_s, u"other"_s);
        earlier.setValue(u"back"_s, u"second"_s);
      }
    }
    ours.setValue(u"last"_s, u"desk"_s);
    ours.setValue(u"back"_s, u"first"_s);  // what it read at its start
    ASSERT_TRUE(written(ours));
    EXPECT_EQ(fileBytes(fileName),
              "[General]\nback=first\nboth=other\nlast=desk\nmode=viewer\nprofiles=[other]\n");
    EXPECT_EQ(ours.value(u"profiles"_s), u"[other]"_s);
    EXPECT_FALSE(ours.contains(u"selected"_s));

    ours.setValue(u"both"_s, u"ours"_s);
    ASSERT_TRUE(written(ours));
    EXPECT_EQ(fileBytes(fileName),
              "[General]\nback=first\nboth=ours\nlast=desk\nmode=viewer\nprofiles=[other]\n");

    // Records: this copy saves A and B; the other then changes A, takes out B and saves C;
    // this copy changes A again and saves D.
    const SettingsRecordList list{.asideKey = u"list.unreadable"_s};
    ours.changeRecords(u"list"_s, list,
                       {{u"A"_s, QJsonObject{{"id", "A"}, {"note", "a"}}},
                        {u"B"_s, QJsonObject{{"id", "B"}, {"note", "b"}}}});
    ASSERT_TRUE(written(ours));
    const QString otherList = records({{u"A"_s, u"other"_s}, {u"C"_s, u"c"_s}});
    switch (row.other) {
      case Other::store:
        otherStore->changeRecords(u"list"_s, list,
                                  {{u"A"_s, QJsonObject{{"id", "A"}, {"note", "other"}}},
                                   {u"B"_s, std::nullopt},
                                   {u"C"_s, QJsonObject{{"id", "C"}, {"note", "c"}}}});
        ASSERT_TRUE(written(*otherStore));
        break;
      case Other::program: {
        const auto ended =
            ProcessRunner::run(QStringLiteral(TARNIK_SETTINGS_PEER),
                               {fileName, u"list[A]={\"id\":\"A\",\"note\":\"other\"}"_s,
                                u"-list[B]"_s, u"list[C]={\"id\":\"C\",\"note\":\"c\"}"_s},
                               10s);
        ASSERT_TRUE(ended && ended->exitCode == 0);
        break;
      }
      case Other::earlierVersion:
        // An earlier version writes its whole list.
        QSettings(fileName, QSettings::IniFormat).setValue(u"list"_s, otherList);
    }
    ours.changeRecords(u"list"_s, list,
                       {{u"a"_s, QJsonObject{{"id", "A"}, {"note", "ours"}}},
                        {u"D"_s, QJsonObject{{"id", "D"}, {"note", "d"}}}});
    ASSERT_TRUE(written(ours));
    const QString merged = records({{u"A"_s, u"ours"_s}, {u"C"_s, u"c"_s}, {u"D"_s, u"d"_s}});
    EXPECT_EQ(SettingsStore(fileName).value(u"list"_s), merged);
    EXPECT_EQ(ours.value(u"list"_s), merged);
  }
}

// The file's lock, as a settings object takes it: one a live program holds is waited for,
// and a write that cannot get it is told and tried again; one a killed program left is taken
// over. What a killed write left beside the file goes with the next write, and nothing else.
TEST(SettingsStoreWrites, ALockHeldIsWaitedForAndOneLeftByAKilledProgramTakenOver) {
  ensureCoreApplication();
  const QTemporaryDir folder;
  const QString fileName = folder.filePath(u"Tarnik.conf"_s);
  ProcessRunner holder;
  ASSERT_TRUE(holder.start(QStringLiteral(TARNIK_SETTINGS_PEER), {u"--hold-lock"_s, fileName}));
  ASSERT_TRUE(
      holder.waitForOutput([](const QByteArray &out) { return out.contains("locked"); }, 10s));
  ASSERT_TRUE(writeFileWhole(fileName + u".unfinished-k1ll3d"_s, QByteArray(4096, 'x')));
  ASSERT_TRUE(writeFileWhole(fileName + u".bak"_s, "[General]\nmode=kept\n"));

  SettingsStore store(fileName, {.retryDelay = 50ms, .lockWait = 100ms});
  store.setValue(u"mode"_s, u"viewer"_s);
  EXPECT_TRUE(waitUntil([&] {
    return store.fileFailure() == SettingsFileFailure(SettingsFileFailure::Step::write,
                                                      u"another program holds its lock"_s);
  }));
  EXPECT_FALSE(QFile::exists(fileName));

  holder.kill();
  EXPECT_TRUE(QFile::exists(fileName + u".lock"_s));
  EXPECT_TRUE(waitUntil([&] { return !store.fileFailure(); }));
  EXPECT_EQ(fileBytes(fileName), "[General]\nmode=viewer\n");
  EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files),
            (QStringList{u"Tarnik.conf"_s, u"Tarnik.conf.bak"_s}));

  // Another user's lock in this user's folder (a run under sudo), which QLockFile may not
  // open to remove: waited for while its program runs, even where it could be removed, named
  // while it cannot be read or removed, and removed once it can be.
  ASSERT_TRUE(holder.start(QStringLiteral(TARNIK_SETTINGS_PEER), {u"--hold-lock"_s, fileName}));
  ASSERT_TRUE(
      holder.waitForOutput([](const QByteArray &out) { return out.contains("locked"); }, 10s));
  const QByteArray lock = QFile::encodeName(fileName + u".lock"_s);
  const QByteArray folderName = QFile::encodeName(folder.path());
  ASSERT_EQ(::chown(lock.constData(), 65534, 65534), 0);
  const auto failed = [&](const SettingsStore &store, const QString &reason) {
    return waitUntil([&] {
      return store.fileFailure() == SettingsFileFailure(SettingsFileFailure::Step::write, reason);
    });
  };
  {
    const WithoutPermissionOverride asAUser;
    SettingsStore other(fileName, {.retryDelay = 50ms, .lockWait = 100ms});
    other.setValue(u"mode"_s, u"editor"_s);
    EXPECT_TRUE(failed(other, u"another program holds its lock"_s));
    ASSERT_EQ(::chmod(folderName.constData(), 0500), 0);
    holder.kill();
    EXPECT_TRUE(failed(other,
                       u"its lock %1.lock, left by a program that has ended, cannot be "
                       u"removed: Permission denied"_s.arg(fileName)));
    ASSERT_EQ(::chmod(folderName.constData(), 0700), 0);
    ASSERT_EQ(::chmod(lock.constData(), 0600), 0);
    EXPECT_TRUE(failed(other,
                       u"its lock %1.lock cannot be read to tell whether the program "
                       u"that left it has ended: Permission denied"_s.arg(fileName)));
    ASSERT_EQ(::chmod(lock.constData(), 0644), 0);
    EXPECT_TRUE(waitUntil([&] { return !other.fileFailure(); }));
  }
  EXPECT_EQ(fileBytes(fileName), "[General]\nmode=editor\n");
  EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files),
            (QStringList{u"Tarnik.conf"_s, u"Tarnik.conf.bak"_s}));

  // A lock another machine sharing the folder holds: its process cannot be asked here.
  ASSERT_TRUE(writeFileWhole(fileName + u".lock"_s, "999999999\nTarnik\nanother-machine\n"));
  store.setValue(u"mode"_s, u"designer"_s);
  EXPECT_TRUE(failed(store, u"another program holds its lock"_s));
  ASSERT_TRUE(QFile::remove(fileName + u".lock"_s));
  EXPECT_TRUE(waitUntil([&] { return !store.fileFailure(); }));
  EXPECT_EQ(fileBytes(fileName), "[General]\nmode=designer\n");
}

// Keys the file lacks come from the system-wide files a settings object falls back on, and
// never go into the file unless this copy sets them, a fallback's value set back over the
// file's own included. A list of records the file lacks is the fallback's: a site's saved
// connections stay beside one the person saves or changes.
TEST(SettingsStoreReads, FallbacksFillInWhatTheFileLacksAndAreNeverWrittenThere) {
  ensureCoreApplication();
  const QTemporaryDir folder;
  const QString fileName = folder.filePath(u"Tarnik.conf"_s);
  const QString organisation = folder.filePath(u"quellmoor.conf"_s);
  const QString system = folder.filePath(u"system.conf"_s);
  const QString site = records({{u"S1"_s, u"desk"_s}, {u"S2"_s, u"booth"_s}});
  ASSERT_TRUE(writeFileWhole(fileName, "[General]\nback=person\nother=1\n"));
  ASSERT_TRUE(writeFileWhole(organisation, "[General]\nback=site\nmode=organisation\n"));
  ASSERT_TRUE(writeFileWhole(system, "[General]\nmode=system\nprofiles=[system]\n"));
  QSettings(system, QSettings::IniFormat).setValue(u"list"_s, site);
  const QByteArray systemBytes = fileBytes(system);
  const QString laid = records({{u"S1"_s, u"desk"_s}, {u"S2"_s, u"changed"_s}, {u"N"_s, u"n"_s}});
  {
    SettingsStore store(fileName, {.fallbackFiles = {organisation, system}});
    EXPECT_EQ(store.value(u"mode"_s), u"organisation"_s);
    EXPECT_EQ(store.value(u"profiles"_s), u"[system]"_s);
    store.setValue(u"profiles"_s, u"[system]"_s);  // what it holds: no change
    store.setValue(u"selected"_s, u"A"_s);
    store.setValue(u"back"_s, u"site"_s);
    const SettingsRecordList list{.asideKey = u"list.unreadable"_s};
    store.changeRecords(u"list"_s, list,
                        {{u"S2"_s, QJsonObject{{"id", "S2"}, {"note", "changed"}}}});
    store.changeRecords(u"list"_s, list, {{u"N"_s, QJsonObject{{"id", "N"}, {"note", "n"}}}});
    EXPECT_EQ(store.value(u"list"_s), laid);
  }
  EXPECT_EQ(SettingsStore(fileName).value(u"list"_s), laid);
  QSettings written(fileName, QSettings::IniFormat);
  EXPECT_EQ(written.allKeys(), (QStringList{u"back"_s, u"list"_s, u"other"_s, u"selected"_s}));
  EXPECT_EQ(written.value(u"back"_s), u"site"_s);
  EXPECT_EQ(fileBytes(system), systemBytes);

  qputenv("XDG_CONFIG_HOME", "/home/u/.config");
  qputenv("XDG_CONFIG_DIRS", "/etc/a:/etc/b");
  EXPECT_EQ(SettingsStore::applicationFallbackFileNames(),
            (QStringList{u"/home/u/.config/quellmoor.conf"_s, u"/etc/a/quellmoor/Tarnik.conf"_s,
                         u"/etc/b/quellmoor/Tarnik.conf"_s, u"/etc/a/quellmoor.conf"_s,
                         u"/etc/b/quellmoor.conf"_s}));
  qunsetenv("XDG_CONFIG_HOME");
  qunsetenv("XDG_CONFIG_DIRS");
}

// The end waits for a write only so long: a disk that hangs does not hold the program, and
// the change it holds is logged as lost.
TEST_F(HeldSettingsWrite, TheEndWaitsForAHungWriteNoLongerThanItsBound) {
  SettingsStore::Options options = writer.options();
  options.endWait = 50ms;
  std::optional<SettingsStore> store(std::in_place, folder.filePath(u"settings.conf"_s), options);
  store->setValue(u"interactionMode"_s, u"viewer"_s);
  ASSERT_TRUE(waitUntil([&] { return hold.calls == 1; }));
  const LogCapture log("tarnik.app");
  QElapsedTimer ending;
  ending.start();
  store.reset();
  EXPECT_LT(ending.elapsed(), 500);
  EXPECT_EQ(LogCapture::lines().filter(u"changes not yet written are lost"_s).size(), 1);
  // The held write ends on what it holds itself.
  ASSERT_TRUE(hold.releaseFromEventLoop());
  EXPECT_TRUE(waitUntil([&] { return QFile::exists(folder.filePath(u"settings.conf"_s)); }));
}

}  // namespace
}  // namespace tarnik::testing
