#include "app/SettingsFileWrite.h"

#include "app/AppLogging.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <utility>

namespace tarnik {

namespace {

std::pair<qint64, QDateTime> fileStamp(const QString &fileName) {
  const QFileInfo file(fileName);
  return {file.size(), file.lastModified()};
}

bool sameValue(const QVariant &held, const QVariant &read) {
  // A value read from the file is text where the GUI thread may have set a number or a flag.
  return held == read || held.toString() == read.toString();
}

}  // namespace

bool writeSettingsFile(const QString &fileName, QSettings::Format format) {
  QSettings settings(fileName, format);  // writes what waits
  for (;;) {
    const std::pair<qint64, QDateTime> before = fileStamp(fileName);
    settings.sync();
    if (settings.status() != QSettings::NoError) {
      qCWarning(tarnikApp).noquote() << "the settings could not be written to" << fileName;
      return false;
    }
    if (fileStamp(fileName) == before) return true;
  }
}

bool settingsFileIsWhole(const QString &fileName, QSettings::Format format) {
  // A settings object of this file reads what this process holds, not the disk: a new name
  // for the same file is read afresh.
  const QTemporaryDir folder;
  const QString alias = folder.filePath(QStringLiteral("settings"));
  if (!folder.isValid() || !QFile::link(QFileInfo(fileName).absoluteFilePath(), alias)) {
    return false;
  }
  const QSettings held(fileName, format);
  const QSettings read(alias, format);
  const QStringList keys = held.allKeys();
  return read.status() == QSettings::NoError && read.allKeys() == keys &&
         std::ranges::all_of(
             keys, [&](const QString &key) { return sameValue(held.value(key), read.value(key)); });
}

}  // namespace tarnik
