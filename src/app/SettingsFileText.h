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

// The whole file for these values, in the form a settings object writes for any value:
// texts, numbers and flags as texts, lists of texts as such, geometry as numbers, a date and
// time and any other value in its serialised form, which reads back as the value it was.
QByteArray settingsFileContent(const SettingsValues &values);

// The values in a file of that form, as a settings object reads them: comments, quotes,
// escapes and line breaks inside values as a person may have written them included.
SettingsValues settingsFromFileContent(QByteArrayView content);

// A key as a settings object takes it: no "/" at either end, none twice in a row.
QString normalizedSettingsKey(QStringView key);

// The snapshots' file: one key, whose text is given as UTF-8 (a large show's list, which is
// not worth a copy as a string).
QByteArray savedShowsFileContent(const QString &key, QByteArrayView text);

}  // namespace tarnik
