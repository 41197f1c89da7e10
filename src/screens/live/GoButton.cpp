#include "screens/live/GoButton.h"

#include "screens/live/GoButtonFill.h"

#include <QPainter>

namespace tarnik {

GoButton::GoButton(QWidget *parent) : QAbstractButton(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setFocusPolicy(Qt::StrongFocus);
}

void GoButton::setFillLook(const GoFillLook &look) {
  if (look == look_) return;
  look_ = look;
  update();
}

void GoButton::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  paintGoButtonFill(painter, QRectF(rect()), look_);
  if (hasFocus()) {
    // A thin ring inside the capsule shows where the keyboard is.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    const double radius = height() / 2.0 - 2;
    painter.drawRoundedRect(QRectF(rect()).adjusted(2, 2, -2, -2), radius, radius);
  }
}

}  // namespace tarnik
