// The saved show snapshot of a 20,000-cue show, from the store's call to the snapshots' file
// holding it: the longest time the GUI thread's event loop did not turn meanwhile. A 1 ms
// beat on that loop notes the longest gap between two of its runs. Then what the GUI thread
// spends on one setting changed, as picking a profile does, with that snapshot stored. Then
// the first start over a settings file in which an earlier version kept that snapshot: the
// store's start, which reads the list on the GUI thread, and the longest gap until the
// settings file has let go of the list. Then one setting changed while the settings keep
// that list, as when the list's own file cannot be read: the longest gap until the settings
// file holds the change. Last, with a list of about 100 MB kept in the settings, a setting
// read and a connection saved while the write of an earlier change runs: the longest gap
// until the settings file holds the saved connection.

#include "app/SavedShowStore.h"
#include "app/SettingsStore.h"
#include "foundation/JsonCoding.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr int cueCount = 20'000;

tarnik::SavedShowFile largeShow() {
  tarnik::SavedShowFile show{.storageKey = u"-shows-gala-esf-booth"_s,
                             .name = u"Gala"_s,
                             .consoleName = u"Booth"_s,
                             .consoleIP = u"10.101.100.101"_s,
                             .savedAt = 786'000'000};
  show.cues.reserve(cueCount);
  for (int index = 1; index <= cueCount; ++index) {
    tarnik::Cue cue;
    cue.number = QString::number(index / 10.0, 'f', 1);
    cue.label = u"Scene %1 — warm wash from stage left, “fade” to blue"_s.arg(index);
    cue.duration = u"5"_s;
    cue.upTime = u"3.5"_s;
    cue.downTime = u"4"_s;
    cue.mark = index % 7 == 0 ? u"M"_s : QString();
    show.cues.append(std::move(cue));
  }
  return show;
}

double milliseconds(qint64 nanoseconds) { return double(nanoseconds) / 1e6; }

