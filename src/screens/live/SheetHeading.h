#pragma once

#include <QString>

class QBoxLayout;
class QDialog;

namespace tarnik {

// The top of a Live sheet: its title, and a "Done" button that accepts the dialog. Puts
// both into the layout and names the button "<name>.done".
void addSheetHeading(QDialog &sheet, QBoxLayout &layout, const QString &title, const QString &name);

}  // namespace tarnik
