#pragma once

#include <QWidget>

class QLabel;

namespace tarnik {

class ColorSliderTrack;

// A labelled colour value: the title and the rounded value with its suffix ("180°") over a
// green slider. It owns no value of its own: the owner shows its value with showValue(),
// which never comes back as a report. A drag reports begun, updated with each new value and
// ended; a key, wheel or accessible step, which moves the value without a press, reports one
// stepped with the new value.
class ColorValueSlider : public QWidget {
  Q_OBJECT

 public:
  // `name` names the slider for tests ("fixture.color.hue"); its value label adds ".value".
  ColorValueSlider(const QString &title, double maximum, const QString &suffix, const QString &name,
                   QWidget *parent = nullptr);

  ColorSliderTrack *track() const { return track_; }
  void showValue(double value);

 signals:
  void begun();
  void updated(double value);
  void ended(double value);
  void stepped(double value);

 private:
  void showText();

  ColorSliderTrack *track_;
  QLabel *value_;
};

}  // namespace tarnik
