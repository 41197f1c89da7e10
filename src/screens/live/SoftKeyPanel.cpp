#include "screens/live/SoftKeyPanel.h"

#include "screens/live/KeypadGeometry.h"
#include "screens/live/SoftKeyButton.h"

namespace tarnik {

using namespace Qt::StringLiterals;

SoftKeyPanel::SoftKeyPanel(const KeyPress &press, QWidget *parent)
    : KeyGridPanel(KeypadMetrics::softKeyColumns, KeypadMetrics::softKeySpacing,
                   KeypadMetrics::softKeyHeight, parent) {
  setObjectName(u"live.softKeys"_s);
  for (const KeypadCell &cell : KeyTables::softKeys()) addKey(new SoftKeyButton(cell, press, this));
  fixHeight();
}

void SoftKeyPanel::refresh(bool viewer, const QStringList &labels) {
  KeyPanelFrame::refresh(viewer);
  const QList<KeypadCell> &cells = KeyTables::softKeys();
  for (qsizetype index = 0; index < cells.size(); ++index) {
    const KeypadCell &cell = cells.at(index);
    if (cell.number) keys().at(index)->setTitle(softKeyTitle(labels, *cell.number - 1, cell.title));
  }
}

}  // namespace tarnik
