#pragma once

#include <QString>

class QMessageBox;

namespace tarnik {

// Puts an alert's title in its body as well as on its window, above the message: a desktop
// without a window manager, or one that draws no title on a window-modal dialog, would
// otherwise show the message alone. Both are plain text, so a name or reason from the
// console is never read as markup.
void setPlainAlertTexts(QMessageBox &box, const QString &title, const QString &message);

}  // namespace tarnik
