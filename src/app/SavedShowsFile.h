#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tarnik {

// The snapshots' own file holds one setting, the list's text, in the settings store's INI
// form, so that a settings object reads it back and earlier versions of the program read
// it as before. A settings object's own write reports success after a write that stopped
// short on a full disk and puts the cut file in place of the whole one; this one writes the
// file itself and replaces the old file only once every byte is written.

// The file's content for this list text (UTF-8), byte for byte as a settings object writes it.
QByteArray savedShowsFileContent(const QString &key, QByteArrayView text);

// Replaces the file with `content`, whole, or leaves the old file as it was and logs why.
bool writeFileWhole(const QString &fileName, const QByteArray &content);

}  // namespace tarnik
