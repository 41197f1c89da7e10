#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace tarnik {

// A label that shows its text exactly as given: a name, number or reason from the console,
// the show, the network or the user is never read as markup.
QLabel *plainLabel(const QString &text = {}, const QString &objectName = {},
                   QWidget *parent = nullptr);

}  // namespace tarnik
