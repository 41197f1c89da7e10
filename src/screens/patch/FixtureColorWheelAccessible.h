#pragma once

#include <QAccessibleWidget>

namespace tarnik {

class FixtureColorWheel;

// The wheel as one element, "Fixture color", with its colour as "Hue 120 degrees,
// saturation 45 percent". It offers no adjustable action: the card's sliders serve keyboard
// and screen-reader users.
class FixtureColorWheelAccessible : public QAccessibleWidget {
 public:
  explicit FixtureColorWheelAccessible(FixtureColorWheel *wheel);

  QString text(QAccessible::Text kind) const override;
  QStringList actionNames() const override { return {}; }
  int childCount() const override { return 0; }
  QAccessibleInterface *child(int) const override { return nullptr; }
};

}  // namespace tarnik
