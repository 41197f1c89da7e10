#include "app/SavedShowStore.h"

#include "app/AppLogging.h"
#include "app/FileLock.h"
#include "app/SavedShowOrder.h"
#include "app/SettingsFileText.h"
#include "app/WholeFileRead.h"
#include "app/WholeFileWrite.h"
#include "foundation/BackgroundRelease.h"
#include "foundation/BackgroundWork.h"
#include "foundation/JsonCoding.h"
#include "foundation/TextRules.h"

#include <QChar>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <future>

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
QByteArray storedSavedShowsText(QList<SavedShowFile> shows) {
  std::expected<QByteArray, JsonError> text = encodeSavedShows(shows);
  if (!text) {
    const qsizetype count = shows.size();
    shows.removeIf([](const SavedShowFile &show) { return !encodeSavedShows({show}); });
    qCWarning(tarnikApp).noquote()
        << "left out" << count - shows.size()
        << "saved show(s) that cannot be stored:" << text.error().description();
    text = encodeSavedShows(shows);
  }
  return std::move(*text);
}

std::optional<QString> storedText(const SettingsValues &file) {
  if (!file.contains(savedShowsKey)) return std::nullopt;
  return file.value(savedShowsKey).toString();
}

std::optional<QList<SavedShowFile>> decodedSavedShows(const std::optional<QString> &text) {
  if (!text) return std::nullopt;
  std::expected<QList<SavedShowFile>, JsonError> shows =
      decodeJsonText<QList<SavedShowFile>>(text->toUtf8());
  if (!shows) return std::nullopt;
  return std::move(*shows);
}

// The list the file holds when it holds one this version reads; why not, when the file is
// there but cannot be read.
using ListOnDisk = std::expected<std::optional<QList<SavedShowFile>>, QString>;
ListOnDisk savedShowsOnDisk(const QString &file) {
  const FileReadResult read = readFileWhole(file);
  if (!read) return std::unexpected(u"it could not be read: "_s + read.error());
  if (!*read) return std::nullopt;
  return decodedSavedShows(storedText(settingsFromFileContent(**read)));
}

// Replacing the snapshots' file takes long for a large show, so the list is written from a
// worker, under the file's lock, as `text` makes it of the list the file holds then; nothing
// is written when it makes nothing.
using SavedShowsText =
    std::function<std::optional<QByteArray>(const std::optional<QList<SavedShowFile>> &onDisk)>;
bool writeSavedShows(const QString &file, std::chrono::milliseconds lockWait,
                     const SettingsStore::FileWriter &writeFile, const SavedShowsText &text) {
  const FileLock lock(file, lockWait);
  const ListOnDisk onDisk =
      lock.failure() ? ListOnDisk(std::unexpected(*lock.failure())) : savedShowsOnDisk(file);
  FileWriteResult written = onDisk ? FileWriteResult() : std::unexpected(onDisk.error());
  if (onDisk) {
    if (const std::optional<QByteArray> content = text(*onDisk)) {
      const QByteArray fileContent = savedShowsFileContent(savedShowsKey, *content);
      written = writeFile ? writeFile(file, fileContent) : writeFileWhole(file, fileContent);
    }
  }
  if (written) return true;
  qCWarning(tarnikApp).noquote() << "the saved shows could not be written to" << file << ":"
                                 << written.error() << ": the file stays as it was";
  return false;
}

// Adds the settings store's shows to the file's, per show the snapshot saved later (the
// file's on a tie). True when the settings store's list gave anything.
bool mergeSavedShows(QList<SavedShowFile> &shows, const QList<SavedShowFile> &fromSettings) {
  bool changed = false;
  for (const SavedShowFile &show : fromSettings) {
    const auto kept = std::ranges::find(shows, show.storageKey, &SavedShowFile::storageKey);
    if (kept == shows.end()) {
      shows.append(show);
    } else if (show.savedAt > kept->savedAt) {
      *kept = show;
    } else {
      continue;
    }
    changed = true;
  }
  return changed;
}

}  // namespace

QString SavedShowStore::savedShowsFileName(const QString &settingsFileName) {
  const QFileInfo settingsFile(settingsFileName);
  const QString suffix = settingsFile.suffix();
  return settingsFile.dir().filePath(settingsFile.completeBaseName() + u'.' + savedShowsKey +
                                     (suffix.isEmpty() ? QString() : u'.' + suffix));
}

SavedShowStore::SavedShowStore(SettingsStore &settings, SettingsStore::FileWriter writeFile,
                               QObject *parent)
    : ObservableObject(parent),
      settings_(settings),
      fileName_(savedShowsFileName(settings.fileName())),
      writeFile_(std::move(writeFile)) {
  load();
}

// One write of the list's file: what follows it on this thread, and its outcome once the
// file writes' thread has run it.
struct SavedShowStore::Write {
  std::function<void(bool written)> then;
  std::promise<bool> outcome;
  std::shared_future<bool> result = outcome.get_future().share();
};

SavedShowStore::~SavedShowStore() {
  finishWritesBefore(std::chrono::steady_clock::now() + settings_.options().endWait);
}

