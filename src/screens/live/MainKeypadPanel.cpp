#include "screens/live/MainKeypadPanel.h"

#include "screens/live/EosKeyButton.h"
#include "screens/live/KeypadGeometry.h"

#include <algorithm>
#include <cmath>

namespace tarnik {

using namespace Qt::StringLiterals;
using namespace KeypadMetrics;

MainKeypadPanel::MainKeypadPanel(const KeyPress &press, QWidget *parent) : KeyPanelFrame(parent) {
  setObjectName(u"live.keypad"_s);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  for (const QList<KeypadCell> &row : KeyTables::mainKeypad()) {
    for (const KeypadCell &cell : row) {
      if (cell.kind != KeypadCell::Kind::blank) addKey(new EosKeyButton(cell, press, this));
    }
  }
  setFixedHeight(static_cast<int>(keypadPanelSize(0).height()));
}

double MainKeypadPanel::padWidth() const { return std::max(0.0, width() - 2 * panelPadding); }

QSize MainKeypadPanel::minimumSizeHint() const { return keypadPanelSize(0).toSize(); }

QSize MainKeypadPanel::sizeHint() const { return minimumSizeHint(); }

void MainKeypadPanel::resizeEvent(QResizeEvent *) {
  const double cell = keypadCellWidth(padWidth());
  qsizetype next = 0;
  double top = panelPadding;
  for (const QList<KeypadCell> &row : KeyTables::mainKeypad()) {
    // Each row starts at the leading edge and is W wide once cells have any width.
    double left = panelPadding;
    for (const KeypadCell &cellInRow : row) {
      const double width = cellInRow.kind == KeypadCell::Kind::wideButton
                               ? wideKeyWidth(cellInRow.span, cell)
                               : cell;
      if (cellInRow.kind != KeypadCell::Kind::blank) {
        const int x = static_cast<int>(std::lround(left));
        const int right = static_cast<int>(std::lround(left + width));
        keys().at(next++)->setGeometry(x, static_cast<int>(top), right - x,
                                       static_cast<int>(keyHeight));
      }
      left += width + keySpacing;
    }
    top += keyHeight + keySpacing;
  }
}

}  // namespace tarnik
