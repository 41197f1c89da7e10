#include "app/SettingsStore.h"

#include "app/AppLogging.h"
#include "app/WholeFileRead.h"
#include "foundation/BackgroundRelease.h"
#include "foundation/BackgroundWork.h"

#include <QStandardPaths>

#include <algorithm>
#include <future>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

// How a failure's step is told in the log, as the connection page tells it.
QString failedTo(SettingsFileFailure::Step step) {
  return step == SettingsFileFailure::Step::write ? u"written to"_s : u"read from"_s;
}

}  // namespace

// One pass over the file: the changes as they were when it started, the count of the last of
// them, and its outcome once the store's thread has run it.
struct SettingsStore::Write {
  SettingsFileUpdate update;
  quint64 revision = 0;
  std::promise<SettingsFileUpdate::Outcome> outcome;
  std::shared_future<SettingsFileUpdate::Outcome> result = outcome.get_future().share();
};

SettingsStore::SettingsStore(QString fileName, Options options, QObject *parent)
    : ObservableObject(parent), fileName_(std::move(fileName)), options_(std::move(options)) {
  if (const FileReadResult read = readFileWhole(fileName_); !read) {
    unreadSinceStart_ = true;
    fileFailure_ = SettingsFileFailure{SettingsFileFailure::Step::read, read.error()};
    qCWarning(tarnikApp).noquote()
        << "the settings in" << fileName_ << "could not be read:" << read.error()
        << ": the file is left as it is, and changes last only while "
           "the program runs";
  } else if (*read) {
    values_ = settingsFromFileContent(**read);
  }
  // A key goes to the first fallback that holds it.
  for (const QString &fallback : options_.fallbackFiles) {
    const FileReadResult read = readFileWhole(fallback);
    if (!read) {
      qCWarning(tarnikApp).noquote()
          << "the settings in" << fallback << "could not be read:" << read.error();
    } else if (*read) {
      const SettingsValues values = settingsFromFileContent(**read);
      for (auto value = values.cbegin(); value != values.cend(); ++value) {
        if (!fallbacks_.contains(value.key())) fallbacks_.insert(value.key(), value.value());
      }
    }
  }
  retry_.setSingleShot(true);
  retry_.setInterval(options_.retryDelay);
  QObject::connect(&retry_, &QTimer::timeout, this, [this] {
    startWrite(true);
    publish(isWriting_, true, &SettingsStore::isWritingChanged);
  });
  // A file that could not be read is read again until it can be.
  if (unreadSinceStart_) retry_.start();
}

SettingsStore::~SettingsStore() {
  finishWritesBefore(std::chrono::steady_clock::now() + options_.endWait);
}

QString SettingsStore::applicationFileName() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         u"/quellmoor/Tarnik.conf"_s;
}

QStringList SettingsStore::applicationFallbackFileNames() {
  // The user's file for the whole organisation, then in each of the system's folders the
  // application's, then in each the organisation's.
  QStringList systemFolders =
      QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
  if (!systemFolders.isEmpty()) systemFolders.removeFirst();  // the user's own
  QStringList files{QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                    u"/quellmoor.conf"_s};
  for (const QString &folder : systemFolders) files.append(folder + u"/quellmoor/Tarnik.conf"_s);
  for (const QString &folder : systemFolders) files.append(folder + u"/quellmoor.conf"_s);
  return files;
}

bool SettingsStore::contains(const QString &key) const {
  const QString normalized = normalizedSettingsKey(key);
  return values_.contains(normalized) || fallbacks_.contains(normalized);
}

QVariant SettingsStore::value(const QString &key) const {
  const QString normalized = normalizedSettingsKey(key);
  const auto held = values_.constFind(normalized);
  return held != values_.cend() ? *held : fallbacks_.value(normalized);
}

QStringList SettingsStore::allKeys() const {
  QStringList keys = values_.keys();
  for (const QString &key : fallbacks_.keys()) {
    if (!values_.contains(key)) keys.append(key);
  }
  std::ranges::sort(keys);
  return keys;
}

