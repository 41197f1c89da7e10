#pragma once

#include "app/SettingsFileUpdate.h"
#include "foundation/ObservableObject.h"
#include "foundation/SerialWorker.h"

#include <QStringList>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>

namespace tarnik {

// The program's settings: read from their file at construction, then held here, on the GUI
// thread, and the file written by the program itself. Qt's own settings object puts a cut or
// empty file in place of the whole one on a full disk and reports success, and does not read
// a file again that another copy replaced with one of the same size within a tick of the
// clock; here the GUI thread reads and sets only its own values.
//
// A change is written on a thread of the store's own, one write at a time, each carrying
// every change made before it: under the lock Qt's settings object takes beside the file,
// the file is read as it is then and only the keys this copy set or removed since its last
// write are laid over it, so what another copy or an earlier version wrote stays, and
// becomes this copy's own for the keys it has not changed since. A list of records is changed
// record by record (`changeRecords`), so a record another copy saved stays beside this one's.
// Every set or removal counts, as another copy may have changed the key since this one read
// it; a pass whose file already holds what it would write writes nothing.
//
// A file that exists but cannot be read is never written over: the values stay in memory,
// and a file that could not be read at the start is read again every `retryDelay`; once it
// can be, its values replace those the program made up without it (`valuesReplaced`) and
// writes go on from it, the records saved meanwhile laid over its list once the program has
// taken the file as a start takes it, at the store's end too. After every other pass, the values
// held are the file's as the pass left it, with this copy's changes made since laid over it
// (`valuesRead`). A write that fails leaves the old file whole and the values here; a failure is
// logged once under `tarnik.app` with its reason and published as `fileFailure` until a pass
// succeeds, and tried again at the next change, after `retryDelay`, or, on a full disk, once the
// disk has room again. At the store's end a change not yet on disk is tried once more, for at most
// `endWait`, and one still not written is logged.
//
// Keys the file holds for no copy of the program come from the fallback files, which are
// read at construction only and never written, as a settings object reads the system-wide
// files; records changed in a list the file lacks go into the fallbacks' list.
class SettingsStore final : public ObservableObject {
  Q_OBJECT

 public:
  using FileWriter = SettingsFileUpdate::FileWriter;
  struct Options {
    std::chrono::milliseconds retryDelay = std::chrono::seconds(10);
    std::chrono::milliseconds endWait = std::chrono::seconds(10);
    std::chrono::milliseconds lockWait = std::chrono::seconds(5);
    QStringList fallbackFiles{};  // most telling first
    FileWriter writeFile{};       // none: writeFileWhole
  };

  explicit SettingsStore(QString fileName, Options options, QObject *parent = nullptr);
  explicit SettingsStore(QString fileName) : SettingsStore(std::move(fileName), Options{}) {}
  ~SettingsStore() override;

  // The program's own file, where a settings object of organisation "quellmoor" and
  // application "Tarnik" keeps it, and the files such an object falls back on, in its order.
  static QString applicationFileName();
  static QStringList applicationFallbackFileNames();

  const QString &fileName() const { return fileName_; }
  const Options &options() const { return options_; }
  bool contains(const QString &key) const;
  QVariant value(const QString &key) const;
  QStringList allKeys() const;
  // Whose set it is: a person's counts even when it repeats the value held, as another copy
  // may have changed the key since this one read it; the program putting back at its start
  // what it has just read changes nothing.
  enum class SetBy { person, start };
  void setValue(const QString &key, const QVariant &value, SetBy by = SetBy::person);
  void remove(const QString &key);
  // Changes these records of the list kept under `key`, and no other. `shown` is the whole
  // list as the person sees it, these records in it: it takes the place of a list that
  // cannot be read, whose text is kept aside (`listSetAside`).
  void changeRecords(const QString &key, const SettingsRecordList &list,
                     QList<SettingsRecord> records, QJsonArray shown = {});
  // The file could not be read when the store began, nor since: what is held was made
  // without it, and gives way to it once it can be read.
  bool isFileUnreadSinceStart() const { return unreadSinceStart_; }

  // Published values
  // Why the file does not hold the settings, while it does not.
  const std::optional<SettingsFileFailure> &fileFailure() const { return fileFailure_; }
  // A pass over the file runs.
  bool isWriting() const { return isWriting_; }

 signals:
  void fileFailureChanged(const std::optional<tarnik::SettingsFileFailure> &value);
  void isWritingChanged(bool value);
  // The file, which could not be read at the start, could be read: its values replace the
  // ones the program held.
  void valuesReplaced();
  // A pass read the file: the values held are the file's, with this copy's changes since.
  void valuesRead();
  // A pass found the list under `key` unreadable and kept its text under `asideKey`.
  void listSetAside(const QString &key, const QString &asideKey);

 private:
  struct Write;

  void changed(const QString &key, const SettingsChange &change);
  void startWrite(bool onlyWithRoom);
  void finishWrite(const std::shared_ptr<Write> &write);
  // Takes in a pass's outcome, whichever way it ends.
  void takeOutcome(const Write &write);
  // Waits for the write under way, then tries what it left once more, until the deadline.
  void finishWritesBefore(std::chrono::steady_clock::time_point deadline);
  // The keys, and records, of the changes not yet in the file, for the log.
  QString unwrittenChanges() const;

  const QString fileName_;
  const Options options_;
  SettingsValues values_;     // the file as this copy last read it, with its own changes
  SettingsValues fallbacks_;  // never written
  // This copy's changes not yet in the file, each with the count it was made at.
  struct Change {
    SettingsChange change;
    quint64 revision = 0;
  };
  QMap<QString, Change> changes_;
  quint64 revision_ = 0;              // counts the changes
  bool unreadSinceStart_ = false;     // the file could not be read when the store began
  std::optional<qint64> roomNeeded_;  // by the content a full disk refused
  std::shared_ptr<Write> running_;
  QTimer retry_;  // runs only while no write runs and the file lacks what is here
  std::optional<SettingsFileFailure> fileFailure_;
  bool isWriting_ = false;
  // Last, so it goes first: a write that has not begun is dropped, the one under way ends
  // on what it holds itself.
  SerialWorker thread_;
};

}  // namespace tarnik