void SavedShowStore::load() {
  const FileReadResult read = readFileWhole(fileName_);
  const std::optional<QString> ownText =
      read && *read ? storedText(settingsFromFileContent(**read)) : std::nullopt;
  const std::optional<QString> settingsText =
      settings_.contains(savedShowsKey)
          ? std::optional<QString>(settings_.value(savedShowsKey).toString())
          : std::nullopt;
  if (!read) {
    // Nothing moves into a file that cannot be read, nor replaces it.
    qCWarning(tarnikApp).noquote()
        << "the saved shows in" << fileName_ << "cannot be read:" << read.error()
        << ": the file stays as it is";
    QList<SavedShowFile> kept = decodedSavedShows(settingsText).value_or(QList<SavedShowFile>());
    sortSavedShowsNewestFirst(kept);
    publish(savedShowFiles_, std::move(kept), &SavedShowStore::savedShowFilesChanged);
    return;
  }
  if (!ownText && !settingsText) return;
  // Unreadable snapshots in the list's own file are not worth a message: the next sync stores
  // a fresh one over them, and until then they stay as they were.
  std::optional<QList<SavedShowFile>> shows = decodedSavedShows(ownText);
  if (settingsText) {
    std::optional<QList<SavedShowFile>> kept = decodedSavedShows(settingsText);
    if (!ownText) {
      // The text moves as it is stored, read or not.
      shows = std::move(kept);
      moveStoredSavedShows(
          [text = *settingsText]() -> std::optional<QByteArray> { return text.toUtf8(); });
    } else if (shows && kept) {
      // An earlier version ran after the move: per show, the later snapshot stays.
      if (mergeSavedShows(*shows, *kept)) {
        sortSavedShowsNewestFirst(*shows);
        moveStoredSavedShows([merged = *shows]() -> std::optional<QByteArray> {
          return storedSavedShowsText(merged);
        });
      } else {
        moveStoredSavedShows([] { return std::optional<QByteArray>(); });  // the file has all
      }
    } else {
      // Two lists that cannot be merged: neither is given up for the other, and the settings
      // store keeps its copy.
      if (kept) {
        qCWarning(tarnikApp).noquote()
            << "the saved shows in" << fileName_ << "cannot be read: those kept in"
            << settings_.fileName() << "stay there";
        shows = std::move(kept);
      } else {
        qCWarning(tarnikApp).noquote() << "the saved shows kept in" << settings_.fileName()
                                       << "cannot be read: they stay there beside" << fileName_;
      }
    }
  }
  QList<SavedShowFile> published = std::move(shows).value_or(QList<SavedShowFile>());
  sortSavedShowsNewestFirst(published);
  publish(savedShowFiles_, std::move(published), &SavedShowStore::savedShowFilesChanged);
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
  startWaitingWrite();
}

void SavedShowStore::startWaitingWrite() {
  if (running_ || !savedShowsToStore_) return;
  // The list is a copy: its records share their data with the published ones and are never
  // changed, so the worker reads them without a lock. Snapshots another copy stored in the
  // file meanwhile stay beside this one's, per show the later.
  startWrite(
      [shows = *std::exchange(savedShowsToStore_, std::nullopt), file = fileName_,
       lockWait = settings_.options().lockWait, writeFile = writeFile_] {
        return writeSavedShows(file, lockWait, writeFile,
                               [&](const std::optional<QList<SavedShowFile>> &onDisk) {
                                 QList<SavedShowFile> merged = shows;
                                 if (onDisk && mergeSavedShows(merged, *onDisk))
                                   sortSavedShowsNewestFirst(merged);
                                 return std::optional(storedSavedShowsText(std::move(merged)));
                               });
      },
      [this](bool written) { emit savedShowsWritten(written); });
}

void SavedShowStore::moveStoredSavedShows(std::function<std::optional<QByteArray>()> newFileText) {
  // The settings let go of the list only once the file of its own holds it, so a stop at any
  // point leaves one whole copy: the settings file is then written whole without it.
  startWrite(
      [newFileText = std::move(newFileText), file = fileName_, settingsFile = settings_.fileName(),
       lockWait = settings_.options().lockWait, writeFile = writeFile_] {
        const bool written =
            writeSavedShows(file, lockWait, writeFile, [&](const auto &) { return newFileText(); });
        if (!written) {
          qCWarning(tarnikApp).noquote() << "the saved shows kept in" << settingsFile
                                         << "stay there until" << file << "can be written";
        }
        return written;
      },
      [this](bool written) {
        if (written) settings_.remove(savedShowsKey);
      });
}

void SavedShowStore::startWrite(std::function<bool()> write, std::function<void(bool)> then) {
  auto running = std::make_shared<Write>();
  running->then = std::move(then);
  running_ = running;
  fileWriteThread().start(handedBack(
      this,
      [running, write = std::move(write)] {
        running->outcome.set_value(write());
        return running;
      },
      [this](const std::shared_ptr<Write> &written) { finishWrite(written); }));
}

void SavedShowStore::finishWrite(const std::shared_ptr<Write> &write) {
  running_.reset();
  write->then(write->result.get());
  startWaitingWrite();
}

void SavedShowStore::finishWritesBefore(std::chrono::steady_clock::time_point deadline) {
  // The write under way, the steps after it, a move's included, and what still waits end here,
  // unless the disk holds them past the deadline.
  while (running_) {
    if (running_->result.wait_until(deadline) != std::future_status::ready) {
      qCWarning(tarnikApp).noquote()
          << "the saved shows were still being written to" << fileName_ << "after"
          << std::chrono::duration_cast<std::chrono::seconds>(settings_.options().endWait).count()
          << "s: a snapshot not yet written is lost";
      return;
    }
    const std::shared_ptr<Write> write = running_;
    finishWrite(write);
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
