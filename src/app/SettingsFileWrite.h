#pragma once

#include <QSettings>
#include <QString>

namespace tarnik {

// Writes a settings file from a worker thread, through a settings object of its own: the
// settings objects of one file in this process share what they hold, so the write carries
// what the GUI thread's object set. A change the GUI thread made while the file was written
// is written next, until a write finds nothing new, so that the GUI thread's own next write
// finds nothing to write. False, logged under `tarnik.app`, when the settings object reports
// a failure.
bool writeSettingsFile(const QString &fileName, QSettings::Format format);

// Whether the file, read afresh from the disk, holds what the settings objects of this
// process hold for it: a settings object reports success after a write that stopped short.
bool settingsFileIsWhole(const QString &fileName, QSettings::Format format);

}  // namespace tarnik
