#include "app/SettingsStore.h"

#include "app/AppLogging.h"
#include "foundation/BackgroundWork.h"

#include <QSettings>
#include <QStandardPaths>

#include <future>

using namespace Qt::StringLiterals;

namespace tarnik {

// One write: the values as they were when it started, and its outcome once the store's
// thread has written them.
struct SettingsStore::Write {
  SettingsValues values;
  quint64 revision = 0;
  std::promise<FileWriteResult> outcome;
  std::shared_future<FileWriteResult> result = outcome.get_future().share();
};

SettingsStore::SettingsStore(QString fileName, Options options, QObject *parent)
    : ObservableObject(parent), fileName_(std::move(fileName)), options_(std::move(options)) {
  // Qt's settings object reads the file, as it always has; it never writes it.
  const QSettings file(fileName_, QSettings::IniFormat);
  for (const QString &key : file.allKeys()) values_.insert(key, file.value(key));
  if (file.status() != QSettings::NoError) {
    qCWarning(tarnikApp).noquote() << "the settings in" << fileName_ << "could not all be read";
  }
  retry_.setSingleShot(true);
  retry_.setInterval(options_.retryDelay);
  QObject::connect(&retry_, &QTimer::timeout, this, &SettingsStore::startWrite);
}

SettingsStore::~SettingsStore() {
  finishWritesBefore(std::chrono::steady_clock::now() + options_.endWait);
}

QString SettingsStore::applicationFileName() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         u"/quellmoor/Tarnik.conf"_s;
}

void SettingsStore::setValue(const QString &key, const QVariant &value) {
  const auto held = values_.constFind(key);
  if (held != values_.cend() && *held == value && held->metaType() == value.metaType()) return;
  values_.insert(key, value);
  changed();
}

void SettingsStore::remove(const QString &key) {
  if (values_.remove(key) > 0) changed();
}

void SettingsStore::changed() {
  ++revision_;
  // A write under way carries on; what changed since follows once it ends.
  if (!running_) startWrite();
}

void SettingsStore::startWrite() {
  retry_.stop();
  auto write = std::make_shared<Write>();
  write->values = values_;  // shares its data with the store's, never changed on the thread
  write->revision = revision_;
  running_ = write;
  thread_.start(handedBack(
      this,
      [write, file = fileName_, writeFile = options_.writeFile] {
        const QByteArray content = settingsFileContent(write->values);
        // A list the settings held may be large: if the store has let go of it, it goes here.
        write->values = {};
        write->outcome.set_value(writeFile ? writeFile(file, content)
                                           : writeFileWhole(file, content));
        return write;
      },
      [this](const std::shared_ptr<Write> &written) { finishWrite(written); }));
}

void SettingsStore::finishWrite(const std::shared_ptr<Write> &write) {
  running_.reset();
  const FileWriteResult &result = write->result.get();
  if (result) {
    writtenRevision_ = write->revision;
    if (writeFailure_) {
      qCInfo(tarnikApp).noquote() << "the settings are written to" << fileName_ << "again";
      publish(writeFailure_, std::nullopt, &SettingsStore::writeFailureChanged);
    }
  } else if (writeFailure_ != result.error()) {
    qCWarning(tarnikApp).noquote() << "the settings could not be written to" << fileName_ << ":"
                                   << result.error() << ": the file stays as it was";
    publish(writeFailure_, result.error(), &SettingsStore::writeFailureChanged);
  }
  if (revision_ != write->revision) {
    startWrite();
  } else if (!result) {
    // A full disk is not tried again at once and again: a change, or a while, comes first.
    retry_.start();
  }
}

void SettingsStore::finishWritesBefore(std::chrono::steady_clock::time_point deadline) {
  for (bool triedAgain = false;; triedAgain = true) {
    if (running_) {
      if (running_->result.wait_until(deadline) != std::future_status::ready) return;
      if (running_->result.get()) writtenRevision_ = running_->revision;
      running_.reset();
    }
    if (writtenRevision_ == revision_ || triedAgain) return;
    startWrite();
  }
}

}  // namespace tarnik