// Milliseconds of the longest gap between two runs of the event loop from `start` until
// `done` holds, or a negative number when it did not within a minute.
double longestStallUntil(const std::function<void()> &start, const std::function<bool()> &done) {
  QEventLoop loop;
  QElapsedTimer sinceBeat;
  qint64 longest = 0;
  bool ended = false;
  QTimer beat;
  beat.setTimerType(Qt::PreciseTimer);
  QObject::connect(&beat, &QTimer::timeout, [&] {
    longest = std::max(longest, sinceBeat.nsecsElapsed());
    sinceBeat.restart();
    if (done()) {
      ended = true;
      loop.quit();
    }
  });
  QTimer::singleShot(0, &loop, start);
  QTimer::singleShot(60'000, &loop, &QEventLoop::quit);
  sinceBeat.start();
  beat.start(1);
  loop.exec();
  return ended ? milliseconds(longest) : -1;
}

double longestStallUntilWritten(tarnik::SettingsStore &settings) {
  tarnik::SavedShowStore store(settings);
  const QString file = tarnik::SavedShowStore::savedShowsFileName(settings.fileName());
  tarnik::SavedShowFile show = largeShow();
  const qint64 sizeBefore = QFileInfo(file).size();
  // The file grows by the whole list at once: it is replaced, never written in place.
  return longestStallUntil([&] { store.store(std::move(show)); },
                           [&] { return QFileInfo(file).size() > sizeBefore + cueCount * 40; });
}

struct FirstStart {
  double load;   // ms
  double stall;  // ms, negative when the settings file kept the list
};

// A settings file as earlier versions left it: the large show's snapshots kept in it, under
// as many consoles as asked.
void writeSettingsWithTheList(const QString &file, int consoles = 1) {
  QList<tarnik::SavedShowFile> shows(consoles, largeShow());
  for (int index = 0; index < consoles; ++index) shows[index].storageKey += QString::number(index);
  QSettings settings(file, QSettings::NativeFormat);
  settings.setValue(u"interactionMode"_s, u"editor"_s);
  settings.setValue(u"connectionProfiles.v1"_s, u"[]"_s);
  settings.setValue(u"savedShowFiles"_s, QString::fromUtf8(tarnik::encodeJsonText(shows)));
}

// The list's own file, unreadable: the settings keep theirs.
void spoilTheListsOwnFile(const QString &settingsFile) {
  QSettings(tarnik::SavedShowStore::savedShowsFileName(settingsFile), QSettings::IniFormat)
      .setValue(u"savedShowFiles"_s, u"[{\"storageKey\":1}]"_s);
}

FirstStart firstStartWithTheListInTheSettings(const QTemporaryDir &folder) {
  const QString earlier = folder.filePath(u"Earlier.conf"_s);
  writeSettingsWithTheList(earlier);
  // A copy no settings object of this process has read yet, as at a start.
  const QString file = folder.filePath(u"Started.conf"_s);
  QFile::copy(earlier, file);
  const qint64 sizeBefore = QFileInfo(file).size();
  QElapsedTimer timer;
  timer.start();
  tarnik::SettingsStore settings(file);
  // Every start writes the selected connection back before the store starts.
  settings.setValue(u"selectedConnectionProfileID"_s, u"0"_s);
  const tarnik::SavedShowStore store(settings);
  const double load = milliseconds(timer.nsecsElapsed());
  return {load, longestStallUntil(
                    [] {}, [&] { return QFileInfo(file).size() < sizeBefore - cueCount * 40; })};
}

// The settings keep the list beside an own file that cannot be read.
double settingChangeWithTheListKept(const QTemporaryDir &folder) {
  const QString file = folder.filePath(u"Kept.conf"_s);
  writeSettingsWithTheList(file);
  spoilTheListsOwnFile(file);
  tarnik::SettingsStore settings(file);
  const tarnik::SavedShowStore store(settings);
  const QDateTime before = QFileInfo(file).lastModified();
  return longestStallUntil([&] { settings.setValue(u"interactionMode"_s, u"viewer"_s); },
                           [&] { return QFileInfo(file).lastModified() != before; });
}

// A setting read and a connection saved 100 ms after a change whose write carries a list of
// about 100 MB.
double settingChangeDuringAKeptListsWrite(const QTemporaryDir &folder) {
  const QString file = folder.filePath(u"Large.conf"_s);
  writeSettingsWithTheList(file, 10);
  spoilTheListsOwnFile(file);
  tarnik::SettingsStore settings(file);
  const tarnik::SavedShowStore store(settings);
  const qint64 sizeBefore = QFileInfo(file).size();
  const QString savedConnection = u"[{\"name\":\"%1\"}]"_s.arg(QString(1000, u'x'));
  return longestStallUntil(
      [&] {
        settings.setValue(u"interactionMode"_s, u"viewer"_s);
        QTimer::singleShot(100, [&] {
          if (settings.value(u"interactionMode"_s) != u"viewer"_s) std::abort();
          settings.setValue(u"connectionProfiles.v1"_s, savedConnection);
        });
      },
      [&] { return QFileInfo(file).size() > sizeBefore + 1000; });
}

// Milliseconds the GUI thread spends on one changed setting.
double settingWrite(tarnik::SettingsStore &settings) {
  QElapsedTimer timer;
  timer.start();
  settings.setValue(u"interactionMode"_s, u"viewer"_s);
  return milliseconds(timer.nsecsElapsed());
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication application(argc, argv);
  QTemporaryDir folder;
  const QString file = folder.filePath(u"Tarnik.conf"_s);
  tarnik::SettingsStore settings(file);
  // Other settings in the file, as the application keeps them.
  settings.setValue(u"connectionProfiles.v1"_s, u"[]"_s);
  const double stall = longestStallUntilWritten(settings);
  if (stall < 0) {
    std::fprintf(stderr, "the snapshot was not written within a minute\n");
    return 1;
  }
  std::printf("FIGURE snapshot_write_gui_stall_ms %.1f\n", stall);
  std::printf("FIGURE settings_write_with_snapshot_ms %.1f\n", settingWrite(settings));
  const FirstStart firstStart = firstStartWithTheListInTheSettings(folder);
  if (firstStart.stall < 0) {
    std::fprintf(stderr, "the settings kept the snapshot for a minute\n");
    return 1;
  }
  std::printf("FIGURE snapshot_move_load_ms %.1f\n", firstStart.load);
  std::printf("FIGURE snapshot_move_gui_stall_ms %.1f\n", firstStart.stall);
  const double keptListStall = settingChangeWithTheListKept(folder);
  if (keptListStall < 0) {
    std::fprintf(stderr, "the setting was not written within a minute\n");
    return 1;
  }
  std::printf("FIGURE settings_write_with_kept_list_gui_stall_ms %.1f\n", keptListStall);
  const double largeListStall = settingChangeDuringAKeptListsWrite(folder);
  if (largeListStall < 0) {
    std::fprintf(stderr, "the saved connection was not written within a minute\n");
    return 1;
  }
  std::printf("FIGURE settings_change_during_kept_list_write_gui_stall_ms %.1f\n", largeListStall);
  return 0;
}
