#include "screens/patch/ColorSliderTrack.h"

#include "screens/kit/AccessibleInterfaceFactory.h"
#include "screens/kit/CheckedRounding.h"

#include <QSignalBlocker>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tarnik {

ColorSliderTrack::ColorSliderTrack(double maximum, QString suffix, QWidget *parent)
    : QSlider(Qt::Horizontal, parent), suffix_(std::move(suffix)) {
  installAccessibleInterface<ColorSliderTrack, ColorSliderTrackAccessible>();
  setRange(0, int(maximum * scale));
  // A key moves one whole degree or percent, Page Up and Down ten.
  setSingleStep(scale);
  setPageStep(10 * scale);
  connect(this, &QSlider::valueChanged, this,
          [this](int position) { shown_ = double(position) / scale; });
}

void ColorSliderTrack::showValue(double value) {
  shown_ = value;
  // A value that has no whole number leaves the handle at the start, never at a guess.
  const qint64 position = roundedWholeNumber(value * scale).value_or(0);
  const QSignalBlocker quiet(this);
  setValue(int(std::clamp<qint64>(position, minimum(), maximum())));
}

QString ColorSliderTrack::valueText() const { return wholeNumberText(shown_) + suffix_; }

ColorSliderTrackAccessible::ColorSliderTrackAccessible(ColorSliderTrack *track)
    : QAccessibleWidget(track, QAccessible::Slider) {}

ColorSliderTrack *ColorSliderTrackAccessible::track() const {
  return static_cast<ColorSliderTrack *>(widget());
}

QString ColorSliderTrackAccessible::text(QAccessible::Text kind) const {
  if (kind == QAccessible::Value) return track()->valueText();
  return QAccessibleWidget::text(kind);
}

QStringList ColorSliderTrackAccessible::actionNames() const {
  return {increaseAction(), decreaseAction()};
}

void ColorSliderTrackAccessible::doAction(const QString &actionName) {
  if (!track()->isEnabled()) return;
  if (actionName == increaseAction()) track()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  if (actionName == decreaseAction()) track()->triggerAction(QAbstractSlider::SliderSingleStepSub);
}

}  // namespace tarnik
