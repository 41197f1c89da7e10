// Another copy of the program on a settings file, for the settings store's tests:
//   tarnik-settings-peer FILE [KEY=VALUE | -KEY]...
// reads the file as the program does, sets or removes each key in turn, waits for the write
// and ends, with 1 when the file does not hold them;
//   tarnik-settings-peer --hold-lock FILE
// takes the file's lock as a settings object does, says "locked" and holds it until killed.

#include "app/SettingsStore.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLockFile>
#include <QThread>

#include <cstdio>

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
  if (arguments.isEmpty()) return 2;
  tarnik::SettingsStore store(arguments.takeFirst());
  for (const QString &argument : arguments) {
    if (argument.startsWith(u'-')) {
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
