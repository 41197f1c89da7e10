#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QMap>
#include <QString>
#include <QVariant>

namespace tarnik {

// The settings file and the snapshots' own file are in the INI form a settings object
// writes, so that earlier versions of the program read them as before and this one reads
// theirs. A settings object's own write reports success after a write that stopped short on
// a full disk and puts the cut file in place of the whole one, so the program writes both
// files itself (`writeFileWhole`) from the text made here, byte for byte the text a settings
// object writes for the same values.

// Settings by key; a "/" in a key names its group, as in a settings object.
using SettingsValues = QMap<QString, QVariant>;

// The whole file for these values. Texts, numbers and flags are written as texts, lists of
// texts as such; any other value in a settings object's "@Variant" form, which it reads back
// as the value it was.
QByteArray settingsFileContent(const SettingsValues &values);

// The snapshots' file: one key, whose text is given as UTF-8 (a large show's list, which is
// not worth a copy as a string).
QByteArray savedShowsFileContent(const QString &key, QByteArrayView text);

}  // namespace tarnik
