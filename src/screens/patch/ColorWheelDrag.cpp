#include "screens/patch/ColorWheelDrag.h"

namespace tarnik {

void ColorWheelDrag::take(const ColorWheelGeometry::Disc &disc, const QPointF &point) {
  if (const std::optional<FixtureColorValue> color = ColorWheelGeometry::colorAt(disc, point))
    hooks_.setColor(*color);
}

void ColorWheelDrag::change(bool enabled, const ColorWheelGeometry::Disc &disc,
                            const QPointF &point) {
  if (!enabled) return;
  if (!isDragging_) {
    isDragging_ = true;
    hooks_.onBegin();
  }
  take(disc, point);
  hooks_.onChange(hooks_.color());
}

void ColorWheelDrag::end(bool enabled, const ColorWheelGeometry::Disc &disc, const QPointF &point) {
  if (enabled && isDragging_) {
    take(disc, point);
    hooks_.onCommit(hooks_.color());
  }
  isDragging_ = false;
}

}  // namespace tarnik
