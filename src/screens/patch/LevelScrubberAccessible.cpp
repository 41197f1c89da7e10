#include "screens/patch/LevelScrubberAccessible.h"

#include "screens/patch/LevelScrubber.h"
#include "screens/patch/LevelScrubberGeometry.h"

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

QAccessibleInterface *makeInterface(const QString &className, QObject *object) {
  if (className != "tarnik::LevelScrubber"_L1) return nullptr;
  return new LevelScrubberAccessible(static_cast<LevelScrubber *>(object));
}

}  // namespace

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

void installLevelScrubberAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(&makeInterface);
    return true;
  }();
  Q_UNUSED(installed);
}

}  // namespace tarnik
