#include "screens/live/ConsoleKeyButton.h"

#include "screens/live/KeyFaceLook.h"

namespace tarnik {

using namespace Qt::StringLiterals;

ConsoleKeyButton::ConsoleKeyButton(const KeypadCell &cell, KeyPress press, QWidget *parent)
    : QAbstractButton(parent), key_(cell.key) {
  if (key_) setObjectName(u"live.key."_s + *key_);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  setTitle(cell.title);
  // The flag travels with the press as it stood at the last refresh, so a press that still
  // reaches the key in viewer mode is dropped by the screen too.
  connect(this, &QAbstractButton::clicked, this,
          [this, press = std::move(press)] { press(key_, viewer_); });
  refresh(false);
}

void ConsoleKeyButton::setTitle(const QString &title) {
  title_ = title;
  setAccessibleName(keyAccessibleName(title));
  update();
}

void ConsoleKeyButton::refresh(bool viewer) {
  viewer_ = viewer;
  setEnabled(!viewer && key_.has_value());
  setAccessibleDescription(keyAccessibleHint(viewer));
  update();
}

}  // namespace tarnik
