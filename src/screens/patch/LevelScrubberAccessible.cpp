#include "screens/patch/LevelScrubberAccessible.h"

#include "screens/patch/LevelScrubber.h"
#include "screens/patch/LevelScrubberGeometry.h"

using namespace Qt::StringLiterals;

namespace tarnik {

LevelScrubberAccessible::LevelScrubberAccessible(LevelScrubber *scrubber)
    : QAccessibleWidget(scrubber, QAccessible::Slider) {}

LevelScrubber *LevelScrubberAccessible::scrubber() const {
  return static_cast<LevelScrubber *>(widget());
}

QString LevelScrubberAccessible::text(QAccessible::Text kind) const {
  if (kind == QAccessible::Name) return u"Intensity"_s;
  if (kind == QAccessible::Value)
    return LevelScrubberGeometry::accessibleValue(scrubber()->value());
  return QAccessibleWidget::text(kind);
}

QStringList LevelScrubberAccessible::actionNames() const {
  return {increaseAction(), decreaseAction()};
}

void LevelScrubberAccessible::doAction(const QString &actionName) {
  if (actionName == increaseAction()) scrubber()->adjust(5);
  if (actionName == decreaseAction()) scrubber()->adjust(-5);
}

}  // namespace tarnik
