#include "app/SavedShowStore.h"

#include "app/AppLogging.h"
#include "app/SavedShowOrder.h"
#include "foundation/BackgroundRelease.h"
#include "foundation/JsonCoding.h"
#include "foundation/TextRules.h"

#include <QChar>
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

// Replacing the whole settings file takes long for a large show, so the list is written from
// a worker through a settings object of its own on the same file. Every settings object of
// the process shares one state per file, which it changes and writes under one lock: the
// values set on the GUI thread meanwhile are written with the list, a read anywhere sees the
// new list once set, and the file is still replaced whole.
void writeSavedShows(const QString &file, QSettings::Format format, const QString &text) {
  QSettings writer(file, format);
  writer.setValue(savedShowsKey, text);
  writer.sync();
}

}  // namespace

SavedShowStore::SavedShowStore(QSettings &defaults, QObject *parent)
    : ObservableObject(parent), defaults_(defaults) {
  load();
}

SavedShowStore::~SavedShowStore() { storeWaitingSavedShowsNow(); }

void SavedShowStore::load() {
  if (!defaults_.contains(savedShowsKey)) return;
  // Unreadable snapshots are not worth a message: the next sync stores a fresh one over
  // them, and until then they stay as they were.
  QList<SavedShowFile> shows =
      decodeJsonText<QList<SavedShowFile>>(defaults_.value(savedShowsKey).toByteArray())
          .value_or(QList<SavedShowFile>());
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
  auto promise = std::make_shared<QPromise<void>>();
  savedShowsWrite_ = std::make_unique<QFutureWatcher<void>>();
  QObject::connect(savedShowsWrite_.get(), &QFutureWatcherBase::finished, this, [this] {
    savedShowsWrite_.release()->deleteLater();  // released from its own signal
    if (savedShowsToStore_) writeWaitingSavedShows();
  });
  savedShowsWrite_->setFuture(promise->future());
  promise->start();
  // The list is a copy: its records share their data with the published ones and are never
  // changed, so the worker reads them without a lock.
  QThreadPool::globalInstance()->start([promise,
                                        shows = *std::exchange(savedShowsToStore_, std::nullopt),
                                        file = defaults_.fileName(), format = defaults_.format()] {
    writeSavedShows(file, format, storedSavedShowsText(shows));
    promise->finish();
  });
}

void SavedShowStore::storeWaitingSavedShowsNow() {
  if (savedShowsWrite_) {
    savedShowsWrite_->waitForFinished();
    savedShowsWrite_.reset();
  }
  if (savedShowsToStore_) {
    defaults_.setValue(savedShowsKey, storedSavedShowsText(*savedShowsToStore_));
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
