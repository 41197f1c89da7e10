// The saved show snapshot of a 20,000-cue show, from the store's call to the snapshots' file
// holding it: the longest time the GUI thread's event loop did not turn meanwhile. A 1 ms
// beat on that loop notes the longest gap between two of its runs. Then one setting changed
// and written on the GUI thread, as picking a profile does, with that snapshot stored.

#include "app/SavedShowStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

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

// Milliseconds of the longest stall, or a negative number when the file was not written.
double longestStallUntilWritten(QSettings &settings) {
  tarnik::SavedShowStore store(settings);
  const QString file = tarnik::SavedShowStore::savedShowsFileName(settings);
  tarnik::SavedShowFile show = largeShow();
  const qint64 sizeBefore = QFileInfo(file).size();
  QEventLoop loop;
  QElapsedTimer sinceBeat;
  qint64 longest = 0;
  bool written = false;
  QTimer beat;
  beat.setTimerType(Qt::PreciseTimer);
  QObject::connect(&beat, &QTimer::timeout, [&] {
    longest = std::max(longest, sinceBeat.nsecsElapsed());
    sinceBeat.restart();
    // The file grows by the whole list at once: it is replaced, never written in place.
    if (QFileInfo(file).size() > sizeBefore + cueCount * 40) {
      written = true;
      loop.quit();
    }
  });
  QTimer::singleShot(0, &loop, [&] { store.store(std::move(show)); });
  QTimer::singleShot(60'000, &loop, &QEventLoop::quit);
  sinceBeat.start();
  beat.start(1);
  loop.exec();
  return written ? double(longest) / 1e6 : -1;
}

// Milliseconds the GUI thread spends writing the settings file for one changed setting.
double settingWrite(QSettings &settings) {
  QElapsedTimer timer;
  timer.start();
  settings.setValue(u"interactionMode"_s, u"viewer"_s);
  settings.sync();
  return double(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication application(argc, argv);
  QTemporaryDir folder;
  const QString file = folder.filePath(u"Tarnik.conf"_s);
  QSettings settings(file, QSettings::NativeFormat);
  // Other settings in the file, as the application keeps them.
  settings.setValue(u"connectionProfiles.v1"_s, u"[]"_s);
  settings.sync();
  const double stall = longestStallUntilWritten(settings);
  if (stall < 0) {
    std::fprintf(stderr, "the snapshot was not written within a minute\n");
    return 1;
  }
  std::printf("FIGURE snapshot_write_gui_stall_ms %.1f\n", stall);
  std::printf("FIGURE settings_write_with_snapshot_ms %.1f\n", settingWrite(settings));
  return 0;
}
