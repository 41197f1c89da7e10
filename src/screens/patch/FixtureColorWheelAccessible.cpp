#include "screens/patch/FixtureColorWheelAccessible.h"

#include "screens/patch/FixtureColorWheel.h"

using namespace Qt::StringLiterals;

namespace tarnik {

FixtureColorWheelAccessible::FixtureColorWheelAccessible(FixtureColorWheel *wheel)
    : QAccessibleWidget(wheel, QAccessible::ColorChooser) {}

QString FixtureColorWheelAccessible::text(QAccessible::Text kind) const {
  const auto *wheel = static_cast<const FixtureColorWheel *>(widget());
  switch (kind) {
    case QAccessible::Name:
      return u"Fixture color"_s;
    case QAccessible::Value:
      return ColorWheelGeometry::accessibleValue(wheel->color());
    case QAccessible::Description:
      return wheel->isEnabled() ? u"Adjust hue and saturation with the controls below."_s
                                : u"Color control is read only."_s;
    default:
      return QAccessibleWidget::text(kind);
  }
}

}  // namespace tarnik