void SettingsStore::setValue(const QString &key, const QVariant &value, SetBy by) {
  const QString normalized = normalizedSettingsKey(key);
  if (normalized.isEmpty()) {
    qCWarning(tarnikApp) << "a setting without a key is not stored";
    return;
  }
  // What the start puts back as it read it is none. Another copy may have changed the key
  // since this one read it, so of a person's sets only a repeat of this copy's own change
  // still to be written is none; and a fallback's value stays out of the file that lacks it.
  if (by == SetBy::start && sameSettingsValue(this->value(normalized), value)) return;
  const auto pending = changes_.constFind(normalized);
  if (pending != changes_.cend()
          ? pending->change.records.isEmpty() && pending->change.value &&
                sameSettingsValue(*pending->change.value, value)
          : !values_.contains(normalized) && fallbacks_.contains(normalized) &&
                sameSettingsValue(fallbacks_.value(normalized), value)) {
    return;
  }
  values_.insert(normalized, value);
  changed(normalized, {.value = value});
}

void SettingsStore::remove(const QString &key) {
  const QString normalized = normalizedSettingsKey(key);
  if (normalized.isEmpty()) return;
  const auto pending = changes_.constFind(normalized);
  if (pending != changes_.cend() && pending->change.replacesValue && !pending->change.value &&
      pending->change.records.isEmpty()) {
    return;
  }
  values_.remove(normalized);
  changed(normalized, {.value = std::nullopt});
}

void SettingsStore::changeRecords(const QString &key, const SettingsRecordList &list,
                                  QList<SettingsRecord> records, QJsonArray shown) {
  const QString normalized = normalizedSettingsKey(key);
  if (normalized.isEmpty() || records.isEmpty()) return;
  const SettingsChange change{.replacesValue = false,
                              .list = list,
                              .records = std::move(records),
                              .shown = std::move(shown)};
  layOver(values_, fallbacks_, normalized, change);
  changed(normalized, change);
}

void SettingsStore::changed(const QString &key, const SettingsChange &change) {
  if (const auto held = changes_.find(key); held != changes_.end()) {
    held->change.add(change);
    held->revision = ++revision_;
  } else {
    changes_.insert(key, {change, ++revision_});
  }
  // A write under way carries on; what changed since follows once it ends.
  if (running_) return;
  startWrite(false);
  publish(isWriting_, true, &SettingsStore::isWritingChanged);
}

void SettingsStore::startWrite(bool onlyWithRoom) {
  Q_ASSERT(!running_);  // one pass at a time
  retry_.stop();
  auto write = std::make_shared<Write>();
  write->revision = revision_;
  write->update = {.fileName = fileName_,
                   .changes = {},
                   .fallbacks = fallbacks_,
                   .changesMadeWithoutTheFile = unreadSinceStart_,
                   .roomNeeded = onlyWithRoom ? roomNeeded_ : std::nullopt,
                   .lockWait = options_.lockWait,
                   .writeFile = options_.writeFile};
  // The values share their data with the store's, which are never changed in place.
  for (auto change = changes_.cbegin(); change != changes_.cend(); ++change) {
    write->update.changes.insert(change.key(), change->change);
  }
  running_ = write;
  thread_.start(handedBack(
      this,
      [write] {
        write->outcome.set_value(write->update.run());
        // A large value the store has let go of goes here, not on the GUI thread.
        write->update.changes = {};
        return write;
      },
      [this](const std::shared_ptr<Write> &written) { finishWrite(written); }));
}

void SettingsStore::finishWrite(const std::shared_ptr<Write> &write) {
  running_.reset();
  takeOutcome(*write);
  // What the outcome told may have changed a setting, which started the next pass itself.
  if (!running_) {
    if (std::ranges::any_of(
            changes_, [&](const Change &change) { return change.revision > write->revision; })) {
      startWrite(false);
    } else if (fileFailure_) {
      // A full disk is not tried again at once and again: a change, room, or a while first.
      retry_.start();
    }
  }
  publish(isWriting_, running_ != nullptr, &SettingsStore::isWritingChanged);
}

