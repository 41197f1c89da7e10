#include "screens/live/KeyRowPanel.h"

#include "screens/live/EosKeyButton.h"
#include "screens/live/KeypadGeometry.h"

namespace tarnik {

using namespace Qt::StringLiterals;

KeyRowPanel::KeyRowPanel(const KeyPress &press, QWidget *parent)
    : KeyGridPanel(KeypadMetrics::mainColumns, KeypadMetrics::keySpacing, KeypadMetrics::keyHeight,
                   parent) {
  setObjectName(u"live.keyRows"_s);
  for (const QList<KeypadCell> &row : KeyTables::keyRows()) {
    for (const KeypadCell &cell : row) addKey(new EosKeyButton(cell, press, this));
  }
  fixHeight();
}

}  // namespace tarnik
