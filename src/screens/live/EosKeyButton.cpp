#include "screens/live/EosKeyButton.h"

#include "screens/live/KeyFacePainter.h"
#include "screens/live/KeypadGeometry.h"

#include <QPainter>

namespace tarnik {

EosKeyButton::EosKeyButton(const KeypadCell &cell, KeyPress press, QWidget *parent)
    : ConsoleKeyButton(cell, std::move(press), parent), color_(cell.color) {
  setFixedHeight(static_cast<int>(KeypadMetrics::keyHeight));
}

QSize EosKeyButton::sizeHint() const {
  return {static_cast<int>(KeypadMetrics::minimumColumnWidth),
          static_cast<int>(KeypadMetrics::keyHeight)};
}

void EosKeyButton::paintFace(QPainter &painter) {
  paintKeyFace(painter, rect(), eosKeyFaceLook(color_, isViewer()), title(), {15, 0.7, 3});
}

}  // namespace tarnik
