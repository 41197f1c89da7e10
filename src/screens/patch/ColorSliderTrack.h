#pragma once

#include <QAccessibleWidget>
#include <QSlider>

namespace tarnik {

// The horizontal slider of a colour value: whole hundredths of a degree or percent as its
// integer positions, and the value it shows held as the double it was given, so its spoken
// value ("180°") is rounded from the same number the label beside it shows.
class ColorSliderTrack : public QSlider {
  Q_OBJECT

 public:
  static constexpr int scale = 100;

  ColorSliderTrack(double maximum, QString suffix, QWidget *parent = nullptr);

  double shownValue() const { return shown_; }
  // Moves the handle without a report of its own.
  void showValue(double value);
  // The value rounded half away from zero and the suffix: "180°"; "-°" for NaN.
  QString valueText() const;

 private:
  QString suffix_;
  double shown_ = 0;
};

// The track as an assistive tool reads it: its title, its value as "180°", and increase and
// decrease actions that step it as the arrow keys do.
class ColorSliderTrackAccessible : public QAccessibleWidget {
 public:
  explicit ColorSliderTrackAccessible(ColorSliderTrack *track);

  QString text(QAccessible::Text kind) const override;
  QStringList actionNames() const override;
  void doAction(const QString &actionName) override;

 private:
  ColorSliderTrack *track() const;
};

}  // namespace tarnik
