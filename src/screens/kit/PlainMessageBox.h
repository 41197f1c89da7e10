#pragma once

#include <QString>

class QMessageBox;
class QWidget;

namespace tarnik {

// A window-modal message box named `name` that deletes itself when closed, its title on
// its window and in its body above the message: a desktop without a window manager, or one
// that draws no title on a window-modal dialog, would otherwise show the message alone.
// Every text is plain text, so a name or reason from the console is never read as markup.
QMessageBox *plainMessageBox(QWidget *parent, const QString &name, const QString &title,
                             const QString &message);

// Gives a box the title and message as above; an alert kept open takes a later one's texts.
void setPlainAlertTexts(QMessageBox &box, const QString &title, const QString &message);

}  // namespace tarnik