void SettingsStore::takeOutcome(const Write &write) {
  const SettingsFileUpdate::Outcome &outcome = write.result.get();
  if (outcome.waitedForRoom) return;  // the disk is still full: nothing new to tell
  if (!outcome.fileValues) {
    const SettingsFileFailure &failure = *outcome.failure;
    roomNeeded_ = failure.step == SettingsFileFailure::Step::write && outcome.contentSize > 0
                      ? std::optional(outcome.contentSize)
                      : std::nullopt;
    if (fileFailure_ == failure) return;
    qCWarning(tarnikApp).noquote()
        << "the settings could not be" << failedTo(failure.step) << fileName_ << ":"
        << failure.reason << ": the file stays as it was";
    publish(fileFailure_, failure, &SettingsStore::fileFailureChanged);
    return;
  }
  // The file as it now is becomes this copy's, with what it changed since the pass began:
  // what the pass carried is in it. Every change held when the file, unread since the
  // start, can be read was made without it, even one made while this pass ran: all go, but
  // for the records the person saved, which go into the file's list below.
  SettingsChanges savedWithoutTheFile;
  if (outcome.changesLaid) {
    changes_.removeIf([&](const auto &change) { return change->revision <= write.revision; });
  } else {
    for (auto change = changes_.cbegin(); change != changes_.cend(); ++change) {
      if (change->change.records.isEmpty()) continue;
      // The list shown then was made up without the file: it is not the person's.
      savedWithoutTheFile.insert(
          change.key(),
          {.replacesValue = false, .list = change->change.list, .records = change->change.records});
    }
    changes_.clear();
  }
  SettingsValues values = *outcome.fileValues;
  for (auto change = changes_.cbegin(); change != changes_.cend(); ++change) {
    layOver(values, fallbacks_, change.key(), change->change);
  }
  releaseInBackground(std::exchange(values_, std::move(values)));
  roomNeeded_.reset();
  unreadSinceStart_ = false;
  if (!outcome.changesLaid) {
    qCInfo(tarnikApp).noquote() << "the settings in" << fileName_
                                << "can be read again: the program takes them as they are";
  } else if (fileFailure_) {
    qCInfo(tarnikApp).noquote() << "the settings are written to" << fileName_ << "again";
  }
  if (fileFailure_) publish(fileFailure_, std::nullopt, &SettingsStore::fileFailureChanged);
  for (const SettingsListSetAside &setAside : outcome.setAside) {
    qCWarning(tarnikApp).noquote()
        << "the list under" << setAside.key << "in" << fileName_
        << "could not be read: its text is kept under" << setAside.asideKey;
    emit listSetAside(setAside.key, setAside.asideKey);
  }
  if (outcome.changesLaid) {
    emit valuesRead();
    return;
  }
  // The program takes the file as a start takes it, then what the person saved joins it, as
  // any save does; with no program left to take it (the store's end), it joins it all the same.
  emit valuesReplaced();
  if (savedWithoutTheFile.isEmpty()) return;
  for (auto change = savedWithoutTheFile.cbegin(); change != savedWithoutTheFile.cend(); ++change) {
    changeRecords(change.key(), change->list, change->records);
  }
  emit valuesRead();
}

void SettingsStore::finishWritesBefore(std::chrono::steady_clock::time_point deadline) {
  for (bool triedAgain = false;; triedAgain = true) {
    if (running_) {
      if (running_->result.wait_until(deadline) != std::future_status::ready) {
        qCWarning(tarnikApp).noquote()
            << "the settings were still being written to" << fileName_ << "after"
            << std::chrono::duration_cast<std::chrono::seconds>(options_.endWait).count()
            << "s: changes not yet written are lost:" << unwrittenChanges();
        return;
      }
      takeOutcome(*std::exchange(running_, nullptr));
    }
    if (changes_.isEmpty()) return;
    // What the outcome told may have started the next pass itself.
    if (running_) continue;
    if (triedAgain) {
      qCWarning(tarnikApp).noquote()
          << "the settings could not be"
          << failedTo(fileFailure_ ? fileFailure_->step : SettingsFileFailure::Step::write)
          << fileName_ << ":" << (fileFailure_ ? fileFailure_->reason : u"the disk has no room"_s)
          << ": changes not yet written are lost:" << unwrittenChanges();
      return;
    }
    startWrite(false);
  }
}

QString SettingsStore::unwrittenChanges() const {
  QStringList named;
  for (auto change = changes_.cbegin(); change != changes_.cend(); ++change) {
    if (change->change.replacesValue) named.append(change.key());
    for (const SettingsRecord &record : change->change.records) {
      named.append(change.key() + u'[' + record.id + u']');
    }
  }
  return named.join(u", "_s);
}

}  // namespace tarnik
