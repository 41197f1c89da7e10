#include "screens/patch/FixtureColorWheelAccessible.h"

#include "screens/patch/FixtureColorWheel.h"

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

QAccessibleInterface *makeInterface(const QString &className, QObject *object) {
  if (className != "tarnik::FixtureColorWheel"_L1) return nullptr;
  return new FixtureColorWheelAccessible(static_cast<FixtureColorWheel *>(object));
}

}  // namespace

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

void installFixtureColorWheelAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(&makeInterface);
    return true;
  }();
  Q_UNUSED(installed);
}

}  // namespace tarnik
