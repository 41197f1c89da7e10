#include "screens/live/ConsoleKeyButton.h"

#include "screens/live/KeyFaceLook.h"

#include <QPainter>
#include <QStyleOptionFocusRect>

namespace tarnik {

using namespace Qt::StringLiterals;

ConsoleKeyButton::ConsoleKeyButton(const KeypadCell &cell, KeyPress press, QWidget *parent)
    : QAbstractButton(parent), key_(cell.key) {
  if (key_) setObjectName(u"live.key."_s + *key_);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  // A click leaves the focus where it was, so the frame shows only for keyboard travel.
  setFocusPolicy(Qt::TabFocus);
  setTitle(cell.title);
  // The flag travels with the press as it stood at the last refresh, so a press that still
  // reaches the key in viewer mode is dropped by the screen too.
  connect(this, &QAbstractButton::clicked, this,
          [this, press = std::move(press)] { press(key_, viewer_); });
  showMode(false);
}

void ConsoleKeyButton::setTitle(const QString &title) {
  if (title == title_) return;
  title_ = title;
  setAccessibleName(keyAccessibleName(title));
  update();
}

void ConsoleKeyButton::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  if (isDown()) painter.setOpacity(0.7);
  paintFace(painter);
  if (hasFocus()) {
    QStyleOptionFocusRect frame;
    frame.initFrom(this);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
  }
}

void ConsoleKeyButton::refresh(bool viewer) {
  // The screen refreshes on every change of the model; most leave the keys as they are.
  if (viewer != viewer_) showMode(viewer);
}

void ConsoleKeyButton::showMode(bool viewer) {
  viewer_ = viewer;
  setEnabled(!viewer && key_.has_value());
  setAccessibleDescription(keyAccessibleHint(viewer));
  update();
}

}  // namespace tarnik
