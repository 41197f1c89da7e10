// Another copy of the program on a settings file, for the settings store's tests:
//   tarnik-settings-peer FILE [KEY=VALUE | -KEY | KEY[ID]=JSON | -KEY[ID]]...
// reads the file as the program does, sets or removes each key, or puts or takes out each
// record of the list under KEY (as the saved connections are kept), in turn, waits for the
// write and ends, with 1 when the file does not hold them;
//   tarnik-settings-peer --hold-lock FILE
// takes the file's lock as a settings object does, says "locked" and holds it until killed;
//   tarnik-settings-peer --store-snapshots FILE COUNT NAME START
// reads the snapshots beside the settings file FILE, says "ready", and once the file START is
// there stores snapshots of COUNT shows named NAME-1, NAME-2… in turn, as the program stores
// one after each sync, and ends, with 1 when one was not written.

#include "app/SavedShowStore.h"
#include "app/SettingsStore.h"
#include "app/WholeFileWrite.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLockFile>
#include <QRegularExpression>
#include <QThread>

#include <cstdio>

namespace {

// Each snapshot is stored once the one before it is written, as syncs one after another
// store theirs, so that each is a write of its own. Copies started together begin at the
// same moment, and each write waits a tenth of a second between reading the file and
// replacing it: copies that did not take turns on the file would both read it before either
// replaced it, however busy the machine; copies that take turns only take longer.
int storeSnapshots(const QString &settingsFile, int count, const QString &name,
                   const QString &start) {
  tarnik::SettingsStore settings(settingsFile);
  tarnik::SavedShowStore snapshots(settings, [](const QString &file, const QByteArray &content) {
    QThread::msleep(100);
    return tarnik::writeFileWhole(file, content);
  });
  std::puts("ready");
  std::fflush(stdout);
  const QDeadlineTimer startWait(20000);
  while (!QFileInfo::exists(start)) {
    if (startWait.hasExpired()) return 1;
    QThread::msleep(1);
  }
  QEventLoop stored;
  int storing = 0;
  bool allWritten = true;
  const auto storeNext = [&] {
    ++storing;
    snapshots.store({.storageKey = name + u'-' + QString::number(storing),
                     .name = name,
                     .savedAt = double(storing)});
  };
  QObject::connect(&snapshots, &tarnik::SavedShowStore::savedShowsWritten, &stored,
                   [&](bool written) {
                     allWritten = allWritten && written;
                     if (storing < count) {
                       storeNext();
                     } else {
                       stored.quit();
                     }
                   });
  storeNext();
  stored.exec();
  return allWritten ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication application(argc, argv);
  QStringList arguments = application.arguments().mid(1);
  if (arguments.size() == 2 && arguments.first() == QStringLiteral("--hold-lock")) {
    QLockFile lock(arguments.last() + QStringLiteral(".lock"));
    if (!lock.lock()) return 1;
    std::puts("locked");
    std::fflush(stdout);
    for (;;) QThread::sleep(60);
  }
  if (arguments.size() == 5 && arguments.first() == QStringLiteral("--store-snapshots")) {
    return storeSnapshots(arguments[1], arguments[2].toInt(), arguments[3], arguments[4]);
  }
  if (arguments.isEmpty()) return 2;
  tarnik::SettingsStore store(arguments.takeFirst());
  static const QRegularExpression recordArgument(QRegularExpression::anchoredPattern(
      QStringLiteral("(-?)([^\\[=]+)\\[([^\\]]+)\\](?:=(.*))?")));
  for (const QString &argument : arguments) {
    if (const QRegularExpressionMatch record = recordArgument.match(argument); record.hasMatch()) {
      const QString key = record.captured(2);
      std::optional<QJsonObject> value;
      if (record.captured(1).isEmpty()) {
        value = QJsonDocument::fromJson(record.captured(4).toUtf8()).object();
      }
      store.changeRecords(key, {.asideKey = key + QStringLiteral(".unreadable")},
                          {{.id = record.captured(3), .value = value}});
    } else if (argument.startsWith(u'-')) {
      store.remove(argument.sliced(1));
    } else {
      const qsizetype equals = argument.indexOf(u'=');
      store.setValue(argument.first(equals), argument.sliced(equals + 1));
    }
  }
  // As a running program, the write's outcome is taken in on the event loop.
  QEventLoop written;
  QObject::connect(&store, &tarnik::SettingsStore::isWritingChanged, &written, [&](bool writing) {
    if (!writing) written.quit();
  });
  if (store.isWriting()) written.exec();
  return store.fileFailure() ? 1 : 0;
}
