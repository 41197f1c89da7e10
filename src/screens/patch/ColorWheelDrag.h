#pragma once

#include "operations/FixtureControlState.h"
#include "screens/patch/ColorWheelGeometry.h"

#include <functional>

namespace tarnik {

// A drag on the colour wheel, apart from the widget: the one flag it owns, and the order of
// its reports. The colour itself lives with the wheel's owner, read and written through the
// bindings. An enabled drag reports begin once, a change after every touch, and a commit
// when it ends; a drag that was disabled on the way ends without a word.
class ColorWheelDrag {
 public:
  struct Hooks {
    std::function<FixtureColorValue()> color;
    std::function<void(FixtureColorValue)> setColor;
    std::function<void()> onBegin;
    std::function<void(FixtureColorValue)> onChange;
    std::function<void(FixtureColorValue)> onCommit;
  };

  explicit ColorWheelDrag(Hooks hooks) : hooks_(std::move(hooks)) {}

  bool isDragging() const { return isDragging_; }
  // A touch at `point`, the first one included.
  void change(bool enabled, const ColorWheelGeometry::Disc &disc, const QPointF &point);
  // The touch lifted at `point`.
  void end(bool enabled, const ColorWheelGeometry::Disc &disc, const QPointF &point);
  // The wheel was disabled: the drag stops here, and its owner cancels on its own.
  void disable() { isDragging_ = false; }

 private:
  void take(const ColorWheelGeometry::Disc &disc, const QPointF &point);

  Hooks hooks_;
  bool isDragging_ = false;
};

}  // namespace tarnik
