#include "app/SavedShowStore.h"

#include "app/AppLogging.h"
#include "app/SavedShowOrder.h"
#include "foundation/BackgroundRelease.h"
#include "foundation/JsonCoding.h"
#include "foundation/TextRules.h"

#include <QChar>
#include <QDir>
#include <QFileInfo>
#include <QPromise>
#include <QThreadPool>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

const QString savedShowsKey = u"savedShowFiles"_s;

bool keepsInStorageKey(char32_t codePoint) {
  return codePoint == U'-' || codePoint == U'_' || QChar::isLetterOrNumber(codePoint) ||
         QChar::isMark(codePoint);
}

// The stored text of the list. A show with a date that JSON cannot hold would be written as
// null and make the whole list unreadable: it is left out, and the others are stored.
QString storedSavedShowsText(QList<SavedShowFile> shows) {
  std::expected<QByteArray, JsonError> text = encodeSavedShows(shows);
  if (!text) {
    const qsizetype count = shows.size();
    shows.removeIf([](const SavedShowFile &show) { return !encodeSavedShows({show}); });
    qCWarning(tarnikApp).noquote()
        << "left out" << count - shows.size()
        << "saved show(s) that cannot be stored:" << text.error().description();
    text = encodeSavedShows(shows);
  }
  return QString::fromUtf8(*text);
}

// Replacing the snapshots' file takes long for a large show, so the list is written from a
// worker, through a settings object of its own. Nothing else writes that file while the
// store lives. Whether the file is whole afterwards is what the write says.
bool writeSavedShows(const QString &file, QSettings::Format format, const QString &text) {
  QSettings writer(file, format);
  writer.setValue(savedShowsKey, text);
  writer.sync();
  return writer.status() == QSettings::NoError;
}

}  // namespace

QString SavedShowStore::savedShowsFileName(const QSettings &defaults) {
  const QFileInfo settingsFile(defaults.fileName());
  const QString suffix = settingsFile.suffix();
  return settingsFile.dir().filePath(settingsFile.completeBaseName() + u'.' + savedShowsKey +
                                     (suffix.isEmpty() ? QString() : u'.' + suffix));
}

SavedShowStore::SavedShowStore(QSettings &defaults, QObject *parent)
    : ObservableObject(parent), defaults_(defaults), fileName_(savedShowsFileName(defaults)) {
  load();
}

SavedShowStore::~SavedShowStore() { storeWaitingSavedShowsNow(); }

void SavedShowStore::load() {
  const QSettings own(fileName_, defaults_.format());
  QString text;
  if (own.contains(savedShowsKey)) {
    text = own.value(savedShowsKey).toString();
    // A move that ended before the settings store let go of its copy: that copy is older.
    if (defaults_.contains(savedShowsKey)) defaults_.remove(savedShowsKey);
  } else if (defaults_.contains(savedShowsKey)) {
    text = defaults_.value(savedShowsKey).toString();
    moveStoredSavedShows(text);
  } else {
    return;
  }
  // Unreadable snapshots are not worth a message: the next sync stores a fresh one over
  // them, and until then they stay as they were.
  QList<SavedShowFile> shows =
      decodeJsonText<QList<SavedShowFile>>(text.toUtf8()).value_or(QList<SavedShowFile>());
  sortSavedShowsNewestFirst(shows);
  publish(savedShowFiles_, std::move(shows), &SavedShowStore::savedShowFilesChanged);
}

void SavedShowStore::store(SavedShowFile snapshot) {
  QList<SavedShowFile> shows = savedShowFiles_;
  const auto existing = std::ranges::find(shows, snapshot.storageKey, &SavedShowFile::storageKey);
  if (existing != shows.end()) {
    *existing = std::move(snapshot);
  } else {
    shows.append(std::move(snapshot));
  }
  sortSavedShowsNewestFirst(shows);
  // The snapshot this one replaces holds the previous sync's rows: freed off the GUI thread.
  QList<SavedShowFile> replaced = savedShowFiles_;
  publish(savedShowFiles_, std::move(shows), &SavedShowStore::savedShowFilesChanged);
  releaseInBackground(std::move(replaced));
  persist();
}

void SavedShowStore::persist() {
  savedShowsToStore_ = savedShowFiles_;
  if (!savedShowsWrite_) writeWaitingSavedShows();
}

void SavedShowStore::writeWaitingSavedShows() {
  // The list is a copy: its records share their data with the published ones and are never
  // changed, so the worker reads them without a lock.
  startWrite([shows = *std::exchange(savedShowsToStore_, std::nullopt), file = fileName_,
              format = defaults_.format()] {
    writeSavedShows(file, format, storedSavedShowsText(shows));
  });
}

void SavedShowStore::moveStoredSavedShows(const QString &text) {
  // The text moves as it is stored, read or not. The settings store lets go of it only once
  // the file of its own holds it, so a stop at any point leaves one whole copy. The settings
  // objects of one file share their state under one lock: what the GUI thread set meanwhile
  // is written with the removal.
  startWrite(
      [text, file = fileName_, settingsFile = defaults_.fileName(), format = defaults_.format()] {
        if (!writeSavedShows(file, format, text)) return;
        QSettings settings(settingsFile, format);
        settings.remove(savedShowsKey);
        settings.sync();
      });
}

void SavedShowStore::startWrite(std::function<void()> write) {
  auto promise = std::make_shared<QPromise<void>>();
  savedShowsWrite_ = std::make_unique<QFutureWatcher<void>>();
  QObject::connect(savedShowsWrite_.get(), &QFutureWatcherBase::finished, this, [this] {
    savedShowsWrite_.release()->deleteLater();  // released from its own signal
    if (savedShowsToStore_) writeWaitingSavedShows();
  });
  savedShowsWrite_->setFuture(promise->future());
  promise->start();
  QThreadPool::globalInstance()->start([promise, write = std::move(write)] {
    write();
    promise->finish();
  });
}

void SavedShowStore::storeWaitingSavedShowsNow() {
  if (savedShowsWrite_) {
    savedShowsWrite_->waitForFinished();
    savedShowsWrite_.reset();
  }
  if (savedShowsToStore_) {
    writeSavedShows(fileName_, defaults_.format(), storedSavedShowsText(*savedShowsToStore_));
    savedShowsToStore_.reset();
  }
}

QString SavedShowStore::showStorageKey(const QString &showIdentity, const QString &consoleAddress) {
  const QString joined = trimmedText((showIdentity + u'-' + consoleAddress).toLower());
  // Walked by code point, so a character outside the Basic Multilingual Plane becomes one
  // "-", not one for each of its two UTF-16 units.
  QString key;
  key.reserve(joined.size());
  for (qsizetype index = 0; index < joined.size();) {
    const QChar unit = joined.at(index);
    const bool isPair = unit.isHighSurrogate() && index + 1 < joined.size() &&
                        joined.at(index + 1).isLowSurrogate();
    const char32_t codePoint =
        isPair ? QChar::surrogateToUcs4(unit, joined.at(index + 1)) : unit.unicode();
    const qsizetype length = isPair ? 2 : 1;
    if (keepsInStorageKey(codePoint)) {
      key.append(joined.sliced(index, length));
    } else {
      key.append(u'-');
    }
    index += length;
  }
  return key;
}

}  // namespace tarnik
