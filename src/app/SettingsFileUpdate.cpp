#include "app/SettingsFileUpdate.h"

#include "app/FileLock.h"
#include "app/WholeFileRead.h"

namespace tarnik {

SettingsFileUpdate::Outcome SettingsFileUpdate::run() const {
  Outcome outcome;
  if (roomNeeded && freeRoomBeside(fileName) < *roomNeeded) {
    outcome.waitedForRoom = true;
    outcome.contentSize = *roomNeeded;
    return outcome;
  }
  const FileLock lock(fileName, lockWait);
  if (lock.failure()) {
    outcome.failure = SettingsFileFailure{SettingsFileFailure::Step::write, *lock.failure()};
    return outcome;
  }
  const FileReadResult read = readFileWhole(fileName);
  if (!read) {
    outcome.failure =
        SettingsFileFailure{changesMadeWithoutTheFile ? SettingsFileFailure::Step::read
                                                      : SettingsFileFailure::Step::readAgain,
                            read.error()};
    return outcome;
  }
  SettingsValues values = *read ? settingsFromFileContent(**read) : SettingsValues();
  if (changesMadeWithoutTheFile || changes.isEmpty()) {
    outcome.changesLaid = !changesMadeWithoutTheFile;
    outcome.fileValues = std::move(values);
    return outcome;
  }
  QList<SettingsListSetAside> setAside = layOver(values, fallbacks, changes);
  const QByteArray content = settingsFileContent(values);
  outcome.contentSize = content.size();
  // A file that holds these bytes already is not written again.
  if (!*read || **read != content) {
    const FileWriteResult written =
        writeFile ? writeFile(fileName, content) : writeFileWhole(fileName, content);
    if (!written) {
      outcome.failure = SettingsFileFailure{SettingsFileFailure::Step::write, written.error()};
      return outcome;
    }
  }
  outcome.fileValues = std::move(values);
  outcome.changesLaid = true;
  outcome.setAside = std::move(setAside);
  return outcome;
}

}  // namespace tarnik
