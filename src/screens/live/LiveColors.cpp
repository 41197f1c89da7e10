#include "screens/live/LiveColors.h"

#include "screens/kit/Style.h"
#include "screens/live/KeyFacePainter.h"

namespace tarnik {

namespace {

QColor opaque(LiveTint tint) {
  switch (tint) {
    case LiveTint::green:
      return Style::dark(Style::Role::success);
    case LiveTint::yellow:
      return Style::dark(Style::Role::pending);
    case LiveTint::red:
      return Style::dark(Style::Role::failure);
    case LiveTint::white:
      return Style::dark(Style::Role::primaryText);
    case LiveTint::amberAccent:
      return keypadColor(KeypadColor::amberAccent);
    case LiveTint::blueAccent:
      return keypadColor(KeypadColor::blueAccent);
  }
  return Style::dark(Style::Role::primaryText);
}

}  // namespace

QColor liveColor(const TintedColor &color) {
  QColor made = opaque(color.tint);
  made.setAlphaF(static_cast<float>(color.opacity));
  return made;
}

}  // namespace tarnik
