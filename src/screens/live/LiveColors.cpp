#include "screens/live/LiveColors.h"

#include "screens/live/KeyFacePainter.h"

namespace tarnik {

namespace {

QColor opaque(LiveTint tint) {
  switch (tint) {
    case LiveTint::green:
      return QColor(52, 199, 89);
    case LiveTint::yellow:
      return QColor(255, 204, 0);
    case LiveTint::red:
      return QColor(255, 59, 48);
    case LiveTint::white:
      return QColor(Qt::white);
    case LiveTint::amberAccent:
      return keypadColor(KeypadColor::amberAccent);
    case LiveTint::blueAccent:
      return keypadColor(KeypadColor::blueAccent);
  }
  return QColor(Qt::white);
}

}  // namespace

QColor liveColor(const TintedColor &color) {
  QColor made = opaque(color.tint);
  made.setAlphaF(static_cast<float>(color.opacity));
  return made;
}

}  // namespace tarnik
