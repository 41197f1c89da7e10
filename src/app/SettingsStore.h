#pragma once

#include "app/SettingsFileText.h"
#include "app/WholeFileWrite.h"
#include "foundation/ObservableObject.h"
#include "foundation/SerialWorker.h"

#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace tarnik {

// The program's settings: read once from their file at construction, then held here, on the
// GUI thread, and the file written whole by the program itself. Qt's own settings object
// puts a cut or empty file in place of the whole one on a full disk and reports success, and
// holds one lock across a whole write that the GUI thread would wait on; here the GUI thread
// reads and sets only its own values. A change is written from a copy of them on a thread of
// the store's own, one write at a time, each carrying every change made before it; a value
// set to what it already is changes nothing and writes nothing. A write that fails leaves
// the old file whole and the values here, is logged once under `tarnik.app` with its reason
// and published as `writeFailure` until a write succeeds, and is tried again at the next
// change or after `retryDelay`. At the store's end a change not yet on disk is tried once
// more, for at most `endWait`: a disk that hangs must not hold the program's end.
class SettingsStore final : public ObservableObject {
  Q_OBJECT

 public:
  // Writes the file's whole content; tests record or fail it.
  using FileWriter = std::function<FileWriteResult(const QString &fileName, const QByteArray &)>;
  struct Options {
    std::chrono::milliseconds retryDelay = std::chrono::seconds(10);
    std::chrono::milliseconds endWait = std::chrono::seconds(10);
    FileWriter writeFile{};  // none: writeFileWhole
  };

  explicit SettingsStore(QString fileName, Options options, QObject *parent = nullptr);
  explicit SettingsStore(QString fileName) : SettingsStore(std::move(fileName), Options{}) {}
  ~SettingsStore() override;

  // The program's own file, where a settings object of organisation "quellmoor" and
  // application "Tarnik" keeps it.
  static QString applicationFileName();

  const QString &fileName() const { return fileName_; }
  bool contains(const QString &key) const { return values_.contains(key); }
  QVariant value(const QString &key) const { return values_.value(key); }
  QStringList allKeys() const { return values_.keys(); }
  void setValue(const QString &key, const QVariant &value);
  void remove(const QString &key);

  // Published values
  // Why the settings could not be written, while the file does not hold them.
  const std::optional<QString> &writeFailure() const { return writeFailure_; }

 signals:
  void writeFailureChanged(const std::optional<QString> &value);

 private:
  struct Write;

  void changed();
  void startWrite();
  void finishWrite(const std::shared_ptr<Write> &write);
  // Waits for the write under way, then tries what it left once more, until the deadline.
  void finishWritesBefore(std::chrono::steady_clock::time_point deadline);

  const QString fileName_;
  const Options options_;
  SettingsValues values_;
  quint64 revision_ = 0;         // counts the changes
  quint64 writtenRevision_ = 0;  // what the file holds
  std::shared_ptr<Write> running_;
  QTimer retry_;  // runs only while no write runs and the file lacks a change
  std::optional<QString> writeFailure_;
  // Last, so it goes first: a write that has not begun is dropped, the one under way ends
  // on what it holds itself.
  SerialWorker thread_;
};

}  // namespace tarnik
